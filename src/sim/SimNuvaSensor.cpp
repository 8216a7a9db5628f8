#include "SimNuvaSensor.h"

#include "Clock.h"
#include "Qs40_nuva_speziell.h"

#include <string>
#include <utility>

namespace {

constexpr std::size_t kShortestRequest = 5;
// "5" carries the most data: the key and eight words.
constexpr std::size_t kLongestRequest = kShortestRequest + 1 + 2 * kNuvaLimitCount;
constexpr std::uint64_t kSweepMs = 20000; // there and back
constexpr std::uint16_t kNearestMm = 400;
constexpr std::uint64_t kMsPerFrameWithoutClock = 100;

struct KindData {
    std::uint8_t code; // d[3] of the "X" reply
    std::uint8_t major;
    std::uint8_t minor;
    std::uint16_t maxMm;
};

KindData kindData(int type) {
    return type == kNuvaTypeMntb ? KindData{3, 3, 1, 6000} : KindData{1, 2, 7, 5300};
}

void appendWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t wordAt(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

bool checksumHolds(std::span<const std::uint8_t> frame) {
    std::uint8_t x = 0;
    for (std::uint8_t b : frame.first(frame.size() - 1))
        x ^= b;
    return x == frame.back();
}

} // namespace

SimNuvaSensor::SimNuvaSensor(int sensorType, std::uint8_t slave, Clock* clock, std::uint32_t baud)
    : m_type(sensorType == kNuvaTypeMntb ? kNuvaTypeMntb : kNuvaTypeMntd), m_slave(slave), m_clock(clock),
      m_baud(baud) {
    // Factory set: every field 800, 1200, 2000, 2800 mm; hysteresis 48 mm.
    constexpr std::array<std::uint16_t, 4> kFieldPoints{800, 1200, 2000, 2800};
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        m_points.points[k] = kFieldPoints[k % 4];
    m_points.hysteresis.fill(48);
    m_limits = {4, 2, 16, 60, 20, 4, 1800, 2800};
}

std::uint16_t SimNuvaSensor::maxDistance() const {
    return kindData(m_type).maxMm;
}

void SimNuvaSensor::setParityVisible(bool visible) {
    m_parityVisible = visible;
    m_frame.clear();
}

std::uint64_t SimNuvaSensor::nowMs() const {
    return m_clock ? m_clock->nowMs() : m_ticks;
}

std::uint16_t SimNuvaSensor::distanceAt(std::uint64_t ms) const {
    if (m_fixedMm)
        return *m_fixedMm;
    const double phase = double(ms % kSweepMs) / kSweepMs;
    const double sweep = phase < 0.5 ? phase * 2 : 2 - phase * 2;
    const double farthest = maxDistance() - kNearestMm;
    return static_cast<std::uint16_t>(kNearestMm + sweep * (farthest - kNearestMm));
}

void SimNuvaSensor::receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) {
    if (line.dataBits != 8) {
        m_frame.clear(); // garbage to a nine-bit receiver
        return;
    }
    if (!m_parityVisible) {
        m_frame.push_back(byte);
        scanByPlace(out);
        return;
    }
    if (SimulatedLine::ninthBit(byte, line)) {
        m_frame.assign(1, byte); // an address byte ends whatever came before
        return;
    }
    if (m_frame.empty())
        return; // not addressed: the receiver waits for the next address byte
    m_frame.push_back(byte);
    const std::size_t length = m_frame.size() >= 3 ? m_frame[2] : 0;
    if (m_frame.size() == 3 && (length < kShortestRequest || length > kLongestRequest))
        m_frame.clear();
    else if (m_frame.size() >= 3 && m_frame.size() == length)
        frameComplete(std::exchange(m_frame, {}), out);
}

void SimNuvaSensor::scanByPlace(SimulatedLine& out) {
    while (m_frame.size() >= 3) {
        const std::size_t length = m_frame[2];
        if (length < kShortestRequest || length > kLongestRequest) {
            m_frame.erase(m_frame.begin());
            continue;
        }
        if (m_frame.size() < length)
            return;
        if (!checksumHolds(std::span(m_frame).first(length))) {
            m_frame.erase(m_frame.begin());
            continue;
        }
        std::vector<std::uint8_t> frame(m_frame.begin(),
                                        m_frame.begin() + static_cast<std::ptrdiff_t>(length));
        m_frame.erase(m_frame.begin(), m_frame.begin() + static_cast<std::ptrdiff_t>(length));
        frameComplete(std::move(frame), out);
    }
}

