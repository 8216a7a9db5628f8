#include "SpiFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace SpiFile {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// One integer the way "%i" reads it: leading white space, an optional sign, then "0x" and hex
// digits, a leading 0 and octal digits, or decimal digits. Reading stops at the first character
// that does not belong ("08" is 0, followed by "8"). Saturates far beyond any 32-bit value.
std::optional<std::int64_t> scanInteger(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && isSpace(s[pos]))
        ++pos;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-'))
        negative = s[pos++] == '-';
    int base = 10;
    if (pos < s.size() && s[pos] == '0') {
        base = 8;
        if (pos + 2 < s.size() && (s[pos + 1] == 'x' || s[pos + 1] == 'X') && digitValue(s[pos + 2]) < 16) {
            base = 16;
            pos += 2;
        }
    }
    const std::size_t start = pos;
    std::int64_t value = 0;
    constexpr std::int64_t kCeiling = std::int64_t{1} << 40;
    while (pos < s.size() && digitValue(s[pos]) < base) {
        value = std::min(value * base + digitValue(s[pos]), kCeiling);
        ++pos;
    }
    if (pos == start)
        return std::nullopt;
    return negative ? -value : value;
}

// Matches a line against a template of literals, blanks (any run of white space, also none)
// and "%i"; returns how many numbers were converted before the first mismatch.
int scanLine(std::string_view line, std::string_view pattern, std::int64_t* out) {
    std::size_t pos = 0;
    int converted = 0;
    for (std::size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] == ' ') {
            while (pos < line.size() && isSpace(line[pos]))
                ++pos;
        } else if (pattern[p] == '%') {
            ++p; // the 'i'
            const auto v = scanInteger(line, pos);
            if (!v)
                return converted;
            out[converted++] = *v;
        } else {
            if (pos >= line.size() || line[pos] != pattern[p])
                return converted;
            ++pos;
        }
    }
    return converted;
}

std::optional<std::int32_t> fitting(std::int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

// The first line that gives one number with the pattern.
std::optional<std::int32_t> firstValue(const std::vector<std::string>& lines, std::string_view pattern) {
    for (const auto& line : lines) {
        std::int64_t v[1];
        if (scanLine(line, pattern, v) == 1)
            if (auto fit = fitting(v[0]))
                return fit;
    }
    return std::nullopt;
}

// The first line of the pattern "XX%i: %imm" whose first number names the point.
std::optional<std::int32_t> pointValue(const std::vector<std::string>& lines, std::string_view pattern,
                                       int point) {
    for (const auto& line : lines) {
        std::int64_t v[2];
        if (scanLine(line, pattern, v) == 2 && v[0] == point)
            if (auto fit = fitting(v[1]))
                return fit;
    }
    return std::nullopt;
}

} // namespace

int Parsed::matchCount() const {
    const auto found = [](const auto& a) {
        return static_cast<int>(
            std::count_if(a.begin(), a.end(), [](const auto& v) { return v.has_value(); }));
    };
    return found(switchL) + found(switchH);
}

void Parsed::applyTo(Values& values) const {
    for (std::size_t i = 0; i < kPoints; ++i) {
        if (switchL[i])
            values.switchL[i] = *switchL[i];
        if (switchH[i])
            values.switchH[i] = *switchH[i];
    }
    const auto take = [](const std::optional<std::int32_t>& from, std::int32_t& to) {
        if (from)
            to = *from;
    };
    take(limitEN, values.limitEN);
    take(limitEF, values.limitEF);
    take(limitDT, values.limitDT);
    take(limitND, values.limitND);
}

std::string serialize(const Values& values) {
    std::string out;
    char line[64];
    const auto add = [&](int n) { out.append(line, static_cast<std::size_t>(std::max(0, n))); };
    add(std::snprintf(line, sizeof line, "SensorTyp: %i\r\n", static_cast<int>(values.sensorType)));
    for (std::size_t i = 0; i < kPoints; ++i) {
        const int n = static_cast<int>(i) + 1;
        add(std::snprintf(line, sizeof line, "SP%i: %imm\r\n", n, static_cast<int>(values.switchL[i])));
        add(std::snprintf(line, sizeof line, "HY%i: %imm\r\n", n, static_cast<int>(values.switchH[i])));
    }
    add(std::snprintf(line, sizeof line, "En: %i\r\n", static_cast<int>(values.limitEN)));
    add(std::snprintf(line, sizeof line, "Ef: %i\r\n", static_cast<int>(values.limitEF)));
    add(std::snprintf(line, sizeof line, "Ed: %i\r\n", static_cast<int>(values.limitDT)));
    add(std::snprintf(line, sizeof line, "Nz: %i\r\n", static_cast<int>(values.limitND)));
    return out;
}

std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (lines.size() < static_cast<std::size_t>(kMaxLines)) {
        const std::size_t lf = content.find('\n', pos);
        if (lf == std::string_view::npos)
            break; // a last line without its line feed does not count
        const std::size_t length = lf + 1 - pos;
        lines.emplace_back(content.substr(pos, std::min(length, kLineSlot)));
        pos = lf + 1;
    }
    return lines;
}

Parsed parse(std::string_view content) {
    const auto lines = splitLines(content);
    Parsed parsed;
    for (const auto& line : lines) {
        std::int64_t v[1];
        if (scanLine(line, "SensorTyp: %i", v) == 1) {
            parsed.sensorType = v[0];
            break;
        }
    }
    for (int k = 1; k <= kPoints; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        parsed.switchL[i] = pointValue(lines, "SP%i: %imm", k);
        parsed.switchH[i] = pointValue(lines, "HY%i: %imm", k);
    }
    parsed.limitEN = firstValue(lines, "En: %i");
    parsed.limitEF = firstValue(lines, "Ef: %i");
    parsed.limitDT = firstValue(lines, "Ed: %i");
    parsed.limitND = firstValue(lines, "Nz: %i");
    return parsed;
}

ReadResult readFile(const std::filesystem::path& path) {
    ReadResult result;
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) {
        result.error = ReadError::CannotOpen;
        return result;
    }
    if (!std::filesystem::is_regular_file(status)) {
        result.error = ReadError::NotAFile;
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = ReadError::CannotOpen;
        return result;
    }
    result.content.resize(kMaxFileBytes);
    in.read(result.content.data(), static_cast<std::streamsize>(kMaxFileBytes));
    if (in.bad()) {
        result.error = ReadError::CannotOpen;
        result.content.clear();
        return result;
    }
    result.content.resize(static_cast<std::size_t>(in.gcount()));
    return result;
}

bool mayWrite(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

} // namespace SpiFile
