#pragma once
// The ZYL24 window's own settings as the registry keeps them: the binary value "Einstellungen"
// of ten 16-bit little-endian words (20 bytes). The layout is fixed by records written by
// earlier versions of the program, so it is kept word for word, including its one weakness:
// the bus address shares a word with three slider positions and only its low 4 bits survive.
// The window therefore stores the full address beside the record and resolveAddress() decides
// which of the two to believe.
#include "Qd20Settings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct Qd20WindowRecord {
    static constexpr std::size_t kSize = 20;
    enum Pair { Q1 = 0, Q2 = 1, Analog = 2 };

    // Whole millimetres (fraction cut off) of the first and second point of each pair.
    std::array<std::uint16_t, 3> firstPoints{};
    std::array<std::uint16_t, 3> secondPoints{};
    // Slider positions.
    int FktQ1 = 0;
    int OSQ1 = 0;
    int IVQ1 = 0;
    int FktQ2 = 0;
    int OSQ2 = 0;
    int IVQ2 = 0;
    int TV = 0;
    int BW = 0;
    int SetQ1 = 0;
    // Bus address; 0 = none. Only its low 4 bits are stored in the record.
    int address = 0;
    // RTS handling of the bus port: 0..2, -1 = not set.
    int RtsMode = -1;

    // Millimetres to the stored whole number: cut toward zero, kept within 0..65535.
    static std::uint16_t wholeMillimetres(float mm);

    // The window's values as the record keeps them (points as whole millimetres; the hold
    // slider and the low-light box have no place in it), and back into a set whose other
    // values stay as they are.
    static Qd20WindowRecord fromSettings(const Qd20Settings& settings);
    void applyTo(Qd20Settings& settings) const;

    std::array<std::uint8_t, kSize> encode() const;
    // nullopt when the value does not have the record's size (a damaged or foreign value is
    // ignored rather than half applied). An RtsMode outside 0..2 comes back as -1.
    static std::optional<Qd20WindowRecord> decode(std::span<const std::uint8_t> bytes);
    // Empty when every slider position is one its slider has; otherwise the first that is not,
    // as "FktQ1 = 15". The window writes only positions its sliders show, so another value
    // means the record was damaged, and the window then takes none of it.
    std::string outOfRange() const;

    // The address to show after reading: the full address stored beside the record when it is
    // a bus address (1..128) and agrees with the record's 4 bits (so a record written later
    // by a program that knows only the record wins); otherwise the record's own value.
    static int resolveAddress(int recordAddress, std::optional<int> fullAddress);
};
