#pragma once
#include "SimulatedLine.h"

#include <cstdint>
#include <vector>

// A sensor in its fast measuring mode on a line of its own: it sends its stream once the program
// waits for data, and only once.
struct StreamSource : SimPeer {
    explicit StreamSource(std::vector<std::uint8_t> b) : bytes(std::move(b)) {
        line.setTimeouts({4, 2, 2000, 0, 0});
        line.attach(this);
    }
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t, const LineSettings&, SimulatedLine&) override {}
    void idle(const LineSettings&, SimulatedLine& out) override {
        out.deliver(bytes.data() + sent, bytes.size() - sent);
        sent = bytes.size();
    }
    std::vector<std::uint8_t> bytes;
    std::size_t sent = 0;
    FakeClock clock;
    SimulatedLine line{&clock};
};

// Values as stream pairs: the first byte of a pair carries bit 6 as its mark.
inline std::vector<std::uint8_t> streamOf(const std::vector<int>& values) {
    std::vector<std::uint8_t> bytes;
    for (int v : values) {
        bytes.push_back(static_cast<std::uint8_t>(0x40 | ((v >> 6) & 0x3F)));
        bytes.push_back(static_cast<std::uint8_t>(v & 0x3F));
    }
    return bytes;
}
