#include "SimHalvernSensor.h"

#include "Clock.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr std::uint64_t kSweepMs = 20000;
constexpr std::size_t kLongestRequest = 16;
constexpr std::uint64_t kMsPerRequestWithoutClock = 100;

struct Range {
    double lowMm;
    double highMm;
};
Range rangeOf(int type) {
    return type == 14 ? Range{100, 500} : Range{100, 900};
}

} // namespace

SimHalvernSensor::SimHalvernSensor(int type, Clock* clock, std::uint32_t baud)
    : m_type(type == 14 ? 14 : 15), m_clock(clock), m_baud(baud) {}

double SimHalvernSensor::distanceAt(std::uint64_t ms) const {
    if (m_fixedMm)
        return *m_fixedMm;
    const Range r = rangeOf(m_type);
    const double phase = double(ms % kSweepMs) / kSweepMs;
    const double sweep = phase < 0.5 ? phase * 2 : 2 - phase * 2;
    const double margin = (r.highMm - r.lowMm) * 0.1;
    return r.lowMm + margin + sweep * (r.highMm - r.lowMm - 2 * margin);
}

std::string SimHalvernSensor::replyAt(std::uint64_t ms) const {
    const double mm = distanceAt(ms);
    const Range r = rangeOf(m_type);
    char digits[16];
    if (m_type == 15) {
        if (mm < r.lowMm || mm > r.highMm)
            return "/020D00+h\r";
        std::snprintf(digits, sizeof digits, "%06ld", std::lround(mm * 1000));
        return std::string("/020D00+") + digits + "\r";
    }
    if (mm > r.highMm)
        return "/020Dh\r";
    if (mm < r.lowMm)
        return "/020Dl\r";
    std::snprintf(digits, sizeof digits, "%05ld", std::lround(mm * 100));
    return std::string("/020D") + digits + "\r";
}

void SimHalvernSensor::receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) {
    if (line.dataBits != 8 || line.parity != Parity::None) {
        m_input.clear();
        return;
    }
    const char c = static_cast<char>(byte);
    if (c == '/')
        m_input.clear();
    m_input.push_back(c);
    if (m_input.size() > kLongestRequest) {
        m_input.clear();
        return;
    }
    if (c != '.')
        return;
    const std::string request = std::move(m_input);
    m_input.clear();
    if (request != (m_type == 15 ? "/020D0059." : "/020D0e0C."))
        return;
    if (!m_clock)
        m_ticks += kMsPerRequestWithoutClock;
    const std::string reply = replyAt(m_clock ? m_clock->nowMs() : m_ticks);
    out.deliver(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size());
    ++m_answered;
}
