#pragma once
// What the ZYL24 window shows and edits: the six points in millimetres and every slider
// position, independent of widgets, so the window, zylctl, the project file and the
// simulation all convert the same way.
#include "Qd20ParameterBlock.h"
#include "Qd20Variant.h"

struct Qd20Settings {
    float SwitchPointQ1A = 0; // first point of Q1 (the only one at function 0)
    float SwitchPointQ1B = 0;
    float SwitchPointQ2A = 0;
    float SwitchPointQ2B = 0;
    float AnalogPoint1 = 0; // 4 mA
    float AnalogPoint2 = 0; // 20 mA

    int fktQ1 = 0; // FktQ1Slide 0..9
    int osQ1 = 1;  // OSQ1_Slide: 0 normally closed, 1 normally open
    int ivQ1 = 1;  // IVQ1Slide: 0 pulse stretching on, 1 off
    int setQ1 = 0; // SetQ1Slide: 0 "set Q1 high", 1 "set Q1 low"
    int fktQ2 = 0; // FktQ2Slide 0..2
    int osQ2 = 1;
    int ivQ2 = 1;
    int tv = 1;            // TVSlide (key lock): 0 on, 1 off
    int hold = 1;          // Hold_Slide: 0 on, 1 off
    int bw = 0;            // BWSlide: 0 "40 ms", 1 "4 ms", 2 "0.4 ms"
    bool lowlight = false; // CBlowlight

    bool operator==(const Qd20Settings&) const = default;
};

// The presets the window gives a fresh variant: every first point at the range start, every
// second point 10 mm further, then the 4 mA point at the range end.
void PresetPoints(Qd20Settings& settings, const Qd20Variant& variant);

// Read-all: slider positions from the block (a function no bit selects keeps its position from
// `previous`), points converted with the variant. At function 0 the only point comes from the
// second pair and the other point is the range end.
Qd20Settings SettingsFromBlock(const Qd20ParameterBlock& block, const Qd20Variant& variant,
                               const Qd20Settings& previous);

// The block these settings would give, as the simulation window shows it: points converted to
// raw values limited to 0..4095, at function 0 the only point in the second pair and 0 in the
// first. The variant code is the caller's (the simulation window uses the variant's digit).
Qd20ParameterBlock BlockFromSettings(const Qd20Settings& settings, const Qd20Variant& variant,
                                     std::uint8_t variantCode);
