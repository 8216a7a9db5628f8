#include "NuvaCommands.h"

namespace {

constexpr std::uint8_t kFieldBase = 128;
constexpr long long kWordMax = 0xFFFF;

void appendWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t wordAt(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

std::optional<NuvaRequest> indexedWord(std::uint8_t command, std::uint8_t index, long long value) {
    if (value < 0 || value > kWordMax)
        return std::nullopt;
    NuvaRequest r{command, {index}};
    appendWord(r.data, static_cast<std::uint16_t>(value));
    return r;
}

constexpr std::uint16_t kPresetRightLeft = 5008;
constexpr NuvaLimits kPresetLimits{5, 3, 20, 80, 25, 5, 2000, 3000};

const std::array<NuvaPreset, 2> kPresets{{
    {"Zavoziz IVA4",
     {2000, 2000, 1600, 2112, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft,
      kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, 2512, 3008, 3008, 3504},
     kPresetLimits},
    {"Vozerov IDI1/2",
     {496, 496, 1504, 2000, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft,
      kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, kPresetRightLeft, 2512, 3504, 2512, 3504},
     kPresetLimits},
}};

} // namespace

NuvaKind NuvaKindOf(std::uint8_t code) {
    switch (code) {
    case 1:
    case 2:
        return {kNuvaTypeMntd, "QS40MNTD"};
    case 3:
    case 5:
        return {kNuvaTypeMntb, "QS40MNTB"};
    default:
        return {};
    }
}

std::uint8_t NuvaSwitchPointIndex(std::size_t k) {
    return static_cast<std::uint8_t>((k / 4 + 1) * 16 + k % 4 + 1);
}

NuvaRequest NuvaIdentifyRequest() {
    return {'X', {}};
}

NuvaRequest NuvaReadSwitchPointsRequest() {
    return {'U', {}};
}

NuvaRequest NuvaStoreRequest() {
    return {'S', {}};
}

NuvaRequest NuvaMeasureRequest(bool withEnergy) {
    return {static_cast<std::uint8_t>(withEnergy ? 'P' : 'C'), {}};
}

NuvaRequest NuvaReadNearSwitchRequest() {
    return {':', {kNuvaKey}};
}

NuvaRequest NuvaSetNearSwitchRequest(bool active) {
    return {'*', {kNuvaKey, static_cast<std::uint8_t>(active ? 0 : 1)}};
}

NuvaRequest NuvaReadLimitsRequest() {
    return {'6', {kNuvaKey}};
}

std::optional<NuvaRequest> NuvaWriteSwitchPointRequest(std::size_t k, long long value) {
    if (k >= kNuvaSwitchPointCount)
        return std::nullopt;
    return indexedWord('L', NuvaSwitchPointIndex(k), value);
}

std::optional<NuvaRequest> NuvaWriteHysteresisRequest(std::size_t k, long long value) {
    if (k >= kNuvaHysteresisCount)
        return std::nullopt;
    return indexedWord('H', static_cast<std::uint8_t>(k + 1), value);
}

std::optional<NuvaRequest> NuvaSelectFieldRequest(int field) {
    if (field < 0 || field >= static_cast<int>(kNuvaFieldCount))
        return std::nullopt;
    return NuvaRequest{'A', {static_cast<std::uint8_t>(kFieldBase + field)}};
}

std::optional<NuvaRequest> NuvaWriteLimitsRequest(std::span<const long long, kNuvaLimitCount> values) {
    NuvaRequest r{'5', {kNuvaKey}};
    for (long long v : values) {
        if (v < 0 || v > kWordMax)
            return std::nullopt;
        appendWord(r.data, static_cast<std::uint16_t>(v));
    }
    return r;
}

std::optional<NuvaSwitchPoints> NuvaDecodeSwitchPoints(std::span<const std::uint8_t> data) {
    if (data.size() < 1 + 2 * (kNuvaSwitchPointCount + kNuvaHysteresisCount))
        return std::nullopt;
    NuvaSwitchPoints s;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        s.points[k] = wordAt(data, 1 + 2 * k);
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        s.hysteresis[k] = wordAt(data, 1 + 2 * (kNuvaSwitchPointCount + k));
    return s;
}

std::optional<NuvaLimits> NuvaDecodeLimits(std::span<const std::uint8_t> data) {
    if (data.size() < 1 + 2 * kNuvaLimitCount)
        return std::nullopt;
    NuvaLimits limits{};
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        limits[k] = wordAt(data, 1 + 2 * k);
    return limits;
}

std::optional<std::uint16_t> NuvaDecodeEnergy(std::span<const std::uint8_t> data) {
    if (data.size() < 3)
        return std::nullopt;
    return wordAt(data, 1);
}

std::optional<NuvaNearSwitch> NuvaDecodeNearSwitch(std::span<const std::uint8_t> data) {
    if (data.size() < 2)
        return std::nullopt;
    return NuvaNearSwitch{data[0] == kNuvaNearSwitchPresent, data[1] == 0};
}

const std::array<NuvaPreset, 2>& NuvaPresets() {
    return kPresets;
}
