#include "NuvaProjectFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::string_view kMarker = "QS40MNTx";
constexpr std::array<std::string_view, kNuvaFieldCount> kSectionHeaders{"[straight]", "[right]", "[left]",
                                                                        "[full area]"};
constexpr std::string_view kHysteresisHeader = "[Hysterese]";
constexpr long long kWordMax = 0xFFFF;

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A decimal number; a decimal comma (as written by a German locale) is taken like a point.
// "nan" and "inf" are no distances, although the number reader takes them.
std::optional<double> parseNumber(std::string_view text) {
    std::string s(trimmed(text));
    for (char& c : s)
        if (c == ',')
            c = '.';
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<long long> parseInteger(std::string_view text) {
    const std::string_view s = trimmed(text);
    long long value = 0;
    const char* first = s.data() + (!s.empty() && s.front() == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(first, s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return value;
}

// Up to 15 significant digits, no trailing zeros, a decimal point whatever the locale: "1408",
// "1408.5".
std::string generalNumber(double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

} // namespace

std::string NuvaProjectFileText(const NuvaProjectValues& values, bool english) {
    std::string out;
    auto line = [&out](std::string_view s) {
        out += s;
        out += "\r\n";
    };
    line(english ? "do not add lines!" : "keine Zeilen hinzufügen!");
    line(kMarker);
    for (std::size_t field = 0; field < kNuvaFieldCount; ++field) {
        line(kSectionHeaders[field]);
        for (std::size_t k = field * 4; k < field * 4 + 4; ++k)
            line(generalNumber(values.points[k]));
    }
    line(kHysteresisHeader);
    for (long long h : values.hysteresis)
        line(std::to_string(h));
    return out;
}

std::string_view NuvaProjectLoad::missingSection() const {
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        if (!points[k])
            return kSectionHeaders[k / 4];
    for (const auto& h : hysteresis)
        if (!h)
            return kHysteresisHeader;
    return {};
}

NuvaProjectLoad NuvaReadProjectFile(std::string_view text) {
    const std::vector<std::string_view> lines = splitLines(text);
    NuvaProjectLoad load;
    if (lines.size() < 2 || lines[1].find(kMarker) == std::string_view::npos) {
        load.status = NuvaProjectLoad::Status::NotQs40File;
        return load;
    }
    std::size_t next = 2; // 0-based index of line 3
    auto header = [&](std::string_view expected) {
        const bool equal = next < lines.size() && lines[next] == expected;
        ++next;
        return equal;
    };
    auto fail = [&]() {
        load.status = NuvaProjectLoad::Status::BadNumber;
        load.badLine = static_cast<int>(next) + 1;
        return load;
    };
    for (std::size_t field = 0; field < kNuvaFieldCount; ++field) {
        if (!header(kSectionHeaders[field]))
            continue;
        for (std::size_t k = field * 4; k < field * 4 + 4; ++k, ++next) {
            const std::optional<double> v = next < lines.size() ? parseNumber(lines[next]) : std::nullopt;
            if (!v)
                return fail();
            load.points[k] = *v;
        }
    }
    if (header(kHysteresisHeader)) {
        for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k, ++next) {
            const std::optional<long long> v = next < lines.size() ? parseInteger(lines[next]) : std::nullopt;
            if (!v || *v < 0 || *v > kWordMax) // a hysteresis travels as a 16-bit word
                return fail();
            load.hysteresis[k] = *v;
        }
    }
    return load;
}
