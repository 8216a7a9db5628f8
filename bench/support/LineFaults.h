#pragma once
// What the line-fault soaks share: the faults (what happens to 1 % of the bytes a sensor sends:
// dropped, one bit flipped, doubled, or late by more than the time-out; and the stray bytes
// another talker puts between frames) and the tally of what the exchanges made of them.
#include "SimulatedLine.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

inline bool OnePercent(std::mt19937& random) {
    return std::uniform_int_distribution<int>(0, 99)(random) == 0;
}

// lateMinMs..lateMaxMs: how late a delayed byte comes; beyond the time-out of the exchange.
inline SimulatedLine::ByteFate FaultyByte(std::mt19937& random, std::uint32_t lateMinMs,
                                          std::uint32_t lateMaxMs) {
    SimulatedLine::ByteFate fate;
    if (!OnePercent(random))
        return fate;
    switch (std::uniform_int_distribution<int>(0, 3)(random)) {
    case 0:
        fate.drop = true;
        break;
    case 1:
        fate.xorMask = static_cast<std::uint8_t>(1u << std::uniform_int_distribution<int>(0, 7)(random));
        break;
    case 2:
        fate.duplicate = true;
        break;
    default:
        fate.delayMs = std::uniform_int_distribution<std::uint32_t>(lateMinMs, lateMaxMs)(random);
        break;
    }
    return fate;
}

// One to three random bytes, now and then (1 %).
inline void MaybeNoise(std::mt19937& random, SimulatedLine& out) {
    if (!OnePercent(random))
        return;
    std::vector<std::uint8_t> bytes(std::uniform_int_distribution<std::size_t>(1, 3)(random));
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, 255)(random));
    out.deliver(bytes);
}

// What one exchange (or operation) of a soak ended with.
enum class SoakOutcome {
    Failed,
    Good,    // the values of its own reply
    Stale,   // the values of a reply to an earlier request: must never happen
    Unseen,  // damaged values that the protocol's own check cannot see
    Counted, // a case the protocol accepts by its own rule (reported by the soak under its name)
};

class SoakTally {
public:
    void start() { m_start = std::chrono::steady_clock::now(); }
    void stop(std::uint64_t lineMs) {
        m_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        m_lineMs += lineMs;
    }
    void add(SoakOutcome outcome) {
        ++m_total;
        ++m_counts[static_cast<int>(outcome)];
        if (outcome == SoakOutcome::Good && m_lastFailed)
            ++m_recovered;
        m_lastFailed = outcome == SoakOutcome::Failed;
    }
    // good, failed, recovered (a failure followed by a good exchange), stale_accepts, the unseen
    // damage under its protocol's name, the protocol's own cases under theirs, and the line and
    // software time per exchange.
    void report(benchmark::State& state, const std::string& unseenName,
                const std::string& countedName = {}) const {
        const double n = static_cast<double>(m_total);
        auto count = [this](SoakOutcome o) { return static_cast<double>(m_counts[static_cast<int>(o)]); };
        state.counters["good"] = count(SoakOutcome::Good);
        state.counters["failed"] = count(SoakOutcome::Failed);
        state.counters["recovered"] = static_cast<double>(m_recovered);
        state.counters["stale_accepts"] = count(SoakOutcome::Stale);
        state.counters[unseenName] = count(SoakOutcome::Unseen);
        state.counters[unseenName + "_rate"] = count(SoakOutcome::Unseen) / n;
        if (!countedName.empty())
            state.counters[countedName] = count(SoakOutcome::Counted);
        state.counters["line_ms_per_exchange"] = static_cast<double>(m_lineMs) / n;
        state.counters["software_us_per_exchange"] = m_seconds * 1e6 / n;
    }

private:
    std::int64_t m_counts[5] = {};
    std::int64_t m_total = 0;
    std::int64_t m_recovered = 0;
    bool m_lastFailed = false;
    std::uint64_t m_lineMs = 0;
    double m_seconds = 0;
    std::chrono::steady_clock::time_point m_start;
};
