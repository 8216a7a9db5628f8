// The ZYL 36 window's binary settings record as the settings store hands it over: a value of
// another size is refused as a whole; a record read and stored again gives the same bytes; a
// record the window refuses says which switch point is out of range.
#include "FuzzInput.h"
#include "NuvaWindowRecord.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto record = NuvaWindowRecord::decode({data, size});
    FUZZ_CHECK(record.has_value() == (size == NuvaWindowRecord::kSize));
    if (!record)
        return 0;
    const auto stored = record->encode();
    FUZZ_CHECK(std::equal(stored.begin(), stored.end(), data));
    const bool inRange = std::all_of(record->values.points.begin(), record->values.points.end(),
                                     [](std::uint16_t p) { return p <= 6000; });
    FUZZ_CHECK(record->outOfRange().empty() == inRange);
    return 0;
}
