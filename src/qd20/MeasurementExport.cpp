#include "MeasurementExport.h"

#include "Qd20Variant.h"

#include <array>
#include <charconv>

#ifndef ZYL_TEXT_FILES_CRLF
#define ZYL_TEXT_FILES_CRLF 0
#endif

namespace MeasurementExport {

Qd20Measurement decode(std::uint8_t byte0, std::uint8_t byte1) {
    Qd20Measurement m;
    m.value = static_cast<std::uint16_t>((byte0 & 0x3F) * 64 + (byte1 & 0x3F));
    m.goodTarget = (byte0 & 0x40) != 0;
    m.q1On = (byte1 & 0x40) != 0;
    return m;
}

std::string formatOneDecimal(double value, int minWidth) {
    // to_chars never looks at the locale, unlike printf, which would write a comma in a
    // German environment and break every reader of the file.
    std::array<char, 64> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed, 1);
    std::string text(buf.data(), res.ec == std::errc() ? res.ptr : buf.data());
    if (static_cast<int>(text.size()) < minWidth)
        text.insert(0, static_cast<std::size_t>(minWidth) - text.size(), ' ');
    return text;
}

CsvLineEnd platformLineEnd() {
    // Set by the build for Windows targets, where text files end their lines with CR LF.
    return ZYL_TEXT_FILES_CRLF ? CsvLineEnd::CrLf : CsvLineEnd::Lf;
}

std::string_view lineEndText(CsvLineEnd lineEnd) {
    return lineEnd == CsvLineEnd::CrLf ? "\r\n" : "\n";
}

std::string formatRow(std::uint16_t raw, const Qd20Variant& variant) {
    std::string row = std::to_string(raw);
    row += ';';
    row += formatOneDecimal(ToMillimetresInt(raw, variant), 6);
    return row;
}

std::string toCsv(std::span<const std::uint16_t> samples, const Qd20Variant& variant, CsvLineEnd lineEnd) {
    const std::string_view eol = lineEndText(lineEnd);
    std::string out;
    out.reserve(kHeader.size() + eol.size() + samples.size() * (12 + eol.size()));
    out += kHeader;
    out += eol;
    for (std::uint16_t raw : samples) {
        out += formatRow(raw, variant);
        out += eol;
    }
    return out;
}

} // namespace MeasurementExport
