#pragma once
// The 18-byte parameter set a ZYL24 sensor returns for '?', as plain values. Positions are the
// positions of the window's sliders (counted from 0); a function field that no bit of the block
// selects is empty, and the window then keeps its slider where it is.
#include <array>
#include <cstdint>
#include <optional>
#include <span>

struct Qd20ParameterBlock {
    static constexpr std::size_t kSize = 18;

    std::optional<int> q1Function; // 0..9 (FktQ1Slide)
    bool q1NormallyClosed = false; // OSQ1_Slide at 0
    bool q1PulseStretch = false;   // IVQ1Slide at 0
    bool setQ1High = false;        // SetQ1Slide at 0
    std::uint8_t variantCode = 0;  // byte 2, low 7 bits as stored ('0', 3, ...)
    std::optional<int> q2Function; // 0..2 (FktQ2Slide)
    bool q2NormallyClosed = false;
    bool q2PulseStretch = false;
    bool holdOn = false;          // Hold_Slide at 0
    bool keyLockOn = false;       // TVSlide at 0
    std::optional<int> averaging; // BWSlide position 0..2 (40 ms, 4 ms, 0.4 ms)
    bool lowlight = false;        // CBlowlight
    int analogPoint1Raw = 0;      // bytes 6, 7 (4 mA)
    int analogPoint2Raw = 0;      // bytes 8, 9 (20 mA)
    int q1SecondRaw = 0;          // bytes 10, 11: the only Q1 point at function 0
    int q1FirstRaw = 0;           // bytes 12, 13
    int q2SecondRaw = 0;          // bytes 14, 15: the only Q2 point at function 0
    int q2FirstRaw = 0;           // bytes 16, 17

    bool operator==(const Qd20ParameterBlock&) const = default;
};

// Decodes the first 18 bytes; empty when fewer are given. Where several function bits are set
// the first in the sensor's priority order wins.
std::optional<Qd20ParameterBlock> DecodeParameterBlock(std::span<const std::uint8_t> bytes);
// Every byte of the result is below 0x80.
std::array<std::uint8_t, Qd20ParameterBlock::kSize> EncodeParameterBlock(const Qd20ParameterBlock& block);
