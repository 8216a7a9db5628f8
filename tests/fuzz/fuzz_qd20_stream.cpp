// The ZYL24 measurement stream: whatever bytes come, the reader stays inside the sample memory it
// was given, counts what it took, and every value it made is a 12-bit number built from the two
// bytes of its pair.
#include "FuzzInput.h"
#include "Q20_speziell.h"
#include "SimulatedLine.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    // Sample memory of 0 to 255 values, so a short memory is tried as well as the stream's own end.
    std::vector<std::uint16_t> samples(input.byte());
    const auto rest = input.rest();
    const std::vector<std::uint8_t> stream(rest.begin(), rest.end());

    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({4, 2, 100, 0, 0});
    // The stream is already on its way when the reader starts: the purge cannot catch it.
    line.delayIncoming(1);
    line.deliver(stream);
    line.delayIncoming(0);

    const Qd20StreamResult result = ReadStream(line, samples);
    FUZZ_CHECK(result.byteCount <= samples.size() * 2 && result.byteCount <= stream.size());
    FUZZ_CHECK(result.valueCount == result.byteCount / 2);
    FUZZ_CHECK(result.ok == (result.byteCount >= 200));
    if (samples.empty())
        FUZZ_CHECK(!result.ok && result.byteCount == 0);
    // The values come from the stream after the realignment of its first byte.
    const std::size_t skipped = !stream.empty() && (stream[0] & 0x40) ? 2 : 1;
    for (std::size_t k = 0; k < result.valueCount; ++k) {
        FUZZ_CHECK(samples[k] <= 4095);
        const std::size_t at = std::min(skipped, stream.size()) + 2 * k;
        FUZZ_CHECK(samples[k] == ((stream[at] & 0x3F) * 64 + (stream[at + 1] & 0x3F)));
    }
    return 0;
}
