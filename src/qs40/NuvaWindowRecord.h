#pragma once
// The ZYL 36 window's record "Einstellungen" of 40 bytes: twenty 16-bit values, least
// significant byte first: the 16 switch points (whole millimetres) in the window's order, then
// the four hysteresis values.
#include "NuvaCommands.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct NuvaWindowRecord {
    static constexpr std::size_t kSize = 40;

    NuvaSwitchPoints values;

    std::array<std::uint8_t, kSize> encode() const;
    // Nothing unless exactly 40 bytes.
    static std::optional<NuvaWindowRecord> decode(std::span<const std::uint8_t> bytes);
    // Empty when every switch point lies within the longest range of the family (6000 mm);
    // otherwise the first that does not, as "switch point 3 = 9000". The window never writes
    // such a point, so the record was damaged and the window takes none of it. Any hysteresis
    // word is one the sensor takes.
    std::string outOfRange() const;
    // A shown value as it goes into the record: truncated to whole millimetres and kept within
    // 0..65535 (the switch points never leave 0..6000).
    static std::uint16_t wholeMillimetres(double value);
};
