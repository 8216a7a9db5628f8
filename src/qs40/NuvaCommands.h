#pragma once
// The requests of the NUVA link and the values in their replies. Values travel as 16-bit
// unsigned words, high byte first; a value that does not fit is refused, never cut down.
//
// The 16 switch points are ordered by protection field ("Gerade", "Rechts", "Links",
// "Weitwinkel"), each with its points nah 1, nah 2, fern 1, fern 2; the four hysteresis values
// follow the same point order. The eight limit parameters are, in this order: Anzahl Hysterese,
// Pegel Hysterese, Min Anzahl, Min Pegel 1, Min Pegel 2, Min Pegel 3, Schwelle 1, Schwelle 2.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

inline constexpr std::size_t kNuvaSwitchPointCount = 16;
inline constexpr std::size_t kNuvaHysteresisCount = 4;
inline constexpr std::size_t kNuvaLimitCount = 8;
inline constexpr std::size_t kNuvaFieldCount = 4;
// First data byte of the requests ":", "*", "6" and "5".
inline constexpr std::uint8_t kNuvaKey = 0xAA;
// d[0] of the ":" reply when the sensor has the near-range switch-off.
inline constexpr std::uint8_t kNuvaNearSwitchPresent = 0x11;

struct NuvaRequest {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const NuvaRequest&) const = default;
};

struct NuvaSwitchPoints {
    std::array<std::uint16_t, kNuvaSwitchPointCount> points{};
    std::array<std::uint16_t, kNuvaHysteresisCount> hysteresis{};
    bool operator==(const NuvaSwitchPoints&) const = default;
};

using NuvaLimits = std::array<std::uint16_t, kNuvaLimitCount>;

struct NuvaNearSwitch {
    bool present = false; // the sensor has the near-range switch-off
    bool active = false;
};

// Sensor types of the two NUVA kinds.
inline constexpr int kNuvaTypeMntd = 12;
inline constexpr int kNuvaTypeMntb = 13;

struct NuvaKind {
    int sensorType = 0;    // 12 (QS40MNTD), 13 (QS40MNTB), 0 unknown
    std::string_view name; // "QS40MNTD", "QS40MNTB", empty when unknown
};
// The sensor kind from d[3] of the "X" reply: 1 or 2 QS40MNTD, 3 or 5 QS40MNTB.
NuvaKind NuvaKindOf(std::uint8_t code);

// The "L" index of switch point k (0..15): protection field (1..4) * 16 + point (1..4).
std::uint8_t NuvaSwitchPointIndex(std::size_t k);

NuvaRequest NuvaIdentifyRequest();                 // "X"
NuvaRequest NuvaReadSwitchPointsRequest();         // "U"
NuvaRequest NuvaStoreRequest();                    // "S", sent with the long wait
NuvaRequest NuvaMeasureRequest(bool withEnergy);   // "P" with the signal energy, else "C"
NuvaRequest NuvaReadNearSwitchRequest();           // ":" 0xAA
NuvaRequest NuvaSetNearSwitchRequest(bool active); // "*" 0xAA, 0 active / 1 inactive
NuvaRequest NuvaReadLimitsRequest();               // "6" 0xAA
// "L" index, value; nothing for k above 15 or a value outside 0..65535.
std::optional<NuvaRequest> NuvaWriteSwitchPointRequest(std::size_t k, long long value);
// "H" 1..4, value; nothing for k above 3 or a value outside 0..65535.
std::optional<NuvaRequest> NuvaWriteHysteresisRequest(std::size_t k, long long value);
// "A" 128 + field (0 "Gerade", 1 "Rechts", 2 "Links", 3 "Weitwinkel"); nothing for another field.
std::optional<NuvaRequest> NuvaSelectFieldRequest(int field);
// "5" 0xAA and the eight words; nothing when a value lies outside 0..65535.
std::optional<NuvaRequest> NuvaWriteLimitsRequest(std::span<const long long, kNuvaLimitCount> values);

// Decoders of the reply data d[0..]; nothing when the reply is too short for what it must carry.
std::optional<NuvaSwitchPoints> NuvaDecodeSwitchPoints(std::span<const std::uint8_t> data); // "U": d[1..40]
std::optional<NuvaLimits> NuvaDecodeLimits(std::span<const std::uint8_t> data);             // "6": d[1..16]
std::optional<std::uint16_t> NuvaDecodeEnergy(std::span<const std::uint8_t> data);          // "P": d[1..2]
std::optional<NuvaNearSwitch> NuvaDecodeNearSwitch(std::span<const std::uint8_t> data);     // ":": d[0..1]

// The two fixed presets of the ZYL 36 window: switch points in the order above and the limits.
struct NuvaPreset {
    std::string_view caption;
    std::array<std::uint16_t, kNuvaSwitchPointCount> points;
    NuvaLimits limits;
};
const std::array<NuvaPreset, 2>& NuvaPresets();
