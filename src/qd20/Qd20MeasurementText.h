#pragma once
// Texts of the ZYL24 window's measurement displays, built from a decoded 12-bit value (4095 at
// the range start) or from a Halvern distance number. Always with a decimal point, whatever the
// user's locale: these are the sensor's own figures.
#include <cstdint>
#include <string>

struct Qd20Variant;

namespace Qd20MeasurementText {

// The distance display, from the millimetres of the integer range values: whole millimetres,
// ".", the first decimal cut off (not rounded), " mm"; 123.47 mm gives "123.4 mm".
std::string AbstandsText(std::uint16_t raw, const Qd20Variant& variant);
// The bar below it shows whole millimetres.
int gaugeValue(std::uint16_t raw, const Qd20Variant& variant);

// The Q1 value display, from the float range values: one decimal (rounded) and " mm". In the
// Diff-Hold function the sensor reports a difference, shown as the span it covers rather than as
// a distance.
std::string Q1Text(std::uint16_t raw, const Qd20Variant& variant, bool diffHold);

// A Halvern distance number: type 15 sensors count thousandths of a millimetre, the others
// hundredths ("123.05 mm").
std::string HalvernText(std::uint32_t distance, int sensorType);
// What a Halvern reading puts into the ring: tenths of the distance number (for type 14 of its
// low 16 bits), held at the largest slot value instead of wrapping around.
std::uint16_t HalvernRingValue(std::uint32_t distance, int sensorType);

} // namespace Qd20MeasurementText
