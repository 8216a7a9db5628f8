// The ZYL 24 window's binary settings record as the settings store hands it over: a value of
// another size is refused as a whole; a record that was read, stored again, reads the same, with
// its RTS mode and address inside their ranges.
#include "FuzzInput.h"
#include "Qd20WindowRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto record = Qd20WindowRecord::decode({data, size});
    FUZZ_CHECK(record.has_value() == (size == Qd20WindowRecord::kSize));
    if (!record)
        return 0;
    FUZZ_CHECK(record->RtsMode >= -1 && record->RtsMode <= 2);
    FUZZ_CHECK(record->address >= 0 && record->address <= 15);
    const auto stored = record->encode();
    const auto again = Qd20WindowRecord::decode(stored);
    FUZZ_CHECK(again && again->encode() == stored);
    FUZZ_CHECK(again->firstPoints == record->firstPoints && again->secondPoints == record->secondPoints &&
               again->RtsMode == record->RtsMode && again->address == record->address);
    const int resolved = Qd20WindowRecord::resolveAddress(record->address, size > 0 ? data[0] : 0);
    FUZZ_CHECK(resolved >= 0 && resolved <= 128);
    return 0;
}
