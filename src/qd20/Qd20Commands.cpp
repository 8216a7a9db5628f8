#include "Qd20Commands.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLowestSwitchRaw = 2;
constexpr int kHighestSwitchRaw = 4093;
constexpr std::array<char, 8> kQ1Letters{'T', 'E', 'M', 'X', 'D', 'F', 'C', 'Z'};

Qd20Request withData(std::uint8_t address, char command, std::initializer_list<std::uint8_t> data) {
    Qd20Request r = PlainRequest(address, command);
    std::copy(data.begin(), data.end(), r.data.begin());
    return r;
}

std::uint8_t onOff(int position) {
    return position == 0 ? 1 : 0;
}

Qd20Request outputRequest(std::uint8_t address, char command, int function, int os, int iv, float first,
                          float second, const Qd20Variant& variant) {
    const int firstRaw = SwitchPointRaw(first, variant);
    const int secondRaw = function == 0 ? 0 : SwitchPointRaw(second, variant);
    const auto a = SplitRaw12(firstRaw);
    const auto b = SplitRaw12(secondRaw);
    const auto flags = static_cast<std::uint8_t>((os == 0 ? 1 : 0) | (iv == 0 ? 2 : 0));
    return withData(address, command, {a[0], a[1], flags, b[0], b[1]});
}

bool sendOutput(const Qd20Sender& send, const Qd20Request& write, std::optional<char> letter,
                std::uint8_t address, bool simulating) {
    bool ok = send(write);
    if (letter && (ok || simulating))
        ok = send(PlainRequest(address, *letter));
    return ok;
}

} // namespace

Qd20Request PlainRequest(std::uint8_t address, char command) {
    Qd20Request r;
    r.address = address;
    r.command = command;
    return r;
}

int SwitchPointRaw(float mm, const Qd20Variant& variant) {
    const int raw = variant.rangeEnd() > mm ? ToRaw(mm, variant) : kLowestSwitchRaw;
    // The sensor reserves the two codes at each end of its scale.
    return std::clamp(raw, kLowestSwitchRaw, kHighestSwitchRaw);
}

Qd20Request Q1Request(std::uint8_t address, const Qd20Settings& s, const Qd20Variant& variant) {
    return outputRequest(address, '1', s.fktQ1, s.osQ1, s.ivQ1, s.SwitchPointQ1A, s.SwitchPointQ1B, variant);
}

Qd20Request Q2Request(std::uint8_t address, const Qd20Settings& s, const Qd20Variant& variant) {
    return outputRequest(address, '2', s.fktQ2, s.osQ2, s.ivQ2, s.SwitchPointQ2A, s.SwitchPointQ2B, variant);
}

std::optional<char> Q1FunctionLetter(int fktQ1) {
    if (fktQ1 < 2 || fktQ1 > 9)
        return std::nullopt;
    return kQ1Letters[static_cast<std::size_t>(fktQ1 - 2)];
}

std::optional<char> Q2FunctionLetter(int fktQ2) {
    return fktQ2 == 2 ? std::optional<char>('G') : std::nullopt;
}

Qd20Request KeyLockRequest(std::uint8_t address, int tvPosition) {
    return withData(address, 'V', {onOff(tvPosition)});
}

Qd20Request HoldRequest(std::uint8_t address, int holdPosition) {
    return withData(address, 'R', {onOff(holdPosition)});
}

std::uint8_t AveragingCode(int bwPosition, bool lowlight) {
    const int code = 2 - std::clamp(bwPosition, 0, 2);
    return static_cast<std::uint8_t>(code + (lowlight ? 4 : 0));
}

Qd20Request AveragingRequest(std::uint8_t address, int bwPosition, bool lowlight) {
    return withData(address, 'B', {AveragingCode(bwPosition, lowlight)});
}

bool SoftTriggerAllowed(int fktQ1) {
    return fktQ1 >= 2 && fktQ1 <= 9;
}

Qd20Request SoftTriggerRequest(std::uint8_t address, int setQ1Position) {
    // Position 1 is "set Q1 low".
    return withData(address, 'Q', {static_cast<std::uint8_t>(setQ1Position == 1 ? 0 : 1)});
}

Qd20Request AddressChangeRequest(std::uint8_t address, std::uint8_t newAddress) {
    return withData(address, 'L', {static_cast<std::uint8_t>(newAddress & 0x7F)});
}

Qd20AnalogPoint LimitAnalogPoint(float mm, const Qd20Variant& variant) {
    Qd20AnalogPoint p;
    p.mm = mm;
    if (std::isnan(mm) || mm < variant.rangeStart) {
        p.mm = variant.rangeStart;
        p.limited = true;
    } else if (mm > variant.rangeEnd()) {
        p.mm = variant.rangeEnd();
        p.limited = true;
    }
    p.raw = std::clamp(ToRaw(p.mm, variant), 0, 4095);
    return p;
}

Qd20Request AnalogRequest(std::uint8_t address, char command, int raw) {
    const auto pair = SplitRaw12(std::clamp(raw, 0, 4095));
    return withData(address, command, {pair[0], pair[1]});
}

bool SendQ1(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
            const Qd20Variant& variant, bool simulating) {
    return sendOutput(send, Q1Request(address, settings, variant), Q1FunctionLetter(settings.fktQ1), address,
                      simulating);
}

bool SendQ2(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
            const Qd20Variant& variant, bool simulating) {
    return sendOutput(send, Q2Request(address, settings, variant), Q2FunctionLetter(settings.fktQ2), address,
                      simulating);
}

bool SendAnalog(const Qd20Sender& send, std::uint8_t address, const Qd20AnalogPoint& point20mA,
                const Qd20AnalogPoint& point4mA) {
    const Qd20Request high = AnalogRequest(address, 'H', point20mA.raw);
    const Qd20Request low = AnalogRequest(address, 'N', point4mA.raw);
    if (send(high))
        return send(low);
    // The sensor may refuse the 20 mA point against the old 4 mA point; with the new 4 mA
    // point in place the second attempt is accepted.
    send(low);
    return send(high);
}

bool SendGroup(Qd20Group group, const Qd20Sender& send, std::uint8_t address, const Qd20Settings& s,
               const Qd20Variant& variant, bool simulating) {
    switch (group) {
    case Qd20Group::Q1:
        return SendQ1(send, address, s, variant, simulating);
    case Qd20Group::Q2:
        return SendQ2(send, address, s, variant, simulating);
    case Qd20Group::KeyLock:
        return send(KeyLockRequest(address, s.tv));
    case Qd20Group::Averaging:
        return send(AveragingRequest(address, s.bw, s.lowlight));
    case Qd20Group::Hold:
        return send(HoldRequest(address, s.hold));
    case Qd20Group::Analog:
        return SendAnalog(send, address, LimitAnalogPoint(s.AnalogPoint2, variant),
                          LimitAnalogPoint(s.AnalogPoint1, variant));
    }
    return false;
}

Qd20WriteAllResult SendAll(const Qd20Sender& send, std::uint8_t address, const Qd20Settings& settings,
                           const Qd20Variant& variant) {
    for (Qd20Group group : kQd20WriteAllOrder)
        if (!SendGroup(group, send, address, settings, variant))
            return {false, group};
    return {};
}
