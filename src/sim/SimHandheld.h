#pragma once
// A simulated handheld in its PC connection mode. Towards the program it poses as a QS40
// sensor of the new generation (it answers "GVE" with "QS40MNTB $Revision: 4.0 $"), keeps
// four switch points in whole centimetres and speaks the handheld's requests:
//   "ih" n " " dddd, "il" n " " dddd   store hysteresis / distance (ACK, else NAK)
//   "GH" n, "GL" n                     four digits and CR LF, the last digit always 0
//   "mot"                               ACK, then the file in two-byte pieces, each ACKed; a
//                                       lone last byte is ACKed when the line falls quiet
// Anything else gets NAK.
#include "SimTextFrame.h"
#include "SimulatedLine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class SimHandheld : public SimPeer {
public:
    explicit SimHandheld(std::uint32_t baud = 38400) : m_baud(baud) {}

    // [1..4] in millimetres as last received (the handheld reports them rounded down to cm).
    std::array<std::int32_t, 5> switchL{0, 2000, 2500, 3000, 3500};
    std::array<std::int32_t, 5> switchH{0, 300, 300, 300, 300};
    const std::vector<std::uint8_t>& motFile() const { return m_mot; }

    // The request texts received; the listener gets each with its STX and EOT.
    const std::vector<std::vector<std::uint8_t>>& frames() const { return m_frames; }
    void setFrameListener(std::function<void(const std::vector<std::uint8_t>&)> listener) {
        m_listener = std::move(listener);
    }

    std::uint32_t baud() const override { return m_baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;
    void idle(const LineSettings& line, SimulatedLine& out) override;

private:
    void request(const std::string& text, SimulatedLine& out);

    std::uint32_t m_baud;
    SimTextFrame m_frame{16};
    bool m_receivingMot = false;
    bool m_halfPiece = false;
    std::vector<std::uint8_t> m_mot;
    std::vector<std::vector<std::uint8_t>> m_frames;
    std::function<void(const std::vector<std::uint8_t>&)> m_listener;
};
