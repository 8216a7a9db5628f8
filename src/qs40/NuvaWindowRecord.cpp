#include "NuvaWindowRecord.h"

#include <algorithm>
#include <cmath>

std::array<std::uint8_t, NuvaWindowRecord::kSize> NuvaWindowRecord::encode() const {
    std::array<std::uint8_t, kSize> out{};
    std::size_t at = 0;
    auto put = [&](std::uint16_t v) {
        out[at++] = static_cast<std::uint8_t>(v & 0xFF);
        out[at++] = static_cast<std::uint8_t>(v >> 8);
    };
    for (std::uint16_t p : values.points)
        put(p);
    for (std::uint16_t h : values.hysteresis)
        put(h);
    return out;
}

std::optional<NuvaWindowRecord> NuvaWindowRecord::decode(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kSize)
        return std::nullopt;
    NuvaWindowRecord record;
    std::size_t at = 0;
    auto get = [&] {
        const auto v = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
        at += 2;
        return v;
    };
    for (std::uint16_t& p : record.values.points)
        p = get();
    for (std::uint16_t& h : record.values.hysteresis)
        h = get();
    return record;
}

std::string NuvaWindowRecord::outOfRange() const {
    constexpr std::uint16_t kLongestRange = 6000;
    for (std::size_t k = 0; k < values.points.size(); ++k)
        if (values.points[k] > kLongestRange)
            return "switch point " + std::to_string(k + 1) + " = " + std::to_string(values.points[k]);
    return {};
}

std::uint16_t NuvaWindowRecord::wholeMillimetres(double value) {
    if (!(value > 0))
        return 0;
    return static_cast<std::uint16_t>(std::min(std::trunc(value), 65535.0));
}
