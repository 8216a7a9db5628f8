// Identification text: the reply to STX "GVE" EOT as the port layer reads it. Whatever comes,
// the reply kept is bounded, the type is one the program knows (or none), and the generation
// flags never both hold.
#include "FuzzLine.h"
#include "SimTextFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    SimTextFrame frame(16);
    ChunkPeer peer(input, [&frame](std::uint8_t byte, const LineSettings&) { return frame.feed(byte); });
    FuzzPorts provider(peer);
    Schnittstelle ports(provider, provider.clock);
    if (!OpenFuzzPort(ports))
        return 0;

    std::uint8_t type = 0xEE;
    const bool known = ports.Identify(FuzzPorts::kCom, type);
    FUZZ_CHECK(ports.IdentReply.size() <= 80);
    FUZZ_CHECK(known == (type != 0));
    FUZZ_CHECK(type == 0 || (type >= 3 && type <= 7));
    FUZZ_CHECK(!(ports.NewProtocol && ports.OldProtocol));
    return 0;
}
