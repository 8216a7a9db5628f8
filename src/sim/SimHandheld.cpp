#include "SimHandheld.h"

#include <cstdio>

namespace {
constexpr std::uint8_t kStx = SimTextFrame::kStx;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;

void sendByte(SimulatedLine& out, std::uint8_t byte) {
    out.deliver(&byte, 1);
}

bool digits(const std::string& text, std::size_t from, std::size_t count) {
    if (text.size() != from + count)
        return false;
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}
} // namespace

void SimHandheld::receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) {
    if (line.dataBits != 8)
        return;
    if (m_receivingMot) {
        // A new request ends the file; S-record text never holds STX.
        if (byte != kStx || m_halfPiece) {
            m_mot.push_back(byte);
            m_halfPiece = !m_halfPiece;
            if (!m_halfPiece)
                sendByte(out, kAck);
            return;
        }
        m_receivingMot = false;
    }
    if (!m_frame.feed(byte))
        return;
    if (m_listener)
        m_listener(m_frame.wire());
    m_frames.emplace_back(m_frame.text().begin(), m_frame.text().end());
    request(m_frame.text(), out);
}

void SimHandheld::idle(const LineSettings& /*line*/, SimulatedLine& out) {
    if (m_receivingMot && m_halfPiece) {
        m_halfPiece = false;
        sendByte(out, kAck);
    }
}

void SimHandheld::request(const std::string& text, SimulatedLine& out) {
    if (text == "GVE") {
        const std::string reply = "QS40MNTB $Revision: 4.0 $\r\n";
        out.deliver(reinterpret_cast<const std::uint8_t*>(reply.data()), reply.size());
        return;
    }
    if (text == "mot") {
        m_receivingMot = true;
        m_halfPiece = false;
        m_mot.clear();
        return sendByte(out, kAck);
    }
    const bool point = text.size() >= 3 && text[2] >= '1' && text[2] <= '4';
    const auto n = point ? std::size_t(text[2] - '0') : 0;
    if (point && (text.starts_with("ih") || text.starts_with("il")) && text.size() > 3 && text[3] == ' ' &&
        digits(text, 4, 4)) {
        (text[1] == 'h' ? switchH : switchL)[n] = std::stoi(text.substr(4));
        return sendByte(out, kAck);
    }
    if (point && text.size() == 3 && (text.starts_with("GH") || text.starts_with("GL"))) {
        const std::int32_t value = (text[1] == 'H' ? switchH : switchL)[n];
        char reply[16];
        std::snprintf(reply, sizeof reply, "%04d\r\n", static_cast<int>(value / 10 * 10));
        const std::string r = reply;
        out.deliver(reinterpret_cast<const std::uint8_t*>(r.data()), r.size());
        return;
    }
    sendByte(out, kNak);
}
