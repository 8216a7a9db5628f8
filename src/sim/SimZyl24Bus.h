#pragma once
// A simulated ZYL24 bus: one or more sensors at their addresses, fed the bytes of the line.
// Frames are collected from a byte with bit 7 set; a complete frame with a correct check byte
// addressed to a sensor is answered by it (unknown commands with 'N'), anything else is
// ignored. Every complete frame is logged, so tests can assert exact bytes.
//
// Stream format of the fast measuring mode ('F'): pairs of bytes, both with bit 7 clear; the
// first carries bit 6 set and value bits 11..6, the second bit 6 clear and value bits 5..0.
// A streaming sensor sends while the program waits for data; a frame addressed to it, or the
// port being opened anew, ends the stream.
#include "SimZyl24Sensor.h"
#include "SimulatedLine.h"

#include <functional>
#include <memory>
#include <vector>

class Clock;

class SimZyl24Bus : public SimPeer {
public:
    // Without a clock, time advances 40 ms per measurement request.
    explicit SimZyl24Bus(Clock* clock = nullptr, std::uint32_t baud = 38400);

    SimZyl24Sensor& addSensor(std::uint8_t address, std::uint8_t variantCode);
    SimZyl24Sensor* sensorAt(std::uint8_t address);
    const std::vector<std::unique_ptr<SimZyl24Sensor>>& sensors() const { return m_sensors; }

    const std::vector<std::vector<std::uint8_t>>& frames() const { return m_frames; }
    void clearFrames() { m_frames.clear(); }
    // Called with every complete frame received (zylsim writes its log from here).
    void setFrameListener(std::function<void(const std::vector<std::uint8_t>&)> listener) {
        m_listener = std::move(listener);
    }

    // The port was opened again: a partial frame is dropped and streaming ends.
    void lineReset();
    bool streaming() const;
    // Up to maxBytes of stream from the streaming sensor (whole pairs only).
    std::vector<std::uint8_t> takeStream(std::size_t maxBytes);

    std::uint32_t baud() const override { return m_baud; }
    void setBaud(std::uint32_t baud) { m_baud = baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;
    void idle(const LineSettings& line, SimulatedLine& out) override;

    std::uint64_t nowMs();

private:
    void frameComplete(SimulatedLine& out);

    Clock* m_clock;
    std::uint32_t m_baud;
    std::uint64_t m_ticks = 0;
    std::vector<std::unique_ptr<SimZyl24Sensor>> m_sensors;
    std::vector<std::uint8_t> m_frame;
    std::size_t m_expected = 0;
    std::vector<std::vector<std::uint8_t>> m_frames;
    std::function<void(const std::vector<std::uint8_t>&)> m_listener;
};
