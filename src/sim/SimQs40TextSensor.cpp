#include "SimQs40TextSensor.h"

#include "Clock.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

namespace {

constexpr std::uint8_t kEot = SimTextFrame::kEot;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::string_view kAccessCode = "48217";
constexpr std::string_view kLoaderRequest = "UPF48217";
constexpr std::uint64_t kSweepMs = 20000;
constexpr std::int32_t kNearMm = 300;
constexpr std::int32_t kFarMm = 5700;

// A whole signed decimal number, as the program sends them.
std::optional<std::int32_t> wholeNumber(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

// "n v": a switch-point number 1..4, one blank and a value.
std::optional<std::pair<int, std::int32_t>> pointAndValue(std::string_view text) {
    if (text.size() < 3 || text[0] < '1' || text[0] > '4' || text[1] != ' ')
        return std::nullopt;
    const auto value = wholeNumber(text.substr(2));
    if (!value)
        return std::nullopt;
    return std::pair{text[0] - '0', *value};
}

std::optional<int> pointOnly(std::string_view text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '4')
        return std::nullopt;
    return text[0] - '0';
}

void send(SimulatedLine& out, std::string_view text) {
    out.deliver(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

void sendByte(SimulatedLine& out, std::uint8_t byte) {
    out.deliver(&byte, 1);
}

void sendValue(SimulatedLine& out, std::int32_t value, bool fourDigits = false) {
    char text[24];
    std::snprintf(text, sizeof text, fourDigits ? "%04d\r\n" : "%d\r\n", static_cast<int>(value));
    send(out, text);
}

} // namespace

SimQs40TextSensor::Values SimQs40TextSensor::factoryValues() {
    Values v;
    for (std::size_t k = 0; k < v.curve.size(); ++k)
        v.curve[k] = static_cast<std::int32_t>(1000 + 7 * k);
    return v;
}

SimQs40TextSensor::SimQs40TextSensor(Clock* clock, int revision, std::uint32_t baud)
    : m_clock(clock), m_revision(revision), m_baud(baud), m_live(factoryValues()), m_stored(m_live),
      m_flash(kPages * kPageSize, 0xFF) {}

std::uint64_t SimQs40TextSensor::now() const {
    return m_clock ? m_clock->nowMs() : 0;
}

std::int32_t SimQs40TextSensor::distanceAt(std::uint64_t ms) const {
    const double phase = double(ms % kSweepMs) / kSweepMs;
    const double sweep = phase < 0.5 ? phase * 2 : 2 - phase * 2;
    return kNearMm + static_cast<std::int32_t>(sweep * (kFarMm - kNearMm));
}

std::uint32_t SimQs40TextSensor::baud() const {
    if (!m_loader)
        return m_baud;
    // Once the loader has been quiet long enough the new firmware runs at the usual rate.
    return m_clock && now() - m_lastLoaderByteMs >= kLoaderQuietMs ? m_baud : kLoaderBaud;
}

void SimQs40TextSensor::leaveLoader() {
    m_loader = false;
    m_live = m_stored = factoryValues();
    m_unlocked = false;
    m_frame.reset();
}

void SimQs40TextSensor::logLoader(std::vector<std::uint8_t> frame) {
    if (m_listener)
        m_listener(frame);
    m_frames.push_back(std::move(frame));
}

void SimQs40TextSensor::receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) {
    if (m_loader && line.baud != kLoaderBaud)
        leaveLoader(); // heard at the usual rate: the quiet time is over
    if (line.dataBits != 8)
        return;
    if (m_loader) {
        m_lastLoaderByteMs = now();
        loaderByte(byte, out);
        return;
    }
    // The loader's entry request is answered byte by byte, from its first letter on.
    const std::string& sofar = m_frame.text();
    if (m_frame.inFrame() &&
        (kLoaderRequest.starts_with(sofar + char(byte)) || (byte == kEot && sofar == kLoaderRequest)))
        sendByte(out, byte);
    if (!m_frame.feed(byte))
        return;
    if (m_listener)
        m_listener(m_frame.wire());
    m_frames.emplace_back(m_frame.text().begin(), m_frame.text().end());
    request(m_frame.text(), out);
}

void SimQs40TextSensor::request(const std::string& text, SimulatedLine& out) {
    const std::string_view t = text;
    const bool fresh = newGeneration();
    auto ack = [&](bool accepted) { sendByte(out, accepted ? kAck : kNak); };
    auto tail = [&](std::string_view command) { return t.substr(command.size()); };

    if (t == "GVE") {
        send(out, "QS40MNTB $Revision: " + std::to_string(m_revision) + ".1 $\r\n");
        return;
    }
    if (t == kLoaderRequest) {
        m_loader = true;
        m_lastLoaderByteMs = now();
        m_page = 0;
        m_dataLeft = 0;
        sendByte(out, kAck);
        return;
    }
    if (t.starts_with("es!")) {
        m_unlocked = tail("es!") == kAccessCode;
        m_nextWord = 0;
        ack(m_unlocked);
        return;
    }
    if ((fresh && t.starts_with("GH")) || (fresh && t.starts_with("GL")) || (!fresh && t.starts_with("?L"))) {
        const auto n = pointOnly(tail("GH"));
        if (!n)
            return ack(false);
        return t[1] == 'H' ? sendValue(out, m_live.switchH[*n]) : sendValue(out, m_live.switchL[*n], true);
    }
    if (t.starts_with("IH") || t.starts_with("IL")) {
        const auto pv = pointAndValue(tail("IH"));
        if (!pv || (t[1] == 'H' && !fresh && pv->first != 1))
            return ack(false);
        (t[1] == 'H' ? m_live.switchH : m_live.switchL)[std::size_t(pv->first)] = pv->second;
        return ack(true);
    }
    if (t == (fresh ? "INM1" : "NOC1")) {
        m_measured = true;
        return ack(true);
    }
    if (t == (fresh ? "ESM" : "TSM")) {
        if (!m_measured)
            return sendByte(out, '?');
        m_measured = false;
        const std::int32_t d = distanceAt(now());
        int state = 0;
        for (int k = 1; k <= 4; ++k)
            if (d < m_live.switchL[std::size_t(k)])
                state |= 1 << (k - 1);
        char reply[64];
        std::snprintf(reply, sizeof reply, "%d 0 %d 0 %d\r\n", int(d), int(1100 - d / 6), state);
        return send(out, reply);
    }
    if (t == "WPP") {
        m_stored = m_live;
        return sendByte(out, '!');
    }
    if (t == "twd") {
        ++m_restarts;
        m_live = m_stored;
        m_unlocked = false;
        m_measured = false;
        return send(out, "QS40MNTB start\r\n");
    }
    if (t == "SUM") {
        m_userMode = true;
        return ack(true);
    }

    // The service parameters: only after the access code.
    struct Field {
        std::string_view get, set;
        std::int32_t Values::*member;
    };
    static constexpr Field kFields[] = {{"GEN", "IEN", &Values::limitEN}, {"GEF", "IEF", &Values::limitEF},
                                        {"GDT", "IDT", &Values::limitDT}, {"GND", "IND", &Values::limitND},
                                        {"GNR", "INR", &Values::paramNR}, {"GTC", "ITC", &Values::paramTC},
                                        {"GTO", "ITO", &Values::paramTO}};
    for (const Field& f : kFields) {
        if (t == f.get)
            return m_unlocked ? sendValue(out, m_live.*f.member) : ack(false);
        if (t.starts_with(f.set)) {
            const auto value = wholeNumber(tail(f.set));
            if (!m_unlocked || !value)
                return ack(false);
            m_live.*f.member = *value;
            return ack(true);
        }
    }
    if (t.starts_with("GRV")) {
        const auto address = wholeNumber(tail("GRV"));
        if (!m_unlocked || !address || *address < 128 || *address > 638 || *address % 2 != 0)
            return ack(false);
        return sendValue(out, m_live.curve[std::size_t(*address - 128) / 2]);
    }
    if (t.starts_with("ICV")) {
        const auto value = wholeNumber(tail("ICV"));
        if (!m_unlocked || !value || m_nextWord >= m_live.curve.size())
            return ack(false);
        m_live.curve[m_nextWord++] = *value;
        return ack(true);
    }
    ack(false);
}

void SimQs40TextSensor::loaderByte(std::uint8_t byte, SimulatedLine& out) {
    if (m_dataLeft > 0) {
        m_pageBytes.push_back(byte);
        sendByte(out, kAck);
        if (--m_dataLeft > 0)
            return;
        std::vector<std::uint8_t> frame{'D'};
        frame.insert(frame.end(), m_pageBytes.begin(), m_pageBytes.end());
        logLoader(std::move(frame));
        if (m_page < kPages) {
            std::copy(m_pageBytes.begin(), m_pageBytes.end(),
                      m_flash.begin() + std::ptrdiff_t(m_page * kPageSize));
            ++m_pagesWritten;
        }
        ++m_page;
        sendByte(out, 'P');
        return;
    }
    switch (byte) {
    case 'B':
        logLoader({'B'});
        sendByte(out, 'E');
        break;
    case '-':
        logLoader({'-'});
        ++m_page;
        ++m_pagesSkipped;
        sendByte(out, kAck);
        sendByte(out, 'P');
        break;
    case 'D':
        m_pageBytes.clear();
        m_dataLeft = kPageSize;
        sendByte(out, kAck);
        break;
    default:
        sendByte(out, kNak);
        break;
    }
}
