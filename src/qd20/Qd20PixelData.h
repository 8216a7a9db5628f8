#pragma once
// Decoding of the pixel service replies '6' and '3' (data bytes counted from 0, as
// Qd20Transact leaves them). Each decoder is empty when the reply is too short to hold
// what it decodes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

inline constexpr int kQd20PixelCount = 102;
// Data bytes a '6' reply must carry for the curve (before its check byte).
inline constexpr std::size_t kQd20PixelDataBytes = 2 + 2 * kQd20PixelCount;

// Pixel curve: pixel i = byte(2i+2) * 256 + byte(2i+3) * 4, taken as a signed 16-bit number.
std::optional<std::array<std::int16_t, kQd20PixelCount>> DecodePixelCurve(std::span<const std::uint8_t> data);
// Pixel text: byte 0 * 128 + byte 1, then p0..p8 with pj = byte(2j+2) * 128 + byte(2j+3).
std::optional<std::array<int, 10>> DecodePixelNumbers(std::span<const std::uint8_t> data);
// Reply of '3': qj = byte(2j+2) * 128 + byte(2j+3), j = 0..2.
std::optional<std::array<int, 3>> DecodeServiceNumbers(std::span<const std::uint8_t> data);
