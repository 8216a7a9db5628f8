#include "SimZyl24Sensor.h"

#include "Q20_speziell.h"
#include "Qd20PixelData.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint64_t kSweepMs = 20000; // there and back
constexpr int kSpotWidthPixels = 4;

bool isQ1FunctionLetter(char c, int& position) {
    static constexpr char kLetters[] = {'T', 'E', 'M', 'X', 'D', 'F', 'C', 'Z'};
    for (int i = 0; i < 8; ++i) {
        if (kLetters[i] == c) {
            position = i + 2;
            return true;
        }
    }
    return false;
}

std::array<std::uint8_t, 2> sevenBitPair(int value) {
    const int v = std::clamp(value, 0, 127 * 128 + 127);
    return {static_cast<std::uint8_t>(v / 128), static_cast<std::uint8_t>(v % 128)};
}

} // namespace

SimZyl24Sensor::SimZyl24Sensor(std::uint8_t address, std::uint8_t variantCode) : m_address(address) {
    m_variant = VariantForCode(variantCode);
    if (!m_variant)
        m_variant = VariantForSensorType(1);
    m_params.variantCode = variantCode & 0x7F;
    m_params = factoryPreset();
    m_stored = m_params;
}

Qd20ParameterBlock SimZyl24Sensor::factoryPreset() const {
    Qd20ParameterBlock b;
    b.variantCode = m_params.variantCode;
    b.q1Function = 0;
    b.q2Function = 0;
    b.averaging = 0;
    b.analogPoint1Raw = 4095; // 4 mA at the range start
    b.analogPoint2Raw = 0;    // 20 mA at the range end
    b.q1SecondRaw = 2048;     // Q1 switches at mid-range
    b.q1FirstRaw = 3072;
    b.q2SecondRaw = 1024;
    b.q2FirstRaw = 2048;
    return b;
}

float SimZyl24Sensor::distanceAt(std::uint64_t ms) const {
    if (m_fixedMm)
        return *m_fixedMm;
    // Sensors at different addresses move out of step, so two plots differ.
    const std::uint64_t t = (ms + std::uint64_t(m_address) * 1700) % kSweepMs;
    const double phase = double(t) / kSweepMs;
    const double sweep = phase < 0.5 ? phase * 2 : 2 - phase * 2;
    const double margin = m_variant->rangeSpan * 0.05;
    return static_cast<float>(m_variant->rangeStart + margin + sweep * (m_variant->rangeSpan - 2 * margin));
}

bool SimZyl24Sensor::q1State(int value) const {
    // The raw scale runs against the distance: a nearer target has the larger value.
    bool on = false;
    switch (m_params.q1Function.value_or(0)) {
    case 0:
        on = value > m_params.q1SecondRaw;
        break;
    case 1:
        on = value >= std::min(m_params.q1FirstRaw, m_params.q1SecondRaw) &&
             value <= std::max(m_params.q1FirstRaw, m_params.q1SecondRaw);
        break;
    default:
        on = value > m_params.q1FirstRaw;
        break;
    }
    return on != m_params.q1NormallyClosed;
}

Qd20Measurement SimZyl24Sensor::measurementAt(std::uint64_t ms) const {
    Qd20Measurement m;
    const int raw = std::clamp(ToRaw(distanceAt(ms), *m_variant), 0, 4095);
    m.value = static_cast<std::uint16_t>(raw);
    m.goodTarget = true;
    m.q1On = q1State(raw);
    return m;
}

std::vector<std::uint8_t> SimZyl24Sensor::reply(std::span<const std::uint8_t> data) const {
    return BuildReplyFrame(m_address, 'Y', data);
}

std::vector<std::uint8_t> SimZyl24Sensor::ack(char status) const {
    return BuildReplyFrame(m_address, status, {});
}

std::vector<std::uint8_t> SimZyl24Sensor::pixelReply(std::uint64_t nowMs) const {
    // A bright spot on the line sensor whose place follows the distance, on a dim background.
    // Levels stay below 4096, the plot's value range, so the curve shows without zooming out.
    const float mm = distanceAt(nowMs);
    const double centre = 10.0 + (mm - m_variant->rangeStart) / m_variant->rangeSpan * (kQd20PixelCount - 20);
    std::vector<std::uint8_t> data;
    data.reserve(kQd20PixelDataBytes + 2);
    const auto exposure = sevenBitPair(int(40 + (nowMs / 40) % 20));
    data.insert(data.end(), exposure.begin(), exposure.end());
    for (int i = 0; i < kQd20PixelCount; ++i) {
        const double d = (i - centre) / kSpotWidthPixels;
        const int value = 200 + int(3300 * std::exp(-d * d)) + int((nowMs / 7 + i * 13) % 64);
        data.push_back(static_cast<std::uint8_t>(value >> 8));
        data.push_back(static_cast<std::uint8_t>((value & 0xFF) >> 2));
    }
    data.push_back(0);
    data.push_back(0);
    return BuildReplyFrame(m_address, 'Y', data, kQd20PixelExtraBytes);
}

