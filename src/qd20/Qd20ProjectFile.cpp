#include "Qd20ProjectFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace Qd20ProjectFile {

namespace {

constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kOff = "Off";
constexpr std::string_view kOn = "On";
// What the fields of a file can hold: points are 16-bit millimetres, functions one byte.
constexpr int kMaxPoint = 65535;
constexpr int kMaxFunction = 255;
// The editors' step: loaded points snap to it as a typed value would.
constexpr double kEditorStep = 0.1;

enum class ValueKind { PointPair, Switch, Averaging, Function };

struct Key {
    std::string_view text;
    ValueKind kind;
    Target first;
    Target second; // the second point of a pair; unused otherwise
};

// In the order each line is tested.
constexpr std::array<Key, 11> kKeys{{
    {"[Q1]", ValueKind::PointPair, Target::Q1First, Target::Q1Second},
    {"[Q2]", ValueKind::PointPair, Target::Q2First, Target::Q2Second},
    {"[QA]", ValueKind::PointPair, Target::AnalogFirst, Target::AnalogSecond},
    {"[IV1]", ValueKind::Switch, Target::PulseStretchQ1, Target::PulseStretchQ1},
    {"[IV2]", ValueKind::Switch, Target::PulseStretchQ2, Target::PulseStretchQ2},
    {"[OEFFNER1]", ValueKind::Switch, Target::NormallyClosedQ1, Target::NormallyClosedQ1},
    {"[OEFFNER2]", ValueKind::Switch, Target::NormallyClosedQ2, Target::NormallyClosedQ2},
    {"[VERRIEGELUNG]", ValueKind::Switch, Target::KeyLock, Target::KeyLock},
    {"[BW]", ValueKind::Averaging, Target::Averaging, Target::Averaging},
    {"[Typ Q1]", ValueKind::Function, Target::FunctionQ1, Target::FunctionQ1},
    {"[Typ Q2]", ValueKind::Function, Target::FunctionQ2, Target::FunctionQ2},
}};

struct Line {
    std::string_view text;
    bool ended; // followed by a line end; the last line of a file cut short is not
};

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    // Files from systems that end lines with CR alone hold no LF at all.
    const char eol = content.find('\n') == std::string_view::npos ? '\r' : '\n';
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != eol)
            continue;
        std::string_view line = content.substr(start, i - start);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back({line, true});
        start = i + 1;
    }
    if (start < content.size())
        lines.push_back({content.substr(start), false});
    return lines;
}

// Control characters (NUL above all) mean the line is not text: binary data that happens
// to contain a key must not be taken for a project file.
bool isText(std::string_view line) {
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t') || u == 0x7F;
    });
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A whole decimal number from 0 to `max`, blanks around it allowed; empty for anything else.
std::optional<int> wholeNumber(std::string_view line, int max) {
    std::string_view s = trimmed(line);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty() || s.front() < '0' || s.front() > '9')
        return std::nullopt;
    int value = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size() || value > max)
        return std::nullopt;
    return value;
}

// "Off" selects position 1, then "On" position 0, so a line holding both ends at "On".
std::optional<int> switchPosition(std::string_view line) {
    std::optional<int> position;
    if (line.find(kOff) != std::string_view::npos)
        position = 1;
    if (line.find(kOn) != std::string_view::npos)
        position = 0;
    return position;
}

// "10", "100", "1000" are tested in this order, each a substring of the next, so the
// longest present wins: 40 ms, 4 ms, 0.4 ms.
std::optional<int> averagingPosition(std::string_view line) {
    std::optional<int> position;
    if (line.find("10") != std::string_view::npos)
        position = 0;
    if (line.find("100") != std::string_view::npos)
        position = 1;
    if (line.find("1000") != std::string_view::npos)
        position = 2;
    return position;
}

std::optional<int> valueOf(ValueKind kind, std::string_view line) {
    if (!isText(line))
        return std::nullopt;
    switch (kind) {
    case ValueKind::PointPair:
        return wholeNumber(line, kMaxPoint);
    case ValueKind::Function:
        return wholeNumber(line, kMaxFunction);
    case ValueKind::Switch:
        return switchPosition(line);
    case ValueKind::Averaging:
        return averagingPosition(line);
    }
    return std::nullopt;
}

std::string wholeMillimetres(float mm) {
    // Cut to whole millimetres from the value as the window shows it (one decimal), so a
    // point that shows as 100.0mm but is held as 99.99999 after a conversion is saved as
    // 100, not 99.
    if (!std::isfinite(mm))
        return "0";
    const long long tenths = std::llround(static_cast<double>(mm) * 10.0);
    return std::to_string(tenths / 10);
}

std::string_view onOff(int position) {
    return position == 1 ? kOff : kOn;
}

std::string_view averagingText(int position) {
    if (position <= 0)
        return "10";
    return position == 1 ? "100" : "1000";
}

float limitedPoint(int mm, const Qd20Variant& variant) {
    const double clamped = std::clamp(static_cast<double>(mm), static_cast<double>(variant.rangeStart),
                                      static_cast<double>(variant.rangeEnd()));
    return static_cast<float>(std::trunc(clamped / kEditorStep + 0.5) * kEditorStep);
}

