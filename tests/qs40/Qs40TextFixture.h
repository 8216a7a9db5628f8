#pragma once
// A QS40 text-protocol sensor (simulated or scripted) on COM 3 of a port layer with a fake
// clock, opened and identified the way the QS40 window does it.
#include "Qs40_speziell.h"
#include "SimLineProvider.h"
#include "SimQs40TextSensor.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

// Answers each complete request with the bytes scripted for its text (silence when none),
// identifies as a QS40 of the new generation and logs what it heard.
class ScriptedQs40 : public SimPeer {
public:
    std::map<std::string, std::string> replies;
    std::map<std::string, std::uint32_t> delaysMs;  // replies that come late
    std::map<std::string, std::uint32_t> trickleMs; // replies whose bytes come this far apart
    std::vector<std::string> requests;

    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t byte, const LineSettings&, SimulatedLine& out) override {
        if (byte == 0x02) {
            m_frame.clear();
            m_inFrame = true;
        } else if (byte == 0x04 && m_inFrame) {
            m_inFrame = false;
            requests.push_back(m_frame);
            const std::string reply = m_frame == "GVE" ? "QS40MNTB $Revision: 4.2 $\r\n" : replies[m_frame];
            const std::uint32_t delay = delaysMs.contains(m_frame) ? delaysMs[m_frame] : 0;
            const std::uint32_t step = trickleMs.contains(m_frame) ? trickleMs[m_frame] : 0;
            for (std::size_t i = 0; i < reply.size(); ++i) {
                out.delayIncoming(delay + std::uint32_t(i) * step);
                out.deliver(reinterpret_cast<const std::uint8_t*>(reply.data()) + i, 1);
            }
            out.delayIncoming(0);
        } else if (m_inFrame) {
            m_frame.push_back(static_cast<char>(byte));
        }
    }

private:
    std::string m_frame;
    bool m_inFrame = false;
};

inline std::vector<std::string> texts(const std::vector<std::vector<std::uint8_t>>& frames) {
    std::vector<std::string> out;
    for (const auto& f : frames)
        out.emplace_back(f.begin(), f.end());
    return out;
}

class Qs40TextFixture : public ::testing::Test {
protected:
    static constexpr int kCom = 3;

    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet params;
    CountingProgress progress;
    Qs40Context ctx{ports, typePort, params, &progress};
    SimulatedLine* line = nullptr;
    std::unique_ptr<SimQs40TextSensor> sensor;
    ScriptedQs40 scripted;

    // Opens COM 3 with `peer` on it as the window's search does (even parity, 100 ms).
    void connect(SimPeer& peer) {
        provider.plug(kCom, [this, &peer](SimulatedLine& l) {
            l.attach(&peer);
            line = &l;
        });
        ASSERT_EQ(ports.OpenAndIdentify(kCom, 38400, 0, 2, 8, 100), 7);
        typePort[kQs40SensorType] = kCom;
        line->clearWritten();
    }
    void connectSensor(int revision = 4) {
        sensor = std::make_unique<SimQs40TextSensor>(&clock, revision);
        connect(*sensor);
        sensor->clearFrames();
    }
    std::vector<std::string> frames() const { return texts(sensor->frames()); }
};