bool SimZyl24Sensor::applyWrite(char command, std::span<const std::uint8_t> d) {
    auto raw = [&](std::size_t at) { return JoinRaw12(d[at], d[at + 1]); };
    int position = 0;
    switch (command) {
    case '1':
    case '2': {
        if (d.size() != 5)
            return false;
        const int first = raw(0);
        const int second = raw(3);
        const bool q1 = command == '1';
        // A second point of 0 means one switch point, which the sensor keeps in the second pair.
        (q1 ? m_params.q1Function : m_params.q2Function) = second == 0 ? 0 : 1;
        (q1 ? m_params.q1SecondRaw : m_params.q2SecondRaw) = second == 0 ? first : second;
        if (second != 0)
            (q1 ? m_params.q1FirstRaw : m_params.q2FirstRaw) = first;
        (q1 ? m_params.q1NormallyClosed : m_params.q2NormallyClosed) = d[2] & 1;
        (q1 ? m_params.q1PulseStretch : m_params.q2PulseStretch) = d[2] & 2;
        return true;
    }
    case 'G':
        m_params.q2Function = 2;
        return true;
    case 'V':
    case 'R':
    case 'Q':
        if (d.size() != 1 || d[0] > 1)
            return false;
        (command == 'V'   ? m_params.keyLockOn
         : command == 'R' ? m_params.holdOn
                          : m_params.setQ1High) = d[0] == 1;
        return true;
    case 'B':
        if (d.size() != 1 || d[0] > 7 || (d[0] & 3) == 3)
            return false;
        m_params.averaging = 2 - (d[0] & 3);
        m_params.lowlight = d[0] & 4;
        return true;
    case 'H':
        // The 20 mA point must not fall on the 4 mA point; the 4 mA point is always taken.
        if (d.size() != 2 || raw(0) == m_params.analogPoint1Raw)
            return false;
        m_params.analogPoint2Raw = raw(0);
        return true;
    case 'N':
        if (d.size() != 2)
            return false;
        m_params.analogPoint1Raw = raw(0);
        return true;
    case 'W':
        m_params = factoryPreset();
        return true;
    case 'S':
        m_stored = m_params;
        return true;
    default:
        if (isQ1FunctionLetter(command, position)) {
            m_params.q1Function = position;
            return true;
        }
        return false;
    }
}

std::vector<std::uint8_t> SimZyl24Sensor::handle(char command, std::span<const std::uint8_t> data,
                                                 std::uint64_t nowMs) {
    switch (command) {
    case '?': {
        const auto block = EncodeParameterBlock(m_params);
        return reply(block);
    }
    case 'A':
    case 'I': {
        const auto bytes = EncodeMeasurement(measurementAt(nowMs));
        return reply(bytes);
    }
    case 'v':
        return {}; // a ZYL24 does not know the second search probe and stays silent
    case '6':
        return pixelReply(nowMs);
    case '3': {
        const float mm = distanceAt(nowMs);
        const int centre = int((10.0 + (mm - m_variant->rangeStart) / m_variant->rangeSpan * 82.0) * 100);
        std::vector<std::uint8_t> bytes{0, 3};
        for (int q : {centre, 12400 + int(nowMs % 100), int(measurementAt(nowMs).value)}) {
            const auto pair = sevenBitPair(q);
            bytes.insert(bytes.end(), pair.begin(), pair.end());
        }
        return reply(bytes);
    }
    case 'K': {
        // The long dump has no frame: the raw bytes of a line-sensor readout.
        std::vector<std::uint8_t> dump(kDumpBytes);
        const double centre = (distanceAt(nowMs) - m_variant->rangeStart) / m_variant->rangeSpan * kDumpBytes;
        for (std::size_t i = 0; i < dump.size(); ++i) {
            const double d = (double(i) - centre) / 160.0;
            dump[i] = static_cast<std::uint8_t>(12 + 230 * std::exp(-d * d));
        }
        return dump;
    }
    case 'L': {
        if (data.size() != 1 || data[0] < 1 || data[0] > 127)
            return ack('N');
        // The acknowledge still comes from the old address; the new one holds from then on.
        auto frame = ack('Y');
        m_address = data[0];
        return frame;
    }
    default:
        break;
    }
    if (!applyWrite(command, data))
        return ack('N');
    if (command == 'F') {
        m_streaming = true;
        m_streamMs = nowMs;
    }
    return ack('Y');
}

void SimZyl24Sensor::appendStream(std::vector<std::uint8_t>& out, std::size_t pairs, std::uint64_t nowMs) {
    m_streamMs = std::max(m_streamMs, nowMs);
    for (std::size_t i = 0; i < pairs; ++i) {
        const unsigned value = measurementAt(m_streamMs++).value;
        out.push_back(static_cast<std::uint8_t>(0x40 | (value >> 6)));
        out.push_back(static_cast<std::uint8_t>(value & 0x3F));
    }
}
