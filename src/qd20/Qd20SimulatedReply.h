#pragma once
// The replies the ZYL24 window builds in place of a sensor while the simulation window is open,
// so that every handler can run its success path and the user sees what a sensor would answer.
#include <cstdint>
#include <vector>

struct Qd20Settings;
struct Qd20Variant;

namespace Qd20SimulatedReply {

// The acknowledge of a write command: address, 4, 'Y', check byte.
std::vector<std::uint8_t> acknowledge(std::uint8_t address);

// The reply to 'A' or 'I' for a target at `distance` mm: always a good target, and Q1 switched
// on while the distance lies below the first Q1 point of the main window.
std::vector<std::uint8_t> measurement(std::uint8_t address, float distance, float q1FirstPoint,
                                      const Qd20Variant& variant);

// The reply to '?': the 18-byte parameter block these settings would give, with the variant's
// code as a digit ('0' for the 220 mm sensor).
std::vector<std::uint8_t> parameterBlock(std::uint8_t address, const Qd20Settings& settings,
                                         const Qd20Variant& variant);

} // namespace Qd20SimulatedReply
