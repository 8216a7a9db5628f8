#include "SettingsReport.h"

#include "MeasurementExport.h"
#include "Qd20Settings.h"

#include <array>

namespace {

// Names of the function slider positions; Q2 uses the first two and "good target".
constexpr std::array<std::string_view, 10> kQ1Functions{
    "switch point", "switch window", "trigger",          "enable",     "MaxDist-Hold",
    "MinDist-Hold", "Diff-Hold",     "fast measurement", "Autocenter", "Autozero"};
constexpr std::array<std::string_view, 3> kQ2Functions{"switch point", "switch window", "good target"};
constexpr std::array<std::string_view, 3> kAveraging{"40 ms", "4 ms", "0.4 ms"};
constexpr std::string_view kSensorPrefix = "Sensor: ";

template <std::size_t N> std::string named(const std::array<std::string_view, N>& names, int position) {
    std::string text = std::to_string(position);
    if (position >= 0 && static_cast<std::size_t>(position) < N)
        text += " (" + std::string(names[static_cast<std::size_t>(position)]) + ")";
    return text;
}

// Two-state sliders: position 0 is the "on" side (normally closed, stretching, lock, hold).
std::string_view onWhenZero(int position) {
    return position == 0 ? "on" : "off";
}

std::string mm(float value) {
    return MeasurementExport::formatOneDecimal(value) + " mm";
}

} // namespace

std::string_view VariantName(const Qd20Variant& v) {
    std::string_view name = v.sensorText;
    if (name.starts_with(kSensorPrefix))
        name.remove_prefix(kSensorPrefix.size());
    return name;
}

std::string SettingsReport(const Qd20Settings& s, const Qd20Variant& v) {
    const std::string_view name = VariantName(v);
    std::string r;
    const auto line = [&r](std::string_view key, std::string_view value) {
        r += key;
        r += ": ";
        r += value;
        r += '\n';
    };
    line("variant", name);
    line("range", MeasurementExport::formatOneDecimal(v.rangeStart) + " .. " + mm(v.rangeEnd()));
    line("q1 function", named(kQ1Functions, s.fktQ1));
    line("q1 normally closed", onWhenZero(s.osQ1));
    line("q1 pulse stretching", onWhenZero(s.ivQ1));
    line("q1 point 1", mm(s.SwitchPointQ1A));
    line("q1 point 2", mm(s.SwitchPointQ1B));
    line("q2 function", named(kQ2Functions, s.fktQ2));
    line("q2 normally closed", onWhenZero(s.osQ2));
    line("q2 pulse stretching", onWhenZero(s.ivQ2));
    line("q2 point 1", mm(s.SwitchPointQ2A));
    line("q2 point 2", mm(s.SwitchPointQ2B));
    line("analog 4 mA", mm(s.AnalogPoint1));
    line("analog 20 mA", mm(s.AnalogPoint2));
    line("key lock", onWhenZero(s.tv));
    line("hold", onWhenZero(s.hold));
    line("averaging", s.bw >= 0 && s.bw < 3 ? kAveraging[static_cast<std::size_t>(s.bw)] : "?");
    line("lowlight", s.lowlight ? "on" : "off");
    return r;
}
