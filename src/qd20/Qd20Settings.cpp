#include "Qd20Settings.h"

#include <algorithm>

namespace {

// The two-state sliders: position 0 is the state the block's flag stands for.
struct TwoState {
    bool Qd20ParameterBlock::*flag;
    int Qd20Settings::*slider;
};
constexpr TwoState kTwoState[] = {
    {&Qd20ParameterBlock::q1NormallyClosed, &Qd20Settings::osQ1},
    {&Qd20ParameterBlock::q1PulseStretch, &Qd20Settings::ivQ1},
    {&Qd20ParameterBlock::setQ1High, &Qd20Settings::setQ1},
    {&Qd20ParameterBlock::q2NormallyClosed, &Qd20Settings::osQ2},
    {&Qd20ParameterBlock::q2PulseStretch, &Qd20Settings::ivQ2},
    {&Qd20ParameterBlock::holdOn, &Qd20Settings::hold},
    {&Qd20ParameterBlock::keyLockOn, &Qd20Settings::tv},
};

// A pair of points as the block holds it: at function 0 the only point sits in the second
// pair and the other point is parked at the range end.
void pointsFromPair(int function, int firstRaw, int secondRaw, const Qd20Variant& v, float& a, float& b) {
    if (function != 0) {
        a = ToMillimetres(firstRaw, v);
        b = ToMillimetres(secondRaw, v);
    } else {
        a = ToMillimetres(secondRaw, v);
        b = v.rangeEnd();
    }
}

int rawInScale(float mm, const Qd20Variant& v) {
    return std::clamp(ToRaw(mm, v), 0, 4095);
}

void pairFromPoints(int function, float a, float b, const Qd20Variant& v, int& firstRaw, int& secondRaw) {
    if (function != 0) {
        firstRaw = rawInScale(a, v);
        secondRaw = rawInScale(b, v);
    } else {
        firstRaw = 0;
        secondRaw = rawInScale(a, v);
    }
}

} // namespace

void PresetPoints(Qd20Settings& s, const Qd20Variant& v) {
    s.SwitchPointQ1A = s.SwitchPointQ2A = s.AnalogPoint1 = v.rangeStart;
    s.SwitchPointQ1B = s.SwitchPointQ2B = s.AnalogPoint2 = v.rangeStart + 10.0f;
    s.AnalogPoint1 = v.rangeEnd();
}

Qd20Settings SettingsFromBlock(const Qd20ParameterBlock& block, const Qd20Variant& variant,
                               const Qd20Settings& previous) {
    Qd20Settings s = previous;
    if (block.q1Function)
        s.fktQ1 = *block.q1Function;
    if (block.q2Function)
        s.fktQ2 = *block.q2Function;
    for (const TwoState& t : kTwoState)
        s.*t.slider = block.*t.flag ? 0 : 1;
    if (block.averaging)
        s.bw = *block.averaging;
    s.lowlight = block.lowlight;

    pointsFromPair(s.fktQ1, block.q1FirstRaw, block.q1SecondRaw, variant, s.SwitchPointQ1A, s.SwitchPointQ1B);
    pointsFromPair(s.fktQ2, block.q2FirstRaw, block.q2SecondRaw, variant, s.SwitchPointQ2A, s.SwitchPointQ2B);
    s.AnalogPoint1 = ToMillimetres(block.analogPoint1Raw, variant);
    s.AnalogPoint2 = ToMillimetres(block.analogPoint2Raw, variant);
    return s;
}

Qd20ParameterBlock BlockFromSettings(const Qd20Settings& s, const Qd20Variant& variant,
                                     std::uint8_t variantCode) {
    Qd20ParameterBlock b;
    b.q1Function = s.fktQ1;
    b.q2Function = s.fktQ2;
    for (const TwoState& t : kTwoState)
        b.*t.flag = s.*t.slider == 0;
    b.variantCode = variantCode;
    b.averaging = s.bw;
    b.lowlight = s.lowlight;
    pairFromPoints(s.fktQ1, s.SwitchPointQ1A, s.SwitchPointQ1B, variant, b.q1FirstRaw, b.q1SecondRaw);
    pairFromPoints(s.fktQ2, s.SwitchPointQ2A, s.SwitchPointQ2B, variant, b.q2FirstRaw, b.q2SecondRaw);
    b.analogPoint1Raw = rawInScale(s.AnalogPoint1, variant);
    b.analogPoint2Raw = rawInScale(s.AnalogPoint2, variant);
    return b;
}
