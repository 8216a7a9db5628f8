#include "Qd20MeasurementText.h"

#include "Qd20Variant.h"

#include <array>
#include <charconv>
#include <cmath>

namespace Qd20MeasurementText {

namespace {

constexpr double kFullScale = 4095.0;
constexpr int kHalvernFineType = 15;   // thousandths of a millimetre, six digits
constexpr int kHalvernCoarseType = 14; // hundredths, five digits

std::string fixedOneDecimal(double value) {
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, 1);
    return std::string(buf.data(), res.ptr) + " mm";
}

std::string paddedDigits(std::uint32_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

} // namespace

std::string AbstandsText(std::uint16_t raw, const Qd20Variant& variant) {
    const double mm = ToMillimetresInt(raw, variant);
    const double whole = std::trunc(mm);
    const auto tenth = static_cast<long long>(std::trunc((mm - whole) * 10.0));
    return std::to_string(static_cast<long long>(whole)) + "." + std::to_string(tenth) + " mm";
}

int gaugeValue(std::uint16_t raw, const Qd20Variant& variant) {
    return static_cast<int>(std::trunc(ToMillimetresInt(raw, variant)));
}

std::string Q1Text(std::uint16_t raw, const Qd20Variant& variant, bool diffHold) {
    if (diffHold)
        return fixedOneDecimal(raw / kFullScale * variant.rangeSpan);
    return fixedOneDecimal(ToMillimetres(raw, variant));
}

std::string HalvernText(std::uint32_t distance, int sensorType) {
    const bool fine = sensorType == kHalvernFineType;
    const std::uint32_t unit = fine ? 1000 : 100;
    return std::to_string(distance / unit) + "." + paddedDigits(distance % unit, fine ? 3 : 2) + " mm";
}

std::uint16_t HalvernRingValue(std::uint32_t distance, int sensorType) {
    const std::uint32_t d = sensorType == kHalvernCoarseType ? (distance & 0xFFFFu) : distance;
    const std::uint32_t tenth = d / 10;
    return static_cast<std::uint16_t>(tenth > 0xFFFFu ? 0xFFFFu : tenth);
}

} // namespace Qd20MeasurementText
