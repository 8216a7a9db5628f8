// ZYL 36 project files (".qel" of the ZYL 36 window): any content is read, refused as no file of
// the family, or read up to a value line that is named by its number; every value read is a
// finite distance or a 16-bit hysteresis. The window's values after loading, saved as the window
// saves them and loaded again, are the same (to the 15 digits a distance is written with), and
// saving those gives the same file.
#include "FuzzInput.h"
#include "NuvaProjectFile.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

bool sameDistance(double read, double written) {
    return std::abs(read - written) <= 1e-14 * std::abs(written) + std::numeric_limits<double>::denorm_min();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const bool english = in.byte() & 1; // the language the window saves in
    const std::string_view content(reinterpret_cast<const char*>(in.rest().data()), in.rest().size());
    const NuvaProjectLoad load = NuvaReadProjectFile(content);
    using Status = NuvaProjectLoad::Status;
    if (load.status == Status::BadNumber)
        FUZZ_CHECK(load.badLine >= 4 && load.badLine <= 27);
    else
        FUZZ_CHECK(load.badLine == 0);

    // The window's state: its factory points, then what the file set (before a bad line too).
    NuvaProjectValues window;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k) {
        window.points[k] = 800.0 + 400.0 * static_cast<double>(k % 4);
        if (load.points[k]) {
            FUZZ_CHECK(load.status != Status::NotQs40File && std::isfinite(*load.points[k]));
            window.points[k] = *load.points[k];
        }
    }
    window.hysteresis.fill(48);
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k) {
        if (load.hysteresis[k]) {
            FUZZ_CHECK(load.status != Status::NotQs40File && *load.hysteresis[k] >= 0 &&
                       *load.hysteresis[k] <= 0xFFFF);
            window.hysteresis[k] = *load.hysteresis[k];
        }
    }

    const std::string saved = NuvaProjectFileText(window, english);
    const NuvaProjectLoad again = NuvaReadProjectFile(saved);
    FUZZ_CHECK(again.status == Status::Ok);
    NuvaProjectValues reread;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k) {
        FUZZ_CHECK(again.points[k] && sameDistance(*again.points[k], window.points[k]));
        reread.points[k] = *again.points[k];
    }
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k) {
        FUZZ_CHECK(again.hysteresis[k] == window.hysteresis[k]);
        reread.hysteresis[k] = *again.hysteresis[k];
    }
    FUZZ_CHECK(NuvaProjectFileText(reread, english) == saved);
    return 0;
}
