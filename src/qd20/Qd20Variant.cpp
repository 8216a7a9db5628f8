#include "Qd20Variant.h"

#include <algorithm>
#include <cmath>

namespace {

const std::array<Qd20Variant, 4> kVariants{{
    {2, 1, 30.0f, 70.0f, 30, 70, "Sensor: ZYL24_70"},
    {1, 0, 80.0f, 220.0f, 80, 220, "Sensor: ZYL24_220"},
    {11, 2, 250.0f, 500.0f, 250, 500, "Sensor: ZYL24_500"},
    {10, 3, 250.0f, 1000.0f, 250, 1000, "Sensor: ZYL24_1000"},
}};

template <typename Predicate> const Qd20Variant* findVariant(Predicate matches) {
    const auto it = std::find_if(kVariants.begin(), kVariants.end(), matches);
    return it == kVariants.end() ? nullptr : &*it;
}

} // namespace

const std::array<Qd20Variant, 4>& Qd20Variants() {
    return kVariants;
}

const Qd20Variant* VariantForSensorType(int sensorType) {
    return findVariant([&](const Qd20Variant& v) { return v.sensorType == sensorType; });
}

const Qd20Variant* VariantForCode(std::uint8_t blockByte2) {
    // Sensors report the code either as a number or as its digit.
    int code = blockByte2 & 0x7F;
    if (code >= '0' && code <= '3')
        code -= '0';
    return findVariant([&](const Qd20Variant& v) { return v.variantCode == code; });
}

const Qd20Variant* VariantForSpan(int spanMm) {
    return findVariant([&](const Qd20Variant& v) { return v.rangeSpanInt == spanMm; });
}

int ToRaw(float mm, const Qd20Variant& variant) {
    const double raw = 4095.0 - (double(mm) - variant.rangeStart) / variant.rangeSpan * 4095.0;
    // Garbage in (an absurd or non-numeric distance) must not become undefined behaviour.
    if (!std::isfinite(raw))
        return raw > 0 ? 1'000'000'000 : -1'000'000'000;
    return static_cast<int>(std::trunc(std::clamp(raw, -1e9, 1e9)));
}

float ToMillimetres(int raw, const Qd20Variant& variant) {
    return static_cast<float>(double(variant.rangeStart) + variant.rangeSpan -
                              raw / 4095.0 * variant.rangeSpan);
}

double ToMillimetresInt(int raw, const Qd20Variant& variant) {
    return double(variant.rangeStartInt + variant.rangeSpanInt) - raw / 4095.0 * variant.rangeSpanInt;
}
