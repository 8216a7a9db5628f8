// QS40 text replies: every operation of the sensor and the handheld against replies taken from
// the input, and the number reader against the C library's reading of the same text.
//
// Input: one byte choosing the operation and the generation, then for each request the partner
// hears a framing byte and a chunk (see ChunkPeer).
#include "FuzzLine.h"
#include "Qs40TextLine.h"
#include "Qs40_speziell.h"
#include "SimTextFrame.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace {

// The "%i" reading of the C library: the same text must give the same number, or none where
// the number does not fit 32 bits.
void checkNumberReader(std::string_view text) {
    const std::string copy(text);
    std::size_t pos = 0;
    const auto mine = ParseQs40Int(copy, pos);
    errno = 0;
    char* end = nullptr;
    const long long theirs = std::strtoll(copy.c_str(), &end, 0);
    const bool fits = errno != ERANGE && theirs >= std::numeric_limits<std::int32_t>::min() &&
                      theirs <= std::numeric_limits<std::int32_t>::max();
    if (end == copy.c_str() || !fits) {
        FUZZ_CHECK(!mine);
        return;
    }
    FUZZ_CHECK(mine && *mine == theirs);
    FUZZ_CHECK(pos == std::size_t(end - copy.c_str()));
}

bool fourDigits(std::int32_t v) {
    return v >= 0 && v <= 9999;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const std::uint8_t choice = input.byte();
    // The number reader on the raw bytes (only the text up to a NUL is what the C library sees).
    if (choice == 0xFF) {
        const auto rest = input.rest();
        std::string text(rest.begin(), rest.end());
        checkNumberReader(text.substr(0, text.find('\0')));
        return 0;
    }

    SimTextFrame frame(64);
    ChunkPeer peer(input, [&frame](std::uint8_t byte, const LineSettings&) { return frame.feed(byte); });
    FuzzPorts provider(peer);
    Schnittstelle ports(provider, provider.clock);
    if (!OpenFuzzPort(ports))
        return 0;
    ports.NewProtocol = choice & 0x10;
    ports.OldProtocol = !ports.NewProtocol;
    ports.LastOpenedPort = FuzzPorts::kCom;
    std::array<std::uint8_t, 256> typePort{};
    typePort[kQs40SensorType] = FuzzPorts::kCom;
    Qs40ParameterSet params;
    params.MeasDistance = 1234;
    for (int n = 1; n <= 4; ++n) {
        params.SwitchL[n] = 2000;
        params.SwitchH[n] = 300;
    }
    Qs40Context ctx(ports, typePort, params);

    switch (choice & 0x0F) {
    case 0:
        if (Qs40ReadSwitchPoints(ctx, kQs40SensorType))
            for (int n = 1; n <= 4; ++n)
                FUZZ_CHECK(fourDigits(params.SwitchL[n])); // only four decimal digits are taken
        break;
    case 1:
        Qs40ReadLimits(ctx, kQs40SensorType);
        break;
    case 2: {
        const Qs40ParameterSet before = params;
        if (!Qs40ReadMeasurement(ctx, kQs40SensorType))
            FUZZ_CHECK(params.MeasDistance == 0 || params.MeasDistance == before.MeasDistance);
        break;
    }
    case 3:
        Qs40ReadSettings(ctx, kQs40SensorType);
        break;
    case 4:
        Qs40ReadCurveTable(ctx, kQs40SensorType);
        break;
    case 5:
        if (Qs40ReadFromHandheld(ctx))
            for (int n = 1; n <= 4; ++n) {
                // Whole centimetres of four digits.
                FUZZ_CHECK(params.SwitchL[n] >= 0 && params.SwitchL[n] <= 9990 &&
                           params.SwitchL[n] % 10 == 0);
                FUZZ_CHECK(params.SwitchH[n] >= 0 && params.SwitchH[n] <= 9990 &&
                           params.SwitchH[n] % 10 == 0);
            }
        break;
    case 6:
        Qs40WriteSwitchPoints(ctx, kQs40SensorType);
        Qs40WriteLimits(ctx, kQs40SensorType);
        Qs40Unlock(ctx, kQs40SensorType);
        Qs40StoreEeprom(ctx, kQs40SensorType);
        Qs40Restart(ctx, kQs40SensorType);
        Qs40Sum(ctx, kQs40SensorType);
        break;
    case 7: {
        // One value reply read directly: what it hands over is bounded, and a reply ended by
        // its LF is exactly the bytes that came before the LF.
        Qs40TextLine line(*ports.device(FuzzPorts::kCom), provider.clock);
        line.send("GEN");
        const std::size_t pending = provider.line->pending();
        const Qs40TextReply reply = line.readText();
        FUZZ_CHECK(reply.text.size() <= Qs40TextLine::kValueReplyMax);
        FUZZ_CHECK(reply.text.size() <= pending);
        if (reply.end == Qs40ReplyEnd::Line)
            FUZZ_CHECK(reply.text.find('\n') == std::string::npos);
        if (reply.end == Qs40ReplyEnd::Refused)
            FUZZ_CHECK(reply.text.empty());
        checkNumberReader(reply.text.substr(0, reply.text.find('\0')));
        break;
    }
    default:
        Qs40SendToHandheld(ctx, kQs40SensorType);
        break;
    }
    return 0;
}
