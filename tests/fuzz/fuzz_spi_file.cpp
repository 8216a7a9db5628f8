// QS40 project files (".spi"): the reader keeps to its 24 lines of at most 79 bytes whatever the
// content; the values of a complete file, saved and read again, are the same values.
#include "FuzzInput.h"
#include "SpiFile.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SpiFile::splitLines(content);
    FUZZ_CHECK(lines.size() <= std::size_t(SpiFile::kMaxLines));
    for (const std::string& line : lines)
        FUZZ_CHECK(line.size() <= SpiFile::kLineSlot);

    const SpiFile::Parsed parsed = SpiFile::parse(content);
    if (!parsed.complete())
        return 0;
    SpiFile::Values values;
    parsed.applyTo(values);
    if (parsed.sensorType && *parsed.sensorType >= 0 &&
        *parsed.sensorType <= std::numeric_limits<std::int32_t>::max())
        values.sensorType = static_cast<std::int32_t>(*parsed.sensorType);
    const std::string saved = SpiFile::serialize(values);
    const SpiFile::Parsed again = SpiFile::parse(saved);
    FUZZ_CHECK(again.complete() && again.sensorType == values.sensorType);
    SpiFile::Values reread;
    again.applyTo(reread);
    reread.sensorType = values.sensorType;
    FUZZ_CHECK(reread == values);
    return 0;
}
