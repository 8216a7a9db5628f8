#include "SimZyl24Bus.h"

#include "Clock.h"
#include "Q20_speziell.h"

namespace {

constexpr std::size_t kShortestFrame = 4;
constexpr std::size_t kLongestFrame = 9;
constexpr std::uint64_t kMsPerFrameWithoutClock = 40;
constexpr std::size_t kStreamBytesPerWait = 64;

// The sensors talk 8 data bits without parity; anything else reaches them as garbage.
bool sensorFraming(const LineSettings& line) {
    return line.dataBits == 8 && line.parity == Parity::None;
}

} // namespace

SimZyl24Bus::SimZyl24Bus(Clock* clock, std::uint32_t baud) : m_clock(clock), m_baud(baud) {}

SimZyl24Sensor& SimZyl24Bus::addSensor(std::uint8_t address, std::uint8_t variantCode) {
    m_sensors.push_back(std::make_unique<SimZyl24Sensor>(address, variantCode));
    return *m_sensors.back();
}

SimZyl24Sensor* SimZyl24Bus::sensorAt(std::uint8_t address) {
    for (auto& s : m_sensors)
        if ((s->address() & 0x7F) == (address & 0x7F))
            return s.get();
    return nullptr;
}

std::uint64_t SimZyl24Bus::nowMs() {
    return m_clock ? m_clock->nowMs() : m_ticks;
}

void SimZyl24Bus::lineReset() {
    m_frame.clear();
    m_expected = 0;
    for (auto& s : m_sensors)
        s->stopStreaming();
}

bool SimZyl24Bus::streaming() const {
    for (const auto& s : m_sensors)
        if (s->streaming())
            return true;
    return false;
}

std::vector<std::uint8_t> SimZyl24Bus::takeStream(std::size_t maxBytes) {
    std::vector<std::uint8_t> bytes;
    for (auto& s : m_sensors) {
        if (s->streaming()) {
            s->appendStream(bytes, maxBytes / 2, nowMs());
            break;
        }
    }
    return bytes;
}

void SimZyl24Bus::receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) {
    if (!sensorFraming(line)) {
        m_frame.clear();
        return;
    }
    if (byte & 0x80) {
        // Only an address byte has bit 7 set: whatever came before was a broken frame.
        m_frame.assign(1, byte);
        m_expected = 0;
        return;
    }
    if (m_frame.empty())
        return;
    m_frame.push_back(byte);
    if (m_frame.size() == 2) {
        if (byte < kShortestFrame || byte > kLongestFrame)
            m_frame.clear();
        else
            m_expected = byte;
        return;
    }
    if (m_frame.size() == m_expected)
        frameComplete(out);
}

void SimZyl24Bus::frameComplete(SimulatedLine& out) {
    const std::vector<std::uint8_t> frame = std::move(m_frame);
    m_frame.clear();
    m_expected = 0;
    m_frames.push_back(frame);
    if (m_listener)
        m_listener(frame);
    if (!m_clock)
        m_ticks += kMsPerFrameWithoutClock;

    const std::span<const std::uint8_t> body(frame.data(), frame.size() - 1);
    if (Qd20CheckValue(body) != frame.back())
        return;
    SimZyl24Sensor* sensor = sensorAt(frame[0]);
    if (!sensor)
        return;
    sensor->stopStreaming();
    const auto reply =
        sensor->handle(static_cast<char>(frame[2]),
                       std::span<const std::uint8_t>(frame).subspan(3, frame.size() - 4), nowMs());
    if (!reply.empty())
        out.deliver(reply);
}

void SimZyl24Bus::idle(const LineSettings& line, SimulatedLine& out) {
    if (!sensorFraming(line) || !streaming())
        return;
    out.deliver(takeStream(kStreamBytesPerWait));
}
