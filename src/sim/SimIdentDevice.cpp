#include "SimIdentDevice.h"

void SimIdentDevice::receive(std::uint8_t byte, const LineSettings& /*line*/, SimulatedLine& out) {
    if (m_chatter > 0) {
        --m_chatter;
        const std::uint8_t tail = '0';
        out.deliver(&tail, 1);
    }
    if (m_frame.feed(byte) && m_frame.text() == "GVE") {
        ++m_requests;
        out.deliver(reinterpret_cast<const std::uint8_t*>(m_reply.data()), m_reply.size());
    }
}

void SimIdentDevice::idle(const LineSettings& /*line*/, SimulatedLine& out) {
    if (m_streaming) {
        const std::uint8_t value = 'M';
        out.deliver(&value, 1);
    }
}
