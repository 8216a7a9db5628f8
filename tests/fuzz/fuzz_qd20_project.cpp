// ZYL 24 project files (".qel"): any content is either read into assignments or refused with
// its line and key; the values a file sets, saved again and loaded into the same window state,
// give the same settings.
#include "FuzzInput.h"
#include "Qd20ProjectFile.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the measuring range the values are limited to.
    const Qd20Variant& variant = Qd20Variants()[data[0] % Qd20Variants().size()];
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);
    const Qd20ProjectFile::LoadResult loaded = Qd20ProjectFile::parse(content);
    if (loaded.status == Qd20ProjectFile::LoadStatus::MissingValueLine ||
        loaded.status == Qd20ProjectFile::LoadStatus::BadValue)
        FUZZ_CHECK(loaded.errorLine >= 1 && !loaded.errorKey.empty());
    if (loaded.status != Qd20ProjectFile::LoadStatus::Ok)
        return 0;

    // A window state inside the range (the plain defaults are not) that both loads start from.
    Qd20Settings start;
    Qd20ProjectFile::apply(Qd20ProjectFile::parse(Qd20ProjectFile::serialize(start)).assignments, start,
                           variant);

    Qd20Settings first = start;
    Qd20ProjectFile::apply(loaded.assignments, first, variant);
    const std::string saved = Qd20ProjectFile::serialize(first);
    const Qd20ProjectFile::LoadResult again = Qd20ProjectFile::parse(saved);
    FUZZ_CHECK(again.status == Qd20ProjectFile::LoadStatus::Ok);
    Qd20Settings second = start;
    Qd20ProjectFile::apply(again.assignments, second, variant);
    FUZZ_CHECK(second == first);
    FUZZ_CHECK(Qd20ProjectFile::serialize(second) == saved);
    return 0;
}
