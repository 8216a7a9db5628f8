#pragma once
// Hands out simulated lines for chosen COM numbers, so the port layer can be driven against
// simulated sensors. Every open creates a fresh line and runs the test's set-up on it.
#include "DeviceProvider.h"
#include "Progress.h"
#include "SimulatedLine.h"

#include <functional>
#include <map>
#include <string>

class SimLineProvider : public DeviceProvider {
public:
    explicit SimLineProvider(Clock& clock) : m_clock(clock) {}
    void plug(int com, std::function<void(SimulatedLine&)> setup = {}) { m_setups[com] = std::move(setup); }
    void refuse(int com, OpenError error, std::string message, LinkReason reason = {}) {
        m_refusals[com] = {error, std::move(message), std::move(reason)};
    }
    void accept(int com) { m_refusals.erase(com); }
    int opens() const { return m_opens; }
    OpenResult open(int com) override {
        ++m_opens;
        if (auto r = m_refusals.find(com); r != m_refusals.end())
            return {nullptr, r->second.error, r->second.message, r->second.reason};
        const auto it = m_setups.find(com);
        if (it == m_setups.end())
            return {nullptr, OpenError::Absent, "COM " + std::to_string(com) + ": no such device"};
        auto line = std::make_unique<SimulatedLine>(&m_clock);
        line->setDeviceName(describe(com));
        if (failAfterWrites >= 0)
            line->failAfterWrites(static_cast<std::size_t>(failAfterWrites), "Input/output error");
        if (it->second)
            it->second(*line);
        return {std::move(line), OpenError::None, {}};
    }
    std::string describe(int com) const override { return "sim COM " + std::to_string(com); }
    // Lines opened from now on fail after this many writes, like an adapter pulled in the middle
    // of what opened them (-1: they do not).
    int failAfterWrites = -1;

private:
    Clock& m_clock;
    std::map<int, std::function<void(SimulatedLine&)>> m_setups;
    struct Refusal {
        OpenError error;
        std::string message;
        LinkReason reason;
    };
    std::map<int, Refusal> m_refusals;
    int m_opens = 0;
};

// Counts what the port layer reports to a progress display.
class CountingProgress : public Progress {
public:
    void setMaximum(int maximum) override { m_maximum = maximum; }
    void reset() override { m_position = 0; }
    void advance(int by) override { m_position += by; }
    bool stopRequested() const override { return false; }
    int position() const { return m_position; }

private:
    int m_maximum = 0;
    int m_position = 0;
};
