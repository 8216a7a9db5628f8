#pragma once
// A NUVA line for the tests: a simulated line on a fake clock with the NUVA link's time-outs,
// set to the sensors' 57600 baud, and peers that record or script what travels on it.
#include "NuvaCommands.h"
#include "Qs40_nuva_speziell.h"
#include "SimNuvaSensor.h"
#include "SimulatedLine.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline constexpr Timeouts kNuvaTimeouts{100, 5, 50, 5, 200};

// Records every byte with the parity it was sent with.
struct ParityRecorder : SimPeer {
    std::uint32_t baud() const override { return 57600; }
    void receive(std::uint8_t b, const LineSettings& line, SimulatedLine&) override {
        heard.emplace_back(b, line.parity);
    }
    std::vector<std::pair<std::uint8_t, Parity>> heard;
};

// Answers a frame of `expectLength` bytes, counted from an address byte, with a scripted reply.
struct ScriptedSensor : SimPeer {
    std::uint32_t baud() const override { return 57600; }
    void receive(std::uint8_t b, const LineSettings& line, SimulatedLine& out) override {
        m_heard = SimulatedLine::ninthBit(b, line) ? 1 : m_heard + 1;
        if (m_heard != expectLength)
            return;
        m_heard = 0;
        if (answer)
            answer(out);
    }
    // Replies with these bytes: the first with a ninth bit of 1, the rest with `ninthBit`.
    void reply(Bytes bytes, bool ninthBit = false) {
        answer = [bytes = std::move(bytes), ninthBit](SimulatedLine& out) {
            out.deliver({bytes.front()}, {true, 0});
            out.deliver(Bytes(bytes.begin() + 1, bytes.end()), {ninthBit, 0});
        };
    }
    std::size_t expectLength = 5;
    std::function<void(SimulatedLine&)> answer;

private:
    std::size_t m_heard = 0;
};

class NuvaLineTest : public ::testing::Test {
protected:
    NuvaLineTest() : line(&clock), sensor(12, 222, &clock) {
        line.setTimeouts(kNuvaTimeouts);
        line.applySettings({57600, 8, Parity::Mark, StopBits::One, RtsControl::Disable});
        line.attach(&sensor);
    }
    NuvaReply send(const NuvaRequest& r, bool waitLong = false) {
        return NuvaExchange(line, line.echo(), clock, options, r.command, r.data, waitLong);
    }
    NuvaReply send(std::uint8_t command, const Bytes& data = {}) { return send(NuvaRequest{command, data}); }
    FakeClock clock;
    SimulatedLine line;
    SimNuvaSensor sensor;
    NuvaLinkOptions options;
};
