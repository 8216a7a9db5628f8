#include "Qd20Measurement.h"

std::optional<Qd20Measurement> DecodeMeasurement(std::span<const std::uint8_t> data) {
    if (data.size() < 2)
        return std::nullopt;
    return MeasurementExport::decode(data[0], data[1]);
}

std::array<std::uint8_t, 2> EncodeMeasurement(const Qd20Measurement& m) {
    const unsigned value = m.value & 0x0FFFu;
    return {static_cast<std::uint8_t>((value >> 6) | (m.goodTarget ? 0x40u : 0u)),
            static_cast<std::uint8_t>((value & 0x3Fu) | (m.q1On ? 0x40u : 0u))};
}
