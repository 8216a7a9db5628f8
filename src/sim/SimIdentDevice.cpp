#include "SimIdentDevice.h"

namespace {
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEot = 0x04;
constexpr std::size_t kLongestFrame = 16; // anything longer is not a request of ours
} // namespace

void SimIdentDevice::receive(std::uint8_t byte, const LineSettings& /*line*/, SimulatedLine& out) {
    if (m_chatter > 0) {
        --m_chatter;
        const std::uint8_t tail = '0';
        out.deliver(&tail, 1);
    }
    if (byte == kStx) {
        m_inFrame = true;
        m_frame.clear();
        return;
    }
    if (!m_inFrame)
        return;
    if (byte == kEot) {
        m_inFrame = false;
        if (m_frame == "GVE") {
            ++m_requests;
            out.deliver(reinterpret_cast<const std::uint8_t*>(m_reply.data()), m_reply.size());
        }
        return;
    }
    m_frame.push_back(static_cast<char>(byte));
    if (m_frame.size() > kLongestFrame)
        m_inFrame = false;
}

void SimIdentDevice::idle(const LineSettings& /*line*/, SimulatedLine& out) {
    if (m_streaming) {
        const std::uint8_t value = 'M';
        out.deliver(&value, 1);
    }
}
