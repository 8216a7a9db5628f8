#pragma once
// The faults of the line-fault soaks: what happens to 1 % of the bytes a sensor sends (dropped,
// one bit flipped, doubled, or late by more than the time-out) and the stray bytes another talker
// puts between frames.
#include "SimulatedLine.h"

#include <cstdint>
#include <random>
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
