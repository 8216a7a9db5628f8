#pragma once
// The measurement reply of 'A' and 'I' as a frame carries it; the value type and the
// byte decoding live with the export (MeasurementExport.h).
#include "MeasurementExport.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// Empty when the reply holds fewer than two data bytes.
std::optional<Qd20Measurement> DecodeMeasurement(std::span<const std::uint8_t> data);
// The two data bytes a sensor sends: value bits 11..6 plus 0x40 for a good target, value
// bits 5..0 plus 0x40 while Q1 is on.
std::array<std::uint8_t, 2> EncodeMeasurement(const Qd20Measurement& measurement);
