// Halvern replies: the probe and the distance read against replies taken from the input. The
// type found is one of the two kinds or none, and a distance is a number the reply's digits
// (or its 'h'/'l' mark) give.
#include "FuzzLine.h"
#include "Q20_speziell.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t mode = input.byte();
    ChunkPeer peer(input, [](std::uint8_t byte, const LineSettings&) { return byte == '.'; });
    FakeClock clock;
    SimulatedLine line(&clock);
    line.attach(&peer);
    line.setTimeouts({20, 5, 100, 0, 0});

    if (mode & 1) {
        const int type = ProbeHalvern(line, false);
        FUZZ_CHECK(type == 0 || type == 14 || type == 15);
        return 0;
    }
    const int type = (mode & 2) ? 15 : 14;
    const auto distance = ReadHalvernDistance(line, false, type);
    if (!distance)
        return 0;
    const std::string reply(peer.lastChunk.begin(), peer.lastChunk.end());
    const std::size_t at = type == 15 ? 8 : 5;
    FUZZ_CHECK(reply.size() > at);
    if (type == 15)
        FUZZ_CHECK(reply[at] == 'h' ? *distance == 0 : *distance == std::stoul(reply.substr(at, 6)));
    else if (reply[at] == 'h')
        FUZZ_CHECK(*distance == 60000);
    else if (reply[at] == 'l')
        FUZZ_CHECK(*distance == 0);
    else
        FUZZ_CHECK(*distance == std::stoul(reply.substr(at, 5)));
    return 0;
}
