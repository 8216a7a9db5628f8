#pragma once
// Project files of the ZYL24 window (".qel"): the switch points, output functions and
// switches of a parameter set as 25 short text lines, a bracketed key followed by its
// value line(s). The hold setting, the lowlight mode, the bus address and the sensor
// variant are not part of the file.
//
// Files have been edited by hand and by customers' scripts for a long time, so loading is
// forgiving where a file may mean something: a key may stand anywhere in a line, keys come
// in any order and more than once (the last one wins), lines without a key are ignored, and
// points are limited to the measuring range. A value that cannot be read, though, is never
// turned into some other value: it is reported with its line and key. Loading never changes
// anything by itself: it returns the assignments in file order, and the caller applies them
// the way it shows values.
#include "Qd20Settings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Qd20ProjectFile {

// Points are stored as whole millimetres; a file is never larger than a few hundred bytes.
inline constexpr int kLineCount = 25;
// Anything beyond this is not a project file (someone picked the wrong file); it is
// refused before it is searched.
inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;

// What one value of a file sets. Points carry millimetres (0..65535, not yet limited to
// the measuring range); the others carry the position of the window's slider, as read
// (a function, 0..255, may lie beyond the slider's last position: the slider limits it).
enum class Target : std::uint8_t {
    Q1First,          // SP_Q1.SP1 / SwitchPointQ1A
    Q1Second,         // SP_Q1.SP2 / SwitchPointQ1B
    Q2First,          // SP_Q2.SP1
    Q2Second,         // SP_Q2.SP2
    AnalogFirst,      // SP_QA.SP1, the 4 mA point
    AnalogSecond,     // SP_QA.SP2, the 20 mA point
    PulseStretchQ1,   // IVQ1Slide: 0 on, 1 off
    PulseStretchQ2,   // IVQ2Slide
    NormallyClosedQ1, // OSQ1_Slide: 0 normally closed, 1 normally open
    NormallyClosedQ2, // OSQ2_Slide
    KeyLock,          // TVSlide: 0 on, 1 off
    Averaging,        // BWSlide: 0 "40 ms", 1 "4 ms", 2 "0.4 ms"
    FunctionQ1,       // FktQ1Slide (0..255 as read)
    FunctionQ2,       // FktQ2Slide (0..255 as read)
};

struct Assignment {
    Target target;
    int value;
    bool operator==(const Assignment&) const = default;
};

enum class LoadStatus {
    Ok,
    // Not a single key in the file: not a project file (a binary file, another program's
    // file). Nothing is to be changed.
    NoKeyFound,
    // A key whose value line(s) are missing at the end of the file ("Fehler in Datei").
    // The assignments before it are valid and are kept.
    MissingValueLine,
    // Larger than kMaxFileBytes; nothing was searched.
    TooLarge,
    // A value line that cannot be read: a point that is not a whole decimal number from 0 to
    // 65535, a function beyond 0..255, a switch without "On" or "Off", an averaging time
    // other than 10, 100 or 1000, an empty line, or the file's last line cut short (no line
    // end). That value is left out; the assignments of the other lines are valid.
    BadValue,
};

struct LoadResult {
    LoadStatus status = LoadStatus::NoKeyFound;
    std::vector<Assignment> assignments; // in file order
    // MissingValueLine: the line (from 1) of the key; BadValue: the first bad value line.
    int errorLine = 0;
    std::string errorKey; // the key that line belongs to, "[Q2]"
};

// The 25 lines, each ended by CR LF. Points are written as whole millimetres.
std::string serialize(const Qd20Settings& settings);

// Searches the content line by line. A line ends with LF; carriage returns before it belong
// to the line end, so CR LF, LF and CR CR LF read alike (a file without any LF ends its lines
// with CR). Lines holding control characters such as NUL are not text: they are not
// searched for keys, and as a value line they are a bad value.
LoadResult parse(std::string_view content);

// Applies loaded values to plain settings the way the window's controls take them:
// points limited to the measuring range and snapped to 0.1 mm; a Q1 or Q2 first point
// pushes the second one up, a second point pulls the first one down (the analog points
// may stand in either order); slider positions limited to the slider.
void apply(const Assignment& assignment, Qd20Settings& settings, const Qd20Variant& variant);
void apply(const std::vector<Assignment>& assignments, Qd20Settings& settings, const Qd20Variant& variant);

} // namespace Qd20ProjectFile
