#pragma once
// Project files of the QS40 window (".spi"): the sensor type, the four switch points with their
// hystereses and the four limit parameters, one value per line, each line ended by CR LF:
//
//   SensorTyp: 7 / SP1: 2000mm / HY1: 300mm / ... / HY4: 300mm / En: 180 / Ef: 100 / Ed: 2800 / Nz: 350
//
// Reading is as forgiving as the files in circulation need: lines in any order, the first
// matching line wins, the blank after the colon and the unit may be missing, numbers may be
// written in octal ("0300") or hexadecimal ("0x1F4"). Only the first 24 lines count, and only
// lines ended by a line feed; a line keeps at most 79 bytes (longer ones are cut there and the
// next line starts after their line feed).
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SpiFile {

inline constexpr int kPoints = 4;
inline constexpr int kMaxLines = 24;
inline constexpr std::size_t kLineSlot = 79; // bytes of a line kept, CR LF included
// Files are a few hundred bytes; this much covers 24 lines of any sensible length.
inline constexpr std::size_t kMaxFileBytes = 64 * 1024;

// What a file holds, field for field as in the QS40 parameter set (switch point n in index n-1).
struct Values {
    std::int32_t sensorType = 7;
    std::array<std::int32_t, kPoints> switchL{};
    std::array<std::int32_t, kPoints> switchH{};
    std::int32_t limitEN = 0;
    std::int32_t limitEF = 0;
    std::int32_t limitDT = 0;
    std::int32_t limitND = 0;
    bool operator==(const Values&) const = default;
};

// What a file gave; a value the file does not carry stays empty.
struct Parsed {
    // The number of the first type line as written, so that a number that is no sensor type
    // (or does not fit one) can be refused instead of being cut down to one.
    std::optional<std::int64_t> sensorType;
    std::array<std::optional<std::int32_t>, kPoints> switchL{};
    std::array<std::optional<std::int32_t>, kPoints> switchH{};
    std::optional<std::int32_t> limitEN;
    std::optional<std::int32_t> limitEF;
    std::optional<std::int32_t> limitDT;
    std::optional<std::int32_t> limitND;
    // Switch-point and hysteresis lines found; a complete file has 2 * kPoints.
    int matchCount() const;
    bool complete() const { return matchCount() == 2 * kPoints; }
    // Copies what was found over `values` (the type is not touched: the caller checks it).
    void applyTo(Values& values) const;
};

// The 13 lines, each ended by CR LF.
std::string serialize(const Values& values);

// The lines that count, each with its CR LF if it had one within its slot.
std::vector<std::string> splitLines(std::string_view content);

Parsed parse(std::string_view content);

enum class ReadError { None, CannotOpen, NotAFile };
struct ReadResult {
    ReadError error = ReadError::None;
    std::string content; // at most kMaxFileBytes
};
// Reads a project file. Pipes, devices and other special files are refused without opening
// them (opening a FIFO would wait for a writer).
ReadResult readFile(const std::filesystem::path& path);
// Whether a file may be written at path: it does not exist yet or is a plain file.
bool mayWrite(const std::filesystem::path& path);

} // namespace SpiFile