void SimNuvaSensor::frameComplete(std::vector<std::uint8_t> frame, SimulatedLine& out) {
    m_frames.push_back(frame);
    if (m_listener)
        m_listener(frame);
    if (frame[0] != m_slave || !checksumHolds(frame))
        return;
    const std::uint8_t command = frame[3];
    const auto data = handle(command, std::span(frame).subspan(4, frame.size() - 5));
    if (!m_clock)
        m_ticks += kMsPerFrameWithoutClock;
    if (!data)
        return;
    const std::vector<std::uint8_t> reply = NuvaReplyFrame(frame[1], m_slave, *data);
    const std::uint32_t delay = command == 'S' ? m_storeDelayMs : 0;
    out.deliver({reply.front()}, {true, delay});
    out.deliver(std::vector<std::uint8_t>(reply.begin() + 1, reply.end()), {m_eightBit, delay});
}

std::optional<std::vector<std::uint8_t>> SimNuvaSensor::handle(std::uint8_t command,
                                                               std::span<const std::uint8_t> data) {
    const KindData kind = kindData(m_type);
    const std::uint16_t distance = distanceAt(nowMs());
    const bool keyed = !data.empty() && data[0] == kNuvaKey;
    std::vector<std::uint8_t> reply{command};
    switch (command) {
    case 'X':
        if (!data.empty())
            return std::nullopt;
        reply.insert(reply.end(), {kind.major, kind.minor, kind.code});
        break;
    case 'U':
        if (!data.empty())
            return std::nullopt;
        for (std::uint16_t p : m_points.points)
            appendWord(reply, p);
        for (std::uint16_t h : m_points.hysteresis)
            appendWord(reply, h);
        break;
    case 'L': {
        if (data.size() != 3)
            return std::nullopt;
        const int field = data[0] / 16;
        const int point = data[0] % 16;
        if (field < 1 || field > 4 || point < 1 || point > 4)
            return std::nullopt;
        // A point beyond the measuring range is acknowledged but not taken.
        const std::uint16_t value = wordAt(data, 1);
        if (value <= kind.maxMm)
            m_points.points[static_cast<std::size_t>((field - 1) * 4 + point - 1)] = value;
        break;
    }
    case 'H':
        if (data.size() != 3 || data[0] < 1 || data[0] > kNuvaHysteresisCount)
            return std::nullopt;
        m_points.hysteresis[data[0] - 1u] = wordAt(data, 1);
        break;
    case 'A':
        if (data.size() != 1 || data[0] < 128 || data[0] >= 128 + kNuvaFieldCount)
            return std::nullopt;
        m_field = data[0] - 128;
        break;
    case 'C':
    case 'S':
        if (!data.empty())
            return std::nullopt;
        if (command == 'S')
            ++m_stores;
        break;
    case 'P':
        if (!data.empty())
            return std::nullopt;
        appendWord(reply, static_cast<std::uint16_t>(4000 - distance / 2));
        break;
    case ':':
        if (data.size() != 1 || !keyed)
            return std::nullopt;
        reply = {static_cast<std::uint8_t>(m_nearPresent ? kNuvaNearSwitchPresent : 0),
                 static_cast<std::uint8_t>(m_nearActive ? 0 : 1)};
        break;
    case '*':
        if (data.size() != 2 || !keyed || data[1] > 1)
            return std::nullopt;
        if (m_nearPresent)
            m_nearActive = data[1] == 0;
        break;
    case '6':
        if (data.size() != 1 || !keyed)
            return std::nullopt;
        for (std::uint16_t v : m_limits)
            appendWord(reply, v);
        break;
    case '5':
        if (data.size() != 1 + 2 * kNuvaLimitCount || !keyed)
            return std::nullopt;
        for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
            m_limits[k] = wordAt(data, 1 + 2 * k);
        break;
    default:
        return std::nullopt;
    }
    appendWord(reply, distance);
    return reply;
}
