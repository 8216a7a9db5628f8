#pragma once
// Every write command of the ZYL24 window as a request, with the window's limits, and the
// order in which groups and the complete set go out. The window and zylctl both send through
// these, so a parameter is encoded and limited in one place only.
#include "Q20_speziell.h"
#include "Qd20Settings.h"

#include <array>
#include <functional>
#include <optional>

// A request with no data bytes ('?', 'A', 'I', 'v', 'S', 'W', 'G', '6', '3', 'K', the Q1
// function letters).
Qd20Request PlainRequest(std::uint8_t address, char command);

// Raw value of a switch point as it is sent: ToRaw, 2 for a point at or beyond the range end,
// and always within 2..4093.
int SwitchPointRaw(float mm, const Qd20Variant& variant);

// '1': d0/d1 first point, d2 flags (bit 0 normally closed, bit 1 pulse stretching), d3/d4 the
// second point, 0 at function 0.
Qd20Request Q1Request(std::uint8_t address, const Qd20Settings& settings, const Qd20Variant& variant);
// '2': the same for Q2.
Qd20Request Q2Request(std::uint8_t address, const Qd20Settings& settings, const Qd20Variant& variant);
// The letter that selects the Q1 function at FktQ1Slide positions 2..9 ('T','E','M','X','D',
// 'F','C','Z'); none for 0 and 1.
std::optional<char> Q1FunctionLetter(int fktQ1);
// 'G' ("Good Target") at FktQ2Slide position 2; none otherwise.
std::optional<char> Q2FunctionLetter(int fktQ2);

Qd20Request KeyLockRequest(std::uint8_t address, int tvPosition);                  // 'V': 1 when on (0)
Qd20Request HoldRequest(std::uint8_t address, int holdPosition);                   // 'R': 1 when on (0)
std::uint8_t AveragingCode(int bwPosition, bool lowlight);                         // 2, 1, 0 (+4 lowlight)
Qd20Request AveragingRequest(std::uint8_t address, int bwPosition, bool lowlight); // 'B'
// The software trigger is only meaningful for the Q1 functions 2..9.
bool SoftTriggerAllowed(int fktQ1);
Qd20Request SoftTriggerRequest(std::uint8_t address, int setQ1Position);         // 'Q': 0 low, 1 high
Qd20Request AddressChangeRequest(std::uint8_t address, std::uint8_t newAddress); // 'L'

// An analog point limited to the measuring range, with its raw value limited to 0..4095.
struct Qd20AnalogPoint {
    float mm = 0;
    bool limited = false; // the value given lay outside the range
    int raw = 0;
};
Qd20AnalogPoint LimitAnalogPoint(float mm, const Qd20Variant& variant);
Qd20Request AnalogRequest(std::uint8_t address, char command /* 'H' or 'N' */, int raw);

// Performs one exchange and returns its data_ok.
using Qd20Sender = std::function<bool(const Qd20Request&)>;

enum class Qd20Group { Q1, Q2, KeyLock, Averaging, Hold, Analog };
// The order of "set parameter": each group only while the previous one succeeded.
inline constexpr std::array<Qd20Group, 6> kQd20WriteAllOrder{Qd20Group::Q1,      Qd20Group::Q2,
                                                             Qd20Group::KeyLock, Qd20Group::Averaging,
                                                             Qd20Group::Hold,    Qd20Group::Analog};

// Q1: '1', then its function letter when '1' was accepted or `simulating`. Returns the
// success of the last exchange.
bool SendQ1(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
            const Qd20Variant& variant, bool simulating = false);
bool SendQ2(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
            const Qd20Variant& variant, bool simulating = false);
// 'H' with the 20 mA point; refused: 'N' then 'H' again; accepted: 'N'. Points already limited
// (see LimitAnalogPoint). Returns the success of the last exchange.
bool SendAnalog(const Qd20Sender& send, std::uint8_t address, const Qd20AnalogPoint& point20mA,
                const Qd20AnalogPoint& point4mA);
// One group from the settings (the analog group limits AnalogPoint2/AnalogPoint1 itself).
bool SendGroup(Qd20Group group, const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
               const Qd20Variant& variant, bool simulating = false);

struct Qd20WriteAllResult {
    bool ok = true;
    std::optional<Qd20Group> failed; // the first group that was refused; the rest were skipped
};
Qd20WriteAllResult SendAll(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
                           const Qd20Variant& variant);
