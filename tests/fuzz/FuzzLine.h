#pragma once
// A simulated line whose partner answers every complete request with the next chunk of the fuzz
// input, and a port layer with that line on COM 1: the protocol code runs exactly as against a
// sensor, on a fake clock, so time-outs cost nothing.
#include "FuzzInput.h"
#include "Schnittstelle.h"
#include "SimulatedLine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ChunkPeer : public SimPeer {
public:
    // `complete` is told every byte the program sends and says when a request is complete.
    ChunkPeer(FuzzInput& input, std::function<bool(std::uint8_t, const LineSettings&)> complete)
        : m_input(input), m_complete(std::move(complete)) {}

    std::uint32_t baud() const override { return m_baud; }
    void setBaud(std::uint32_t baud) { m_baud = baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override {
        if (!m_complete(byte, line) || m_input.empty())
            return;
        // Bytes with a ninth bit of 1 raise a parity error on a space-parity line, as an 8-bit
        // sensor's stop bit does.
        const std::uint8_t how = m_input.byte();
        SimulatedLine::Framing framing;
        if (how & 0x01)
            framing.ninthBit = true;
        if (how & 0x02)
            framing.delayMs = how >> 2;
        lastChunk = m_input.chunk();
        out.deliver(lastChunk, framing);
    }
    // What the partner sent last.
    std::vector<std::uint8_t> lastChunk;

private:
    FuzzInput& m_input;
    std::function<bool(std::uint8_t, const LineSettings&)> m_complete;
    std::uint32_t m_baud = 38400;
};

class FuzzPorts : public DeviceProvider {
public:
    static constexpr int kCom = 1;

    explicit FuzzPorts(SimPeer& peer) : m_peer(peer) {}
    OpenResult open(int com) override {
        if (com != kCom)
            return {nullptr, OpenError::Absent, "absent"};
        auto line = std::make_unique<SimulatedLine>(&clock);
        line->attach(&m_peer);
        this->line = line.get();
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int) const override { return "fuzz line"; }

    FakeClock clock;
    SimulatedLine* line = nullptr;

private:
    SimPeer& m_peer;
};

// Opens the fuzz line on COM 1 with the time-outs the QS40 search sets.
inline bool OpenFuzzPort(Schnittstelle& ports) {
    if (!ports.OpenPlainPort(FuzzPorts::kCom))
        return false;
    ports.device(FuzzPorts::kCom)->setTimeouts({20, 5, 100, 5, 200});
    return true;
}
