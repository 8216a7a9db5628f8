// NUVA replies: one exchange of each command against a reply taken from the input. A reply the
// link accepts must be the frame a sensor would send for the data it handed over, long enough
// for its command, and readable by the command's decoder.
//
// Input: a byte choosing command, options and echo, then what the partner answers after the
// address byte and after the complete request (each a framing byte and a chunk, see ChunkPeer).
#include "FuzzLine.h"
#include "NuvaCommands.h"
#include "Qs40_nuva_speziell.h"

#include <array>

namespace {

// Sees a request byte by byte: the address byte comes with mark parity, the frame is complete
// when as many bytes came as its length byte says.
class NuvaRequestWatch {
public:
    bool feed(std::uint8_t byte, const LineSettings& line) {
        if (line.parity == Parity::Mark) {
            m_frame.assign(1, byte);
            return true; // the link reads one byte after the address byte; let the input fill it
        }
        if (m_frame.empty())
            return false;
        m_frame.push_back(byte);
        if (m_frame.size() >= 3 && m_frame.size() == m_frame[2]) {
            m_frame.clear();
            return true;
        }
        return false;
    }

private:
    std::vector<std::uint8_t> m_frame;
};

NuvaRequest requestFor(std::uint8_t pick) {
    static constexpr long long kLimits[kNuvaLimitCount] = {1, 2, 300, 4000, 50000, 6, 7, 65535};
    switch (pick % 12) {
    case 0:
        return NuvaIdentifyRequest();
    case 1:
        return NuvaReadSwitchPointsRequest();
    case 2:
        return NuvaStoreRequest();
    case 3:
        return NuvaMeasureRequest(false);
    case 4:
        return NuvaMeasureRequest(true);
    case 5:
        return NuvaReadNearSwitchRequest();
    case 6:
        return NuvaSetNearSwitchRequest(pick & 0x10);
    case 7:
        return NuvaReadLimitsRequest();
    case 8:
        return *NuvaWriteSwitchPointRequest(pick % 16, 1234);
    case 9:
        return *NuvaWriteHysteresisRequest(pick % 4, 77);
    case 10:
        return *NuvaSelectFieldRequest(pick % 4);
    default:
        return *NuvaWriteLimitsRequest(std::span<const long long, kNuvaLimitCount>(kLimits));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t pick = input.byte();
    const std::uint8_t flags = input.byte();
    const NuvaRequest request = requestFor(pick);
    NuvaLinkOptions options;
    options.eightBit = flags & 0x01;
    if (flags & 0x02)
        options.master = 50; // the code of '2', the first byte a silent line leaves in the buffer
    const bool echo = flags & 0x04;

    NuvaRequestWatch watch;
    ChunkPeer peer(input,
                   [&watch](std::uint8_t byte, const LineSettings& line) { return watch.feed(byte, line); });
    peer.setBaud(57600);
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setEcho(echo);
    line.attach(&peer);
    line.applySettings({57600, 8, Parity::Space, StopBits::One, RtsControl::Disable});
    line.setTimeouts({100, 5, 100, 5, 200});

    const NuvaReply reply =
        NuvaExchange(line, echo, clock, options, request.command, request.data, request.command == 'S');

    FUZZ_CHECK(reply.data.size() <= kNuvaMaxData);
    if (reply.errors == kNuvaTooLong)
        FUZZ_CHECK(reply.count > int(kNuvaMaxData - 1));
    if (!reply.ok()) {
        FUZZ_CHECK(!reply.failure.empty());
        return 0;
    }
    // Accepted: the bytes re-encode to the frame that came, and the command can use them.
    FUZZ_CHECK(reply.received == NuvaReplyFrame(options.master, options.slave, reply.data));
    FUZZ_CHECK(reply.count == int(reply.data.size()));
    FUZZ_CHECK(reply.data.size() >= NuvaMinimumReplyData(request.command));
    if (reply.data.size() >= 2)
        FUZZ_CHECK(reply.linkWord &&
                   *reply.linkWord == (reply.data[reply.data.size() - 2] << 8 | reply.data.back()));
    switch (request.command) {
    case 'U': {
        const auto points = NuvaDecodeSwitchPoints(reply.data);
        FUZZ_CHECK(points && points->points[0] == (reply.data[1] << 8 | reply.data[2]));
        break;
    }
    case '6':
        FUZZ_CHECK(NuvaDecodeLimits(reply.data));
        break;
    case 'P':
        FUZZ_CHECK(NuvaDecodeEnergy(reply.data));
        break;
    case ':':
        FUZZ_CHECK(NuvaDecodeNearSwitch(reply.data));
        break;
    case 'X':
        FUZZ_CHECK(reply.data.size() >= 4);
        break;
    default:
        break;
    }
    return 0;
}
