#pragma once
// The four ZYL24 range variants and the conversion between millimetres and the sensor's
// 12-bit scale, which runs opposite to the distance: 4095 at the range start, 0 at its end.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

struct Qd20Variant {
    int sensorType;           // program-wide SensorType code: 2, 1, 11, 10
    std::uint8_t variantCode; // code in byte 2 of the parameter block: 1, 0, 2, 3
    float rangeStart;         // mm
    float rangeSpan;          // mm
    int rangeStartInt;        // the same values as integers (level lines, export)
    int rangeSpanInt;
    std::string_view sensorText; // status panel 0, "Sensor: ZYL24_220"
    float rangeEnd() const { return rangeStart + rangeSpan; }
};

// All four, in the order 70, 220, 500, 1000 mm.
const std::array<Qd20Variant, 4>& Qd20Variants();
// The variant of a SensorType code (1, 2, 10, 11); nullptr for any other code.
const Qd20Variant* VariantForSensorType(int sensorType);
// Byte 2 of the parameter block (low 7 bits): 0/'0' 220 mm, 1/'1' 70 mm, 2/'2' 500 mm,
// 3/'3' 1000 mm; nullptr for anything else.
const Qd20Variant* VariantForCode(std::uint8_t blockByte2);
// The variant a nominal span in mm names (70, 220, 500, 1000); nullptr otherwise.
const Qd20Variant* VariantForSpan(int spanMm);

// 4095 - (mm - start) / span * 4095, truncated toward zero; not limited to 0..4095.
int ToRaw(float mm, const Qd20Variant& variant);
// start + span - raw / 4095 * span, with the float range values.
float ToMillimetres(int raw, const Qd20Variant& variant);
// The same with the integer range values, as the level lines and the export compute it.
double ToMillimetresInt(int raw, const Qd20Variant& variant);

// 12-bit values travel as two bytes of six bits: bits 11..6 first, bits 5..0 second.
inline std::array<std::uint8_t, 2> SplitRaw12(int raw) {
    const unsigned v = static_cast<unsigned>(raw) & 0x0FFFu;
    return {static_cast<std::uint8_t>(v >> 6), static_cast<std::uint8_t>(v & 0x3Fu)};
}
inline int JoinRaw12(std::uint8_t high, std::uint8_t low) {
    return (high & 0x3F) * 64 + (low & 0x3F);
}
