// ZYL24 replies: one exchange of a command the window sends against a reply taken from the
// input. An accepted reply must be exactly the frame a sensor sends for the data handed over,
// carry the length of its command, and decode to values inside their ranges.
//
// Input: a byte choosing the command, a byte for the address, then the reply (a framing byte and
// a chunk, see ChunkPeer).
#include "FuzzLine.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Qd20Measurement.h"
#include "Qd20ParameterBlock.h"
#include "Qd20PixelData.h"

#include <algorithm>

namespace {

constexpr char kCommands[] = {'?', 'A', 'v', 'I', 'T', 'E', 'M', 'X', 'D', 'F', 'C', 'Z', 'G',
                              'W', 'S', '6', '3', 'V', 'R', 'B', 'Q', 'L', 'H', 'N', '1'};

Qd20Request requestFor(char command, std::uint8_t address) {
    switch (command) {
    case 'V':
        return KeyLockRequest(address, 0);
    case 'R':
        return HoldRequest(address, 1);
    case 'B':
        return AveragingRequest(address, 1, true);
    case 'Q':
        return SoftTriggerRequest(address, 1);
    case 'L':
        return AddressChangeRequest(address, 7);
    case 'H':
    case 'N':
        return AnalogRequest(address, command, 2047);
    case '1': {
        Qd20Request r = PlainRequest(address, '1');
        r.data = {0x20, 0x00, 0x01, 0x3F, 0x3F};
        return r;
    }
    default:
        return PlainRequest(address, command);
    }
}

// A ZYL24 request is complete when as many bytes came as its length byte says.
class Qd20RequestWatch {
public:
    bool feed(std::uint8_t byte) {
        if (byte & 0x80)
            m_frame.clear();
        m_frame.push_back(byte);
        return m_frame.size() >= 2 && m_frame.size() == m_frame[1];
    }

private:
    std::vector<std::uint8_t> m_frame;
};

void checkDecoded(char command, const std::vector<std::uint8_t>& data) {
    switch (command) {
    case 'A':
    case 'I': {
        const auto m = DecodeMeasurement(data);
        FUZZ_CHECK(m && m->value <= 4095);
        const auto again = EncodeMeasurement(*m);
        FUZZ_CHECK(std::equal(again.begin(), again.end(), data.begin()));
        break;
    }
    case '?': {
        const auto block = DecodeParameterBlock(data);
        FUZZ_CHECK(block);
        for (int raw : {block->analogPoint1Raw, block->analogPoint2Raw, block->q1FirstRaw, block->q1SecondRaw,
                        block->q2FirstRaw, block->q2SecondRaw})
            FUZZ_CHECK(raw >= 0 && raw <= 4095);
        FUZZ_CHECK(!block->q1Function || (*block->q1Function >= 0 && *block->q1Function <= 9));
        FUZZ_CHECK(!block->q2Function || (*block->q2Function >= 0 && *block->q2Function <= 2));
        FUZZ_CHECK(!block->averaging || (*block->averaging >= 0 && *block->averaging <= 2));
        // What the window would send back reads as the same settings.
        const auto bytes = EncodeParameterBlock(*block);
        FUZZ_CHECK(DecodeParameterBlock(bytes) == block);
        break;
    }
    case '6':
        FUZZ_CHECK(DecodePixelCurve(data) && DecodePixelNumbers(data));
        break;
    case '3':
        FUZZ_CHECK(DecodeServiceNumbers(data));
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const char command = kCommands[input.byte() % sizeof kCommands];
    const std::uint8_t address = static_cast<std::uint8_t>(input.byte() % 128 + 1);
    const Qd20Request request = requestFor(command, address);

    Qd20RequestWatch watch;
    ChunkPeer peer(input, [&watch](std::uint8_t byte, const LineSettings&) { return watch.feed(byte); });
    FakeClock clock;
    SimulatedLine line(&clock);
    line.attach(&peer);
    line.setTimeouts({4, 2, 2000, 0, 0});
    LineHistory history;

    const Qd20Result result = Qd20Transact(line, false, clock, history, request);
    if (!result.dataOk) {
        FUZZ_CHECK(result.data.empty());
        return 0;
    }
    const std::vector<std::uint8_t> frame =
        BuildReplyFrame(address, 'Y', result.data, command == '6' ? kQd20PixelExtraBytes : 0);
    FUZZ_CHECK(peer.lastChunk.size() >= frame.size() &&
               std::equal(frame.begin(), frame.end(), peer.lastChunk.begin()));
    const auto expected = Qd20ReplyDataLength(command);
    FUZZ_CHECK(!expected || *expected == result.data.size());
    checkDecoded(command, result.data);
    return 0;
}
