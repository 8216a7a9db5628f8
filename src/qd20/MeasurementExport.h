#pragma once
// Measurement values of the ZYL24 sensors: decoding the two data bytes of an 'A' or 'I'
// reply, and the semicolon-separated export of a recorded series.
//
// The export is read by spreadsheets and by customers' own scripts, which rely on the
// exact layout: the header "Rohdaten [LSB];Skaliert [mm]", then one row per sample
// "<raw>;<mm>" with the millimetres right-aligned in six characters and one decimal.
// The decimal separator is always a point, whatever locale the program runs in.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct Qd20Variant;

// One decoded measurement. The value runs opposite to the distance: 4095 is the
// start of the measuring range, 0 its end.
struct Qd20Measurement {
    std::uint16_t value = 0; // 0..4095
    bool goodTarget = false; // the sensor sees an object with enough signal
    bool q1On = false;       // switching state of output Q1
};

// Line end of the export file. The export has always been written as a text-mode file,
// so it ends its lines with CR LF on Windows and with LF elsewhere; both are accepted by
// every spreadsheet we know of.
enum class CsvLineEnd { Lf, CrLf };

namespace MeasurementExport {

inline constexpr std::string_view kHeader = "Rohdaten [LSB];Skaliert [mm]";

// Bytes 0 and 1 of the reply data: value bits 11..6 and 5..0 in the low six bits of each,
// bit 6 of byte 0 good target, bit 6 of byte 1 the Q1 state.
Qd20Measurement decode(std::uint8_t byte0, std::uint8_t byte1);

// The number with one decimal and a point, rounded; padded with blanks on the left to at
// least minWidth characters ("%*.1f" without the locale).
std::string formatOneDecimal(double value, int minWidth = 0);

CsvLineEnd platformLineEnd();
std::string_view lineEndText(CsvLineEnd lineEnd);

// One data row without its line end: "4095; 250.0". The millimetres are computed with the
// integer range values, (start + span) - raw * span / 4095.
std::string formatRow(std::uint16_t raw, const Qd20Variant& variant);

// The complete file: header and one row per sample, samples in the order given (the
// window hands over its sample memory in slot order).
std::string toCsv(std::span<const std::uint16_t> samples, const Qd20Variant& variant,
                  CsvLineEnd lineEnd = platformLineEnd());

} // namespace MeasurementExport
