#pragma once
// The QS40 parameter set: one record for the one sensor the program talks to at a time. The
// text-protocol operations read and write it, the windows show and edit it.
#include <array>
#include <cstdint>

struct Qs40ParameterSet {
    static constexpr int kSwitchPoints = 4;
    static constexpr int kCurveWords = 256;

    // Switch points are numbered 1..4 on the sensor and in every window; element 0 is unused.
    std::array<std::int32_t, kSwitchPoints + 1> SwitchL{}; // switching distance, mm
    std::array<std::int32_t, kSwitchPoints + 1> SwitchH{}; // hysteresis, mm

    // "Energie Fern", "Energie Nah", "Abstand N/F", "Nahzone"
    std::int32_t LimitEN = 0;
    std::int32_t LimitEF = 0;
    std::int32_t LimitDT = 0;
    std::int32_t LimitND = 0;

    std::int32_t MeasDistance = 0; // mm
    std::int32_t MeasEnergy = 0;
    std::int32_t MeasState = 0; // bits 0..3: the four switch outputs

    // Service settings and the sensor's word table, carried across a firmware update.
    std::int32_t ParamNR = 0;
    std::int32_t ParamTC = 0;
    std::int32_t ParamTO = 0;
    std::array<std::int32_t, kCurveWords> CurveTable{};

    bool operator==(const Qs40ParameterSet&) const = default;
};
