#pragma once
// A sensor that answers the identification request STX "GVE" EOT with its type-code line,
// as the QS40-family sensors do. Everything else it hears it takes in silently, so a line
// resynchronised with STX bytes falls quiet. For tests of the line services it can also be
// made to chatter on for a while, or to talk without end.
#include "SimTextFrame.h"
#include "SimulatedLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

class SimIdentDevice : public SimPeer {
public:
    explicit SimIdentDevice(std::string reply = "QS55____ $Revision: 4.2 $\r\n", std::uint32_t baud = 38400)
        : m_reply(std::move(reply)), m_baud(baud) {}

    void setReply(std::string reply) { m_reply = std::move(reply); }
    void setBaud(std::uint32_t baud) { m_baud = baud; }
    // The next `count` bytes the sensor hears are each answered with one byte (the tail of
    // something it was still sending), before it goes quiet.
    void setChatter(std::size_t count) { m_chatter = count; }
    // Sends a byte whenever the program waits for data, like a sensor streaming measurements.
    void setStreaming(bool on) { m_streaming = on; }

    // How many complete identification requests the sensor has heard.
    std::size_t requests() const { return m_requests; }

    std::uint32_t baud() const override { return m_baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;
    void idle(const LineSettings& line, SimulatedLine& out) override;

private:
    std::string m_reply;
    std::uint32_t m_baud;
    SimTextFrame m_frame{16}; // anything longer is not a request of ours
    std::size_t m_chatter = 0;
    bool m_streaming = false;
    std::size_t m_requests = 0;
};