// Where a point lands in the settings, and whether it belongs to a pair that the window keeps
// in order (the switching outputs) or not (the analog characteristic).
struct PointSlot {
    Target target;
    float Qd20Settings::*point;
    float Qd20Settings::*partner;
    enum { First, Second, Free } order;
};
constexpr std::array<PointSlot, 6> kPointSlots{{
    {Target::Q1First, &Qd20Settings::SwitchPointQ1A, &Qd20Settings::SwitchPointQ1B, PointSlot::First},
    {Target::Q1Second, &Qd20Settings::SwitchPointQ1B, &Qd20Settings::SwitchPointQ1A, PointSlot::Second},
    {Target::Q2First, &Qd20Settings::SwitchPointQ2A, &Qd20Settings::SwitchPointQ2B, PointSlot::First},
    {Target::Q2Second, &Qd20Settings::SwitchPointQ2B, &Qd20Settings::SwitchPointQ2A, PointSlot::Second},
    {Target::AnalogFirst, &Qd20Settings::AnalogPoint1, &Qd20Settings::AnalogPoint2, PointSlot::Free},
    {Target::AnalogSecond, &Qd20Settings::AnalogPoint2, &Qd20Settings::AnalogPoint1, PointSlot::Free},
}};

struct SliderSlot {
    Target target;
    int Qd20Settings::*position;
    int steps;
};
constexpr std::array<SliderSlot, 8> kSliderSlots{{
    {Target::PulseStretchQ1, &Qd20Settings::ivQ1, 2},
    {Target::PulseStretchQ2, &Qd20Settings::ivQ2, 2},
    {Target::NormallyClosedQ1, &Qd20Settings::osQ1, 2},
    {Target::NormallyClosedQ2, &Qd20Settings::osQ2, 2},
    {Target::KeyLock, &Qd20Settings::tv, 2},
    {Target::Averaging, &Qd20Settings::bw, 3},
    {Target::FunctionQ1, &Qd20Settings::fktQ1, 10},
    {Target::FunctionQ2, &Qd20Settings::fktQ2, 3},
}};

} // namespace

std::string serialize(const Qd20Settings& s) {
    const std::array<std::string, kLineCount> lines{
        "[Q1]",
        wholeMillimetres(s.SwitchPointQ1A),
        wholeMillimetres(s.SwitchPointQ1B),
        "[Q2]",
        wholeMillimetres(s.SwitchPointQ2A),
        wholeMillimetres(s.SwitchPointQ2B),
        "[QA]",
        wholeMillimetres(s.AnalogPoint1),
        wholeMillimetres(s.AnalogPoint2),
        "[IV1]",
        std::string(onOff(s.ivQ1)),
        "[IV2]",
        std::string(onOff(s.ivQ2)),
        "[OEFFNER1]",
        std::string(onOff(s.osQ1)),
        "[OEFFNER2]",
        std::string(onOff(s.osQ2)),
        "[VERRIEGELUNG]",
        std::string(onOff(s.tv)),
        "[BW]",
        std::string(averagingText(s.bw)),
        "[Typ Q1]",
        std::to_string(s.fktQ1),
        "[Typ Q2]",
        std::to_string(s.fktQ2),
    };
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += kEol;
    }
    return out;
}

LoadResult parse(std::string_view content) {
    LoadResult result;
    if (content.size() > kMaxFileBytes) {
        result.status = LoadStatus::TooLarge;
        return result;
    }
    const std::vector<Line> lines = splitLines(content);
    bool anyKey = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isText(lines[i].text))
            continue;
        for (const Key& key : kKeys) {
            if (lines[i].text.find(key.text) == std::string_view::npos)
                continue;
            anyKey = true;
            const std::size_t valueLines = key.kind == ValueKind::PointPair ? 2 : 1;
            for (std::size_t k = 1; k <= valueLines; ++k) {
                if (i + k >= lines.size()) {
                    result.status = LoadStatus::MissingValueLine;
                    result.errorLine = static_cast<int>(i + 1);
                    result.errorKey = std::string(key.text);
                    return result;
                }
                const Line& line = lines[i + k];
                const auto value = line.ended ? valueOf(key.kind, line.text) : std::nullopt;
                if (value) {
                    result.assignments.push_back({k == 1 ? key.first : key.second, *value});
                } else if (result.errorLine == 0) {
                    result.errorLine = static_cast<int>(i + k + 1);
                    result.errorKey = std::string(key.text);
                }
            }
        }
    }
    if (!anyKey)
        result.status = LoadStatus::NoKeyFound;
    else
        result.status = result.errorLine != 0 ? LoadStatus::BadValue : LoadStatus::Ok;
    return result;
}

void apply(const Assignment& a, Qd20Settings& s, const Qd20Variant& variant) {
    for (const PointSlot& slot : kPointSlots) {
        if (slot.target != a.target)
            continue;
        float& point = s.*slot.point;
        float& partner = s.*slot.partner;
        point = limitedPoint(a.value, variant);
        // A first point pushes the second one up, a second point pulls the first one down.
        if (slot.order == PointSlot::First)
            partner = std::max(partner, point);
        else if (slot.order == PointSlot::Second)
            partner = std::min(partner, point);
        return;
    }
    for (const SliderSlot& slot : kSliderSlots)
        if (slot.target == a.target)
            s.*slot.position = std::clamp(a.value, 0, slot.steps - 1);
}

void apply(const std::vector<Assignment>& assignments, Qd20Settings& settings, const Qd20Variant& variant) {
    for (const Assignment& a : assignments)
        apply(a, settings, variant);
}

} // namespace Qd20ProjectFile
