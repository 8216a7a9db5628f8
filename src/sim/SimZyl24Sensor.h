#pragma once
// One simulated ZYL24 sensor: its parameter set, a slowly moving target and its answers to
// the frame commands. The bus (SimZyl24Bus) parses frames and hands each complete, correct
// frame addressed to this sensor to handle().
#include "Qd20Measurement.h"
#include "Qd20ParameterBlock.h"
#include "Qd20Variant.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class SimZyl24Sensor {
public:
    // The variant code as the sensor reports it in byte 2 of its block ('0', 3, ...); an
    // unknown code is taken as the 220 mm variant.
    SimZyl24Sensor(std::uint8_t address, std::uint8_t variantCode);

    std::uint8_t address() const { return m_address; } // 1..128
    void setAddress(std::uint8_t address) { m_address = address; }
    const Qd20Variant& variant() const { return *m_variant; }

    // The working parameters and what the last 'S' made permanent.
    const Qd20ParameterBlock& parameters() const { return m_params; }
    Qd20ParameterBlock& parameters() { return m_params; }
    const Qd20ParameterBlock& stored() const { return m_stored; }
    // The preset of a new sensor of this variant ('W').
    Qd20ParameterBlock factoryPreset() const;

    // The target moves back and forth over most of the range (one sweep takes 20 s); a fixed
    // distance holds it still (tests).
    void setFixedDistance(std::optional<float> mm) { m_fixedMm = mm; }
    float distanceAt(std::uint64_t ms) const;
    Qd20Measurement measurementAt(std::uint64_t ms) const;

    // Answers one frame (command letter and data bytes, check already verified). Returns the
    // complete reply bytes; empty for commands it stays silent to ('v').
    std::vector<std::uint8_t> handle(char command, std::span<const std::uint8_t> data, std::uint64_t nowMs);

    // Fast measuring mode ('F' selected): the sensor streams measurement pairs unasked.
    bool streaming() const { return m_streaming; }
    void stopStreaming() { m_streaming = false; }
    // Appends `pairs` measurement pairs of the stream, one per millisecond of sensor time.
    void appendStream(std::vector<std::uint8_t>& out, std::size_t pairs, std::uint64_t nowMs);

    // Bytes of the unframed long dump of 'K'.
    static constexpr std::size_t kDumpBytes = 4096;

private:
    std::vector<std::uint8_t> ack(char status) const;
    std::vector<std::uint8_t> reply(std::span<const std::uint8_t> data) const;
    std::vector<std::uint8_t> pixelReply(std::uint64_t nowMs) const;
    bool applyWrite(char command, std::span<const std::uint8_t> data);
    bool q1State(int value) const;

    std::uint8_t m_address;
    const Qd20Variant* m_variant;
    Qd20ParameterBlock m_params;
    Qd20ParameterBlock m_stored;
    std::optional<float> m_fixedMm;
    bool m_streaming = false;
    std::uint64_t m_streamMs = 0;
};
