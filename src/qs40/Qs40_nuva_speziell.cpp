#include "Qs40_nuva_speziell.h"

#include "NuvaCommands.h"
#include "Schnittstelle.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kHeaderBytes = 3; // master, slave, length
constexpr std::uint8_t kShortestFrame = 5;
constexpr int kLongWaitRounds = 8;
constexpr std::uint32_t kLongWaitStepMs = 500;
// A reply must be complete this long after its first byte arrived. The longest reply takes under
// 90 ms on the wire at 9600 baud; a sensor that trickles on past this is not listened to, and
// what it still sends is purged by the next exchange.
constexpr std::uint64_t kReplyBudgetMs = 1000;
constexpr int kMarkParityCode = 3; // the line rests in mark parity until the first exchange

struct MinimumReply {
    std::uint8_t command;
    std::size_t dataBytes;
};
constexpr std::array<MinimumReply, 6> kMinimumReplies{{
    {'U', 41}, // d[1..40]: twenty words
    {'6', 17}, // d[1..16]: eight limit words
    {'X', 4},  // d[1], d[2] version, d[3] kind
    {'P', 3},  // d[1..2] energy
    {':', 2},  // d[0] function present, d[1] state
    {'C', 2},  // the link word is the distance
}};

std::uint8_t xorOf(std::span<const std::uint8_t> bytes, std::uint8_t start = 0) {
    for (std::uint8_t b : bytes)
        start ^= b;
    return start;
}

// Reads exactly one byte; false on time-out, on a line error, or after the deadline.
class ReplyReader {
public:
    ReplyReader(SerialDevice& device, Clock& clock, NuvaReply& reply)
        : m_device(device), m_clock(clock), m_reply(reply) {}

    void setDeadline(std::uint64_t deadline) { m_deadline = deadline; }

    bool next(std::uint8_t& byte) {
        if (m_clock.nowMs() > m_deadline)
            return fail("reply too late");
        if (m_device.read(&byte, 1) != 1) {
            if (const std::string why = m_device.lastError(); !why.empty()) {
                m_reply.deviceError = why;
                return fail("line error: " + why);
            }
            return fail(m_reply.received.empty() ? "no reply" : "reply cut short");
        }
        if (m_clock.nowMs() > m_deadline)
            return fail("reply too late");
        m_reply.received.push_back(byte);
        return true;
    }

    bool fail(std::string why) {
        ++m_reply.errors;
        m_reply.failure = std::move(why);
        return false;
    }

private:
    SerialDevice& m_device;
    Clock& m_clock;
    NuvaReply& m_reply;
    std::uint64_t m_deadline = UINT64_MAX;
};

// A two-wire converter hands every byte we send back to us. One more byte is read and dropped
// after the address byte whether the line echoes or not (a converter may hand the address byte
// back once more); on a quiet line that read simply times out.
void discard(SerialDevice& device, std::size_t count) {
    std::uint8_t sink[32];
    while (count > 0) {
        const std::size_t n = device.read(sink, std::min(count, sizeof sink));
        if (n == 0)
            return;
        count -= n;
    }
}

// A line already in that parity is left alone: a change that changes nothing is a needless
// reconfiguration, and pseudo-terminals (which carry no parity) even refuse it.
bool switchParity(SerialDevice& device, Parity parity) {
    return device.settings().parity == parity || device.setParity(parity);
}

} // namespace

std::vector<std::uint8_t> NuvaRequestFrame(const NuvaLinkOptions& options, std::uint8_t command,
                                           std::span<const std::uint8_t> data) {
    if (data.size() > kNuvaMaxData)
        return {};
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + kShortestFrame);
    frame.push_back(options.slave);
    frame.push_back(options.master);
    frame.push_back(static_cast<std::uint8_t>(data.size() + kShortestFrame));
    frame.push_back(command);
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(xorOf(frame));
    return frame;
}

std::vector<std::uint8_t> NuvaReplyFrame(std::uint8_t master, std::uint8_t slave,
                                         std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame{master, slave, static_cast<std::uint8_t>(data.size() + 4)};
    frame.insert(frame.end(), data.begin(), data.end());
    frame.push_back(xorOf(frame));
    return frame;
}

std::size_t NuvaMinimumReplyData(std::uint8_t command) {
    for (const MinimumReply& m : kMinimumReplies)
        if (m.command == command)
            return m.dataBytes;
    return 0;
}

NuvaReply NuvaExchange(SerialDevice& device, bool echoesOwnBytes, Clock& clock,
                       const NuvaLinkOptions& options, std::uint8_t command,
                       std::span<const std::uint8_t> data, bool waitLong) {
    NuvaReply reply;
    ReplyReader reader(device, clock, reply);
    const std::vector<std::uint8_t> frame = NuvaRequestFrame(options, command, data);
    if (frame.empty()) {
        reader.fail("request too long");
        return reply;
    }

    // The address byte must have left the transmitter before the parity changes, or its
    // ninth bit would go out as a 0 and no sensor would listen.
    if (!switchParity(device, Parity::Mark)) {
        reader.fail("the line refuses mark parity");
        return reply;
    }
    device.purge(true, false);
    device.purge(false, true);
    if (device.write(frame.data(), 1) != 1) {
        reply.deviceError = device.lastError();
        reader.fail("address byte not sent");
        return reply;
    }
    if (echoesOwnBytes)
        discard(device, 1);
    discard(device, 1);
    device.waitTransmitEmpty();

    if (!switchParity(device, Parity::Space)) {
        reader.fail("the line refuses space parity");
        return reply;
    }
    const std::size_t rest = frame.size() - 1;
    const std::size_t written = device.write(frame.data() + 1, rest);
    if (echoesOwnBytes)
        discard(device, written);
    if (written != rest) {
        reply.deviceError = device.lastError();
        reader.fail("request not sent");
        return reply;
    }

    std::uint8_t first = 0;
    bool gotFirst = false;
    if (waitLong) {
        for (int round = 0; round < kLongWaitRounds && !gotFirst; ++round) {
            clock.sleepMs(kLongWaitStepMs);
            gotFirst = device.read(&first, 1) == 1;
            if (!device.lastError().empty())
                break;
        }
    } else {
        gotFirst = device.read(&first, 1) == 1;
    }
    if (!gotFirst) {
        reply.deviceError = device.lastError();
        reader.fail(reply.deviceError.empty() ? "no reply" : "line error: " + reply.deviceError);
        return reply;
    }
    reader.setDeadline(clock.nowMs() + kReplyBudgetMs);
    reply.received.push_back(first);
    // A sensor sends the first byte of its reply with its own ninth bit; what the line says
    // about it does not count.
    device.takeLineErrors();
    const auto countParity = [&] {
        if (device.takeLineErrors() == LineError::Parity && !options.eightBit)
            ++reply.errors;
    };

    if (first != options.master) {
        reader.fail("reply for another master");
        return reply;
    }
    std::uint8_t slave = 0;
    if (!reader.next(slave))
        return reply;
    if (slave != options.slave) {
        reader.fail("reply from another sensor");
        return reply;
    }
    std::uint8_t length = 0;
    if (!reader.next(length))
        return reply;
    countParity();
    reply.count = length >= 4 ? length - 4 : 0;
    if (std::size_t(length) > kNuvaMaxData + kHeaderBytes) {
        reply.errors = kNuvaTooLong;
        reply.failure = "reply too long";
        return reply;
    }
    if (length < kShortestFrame) {
        reader.fail("reply too short");
        return reply;
    }

    std::uint8_t check = static_cast<std::uint8_t>(first ^ slave ^ length);
    const std::size_t dataBytes = std::size_t(length) - 4;
    reply.data.reserve(dataBytes);
    for (std::size_t i = 0; i < dataBytes; ++i) {
        std::uint8_t b = 0;
        if (!reader.next(b))
            return reply;
        countParity();
        reply.data.push_back(b);
        check ^= b;
    }
    std::uint8_t sum = 0;
    if (!reader.next(sum))
        return reply;
    countParity();
    if (sum != check) {
        ++reply.errors;
        reply.failure = "wrong checksum";
        return reply;
    }
    if (dataBytes >= 2)
        reply.linkWord =
            static_cast<std::uint16_t>(reply.data[dataBytes - 2] << 8 | reply.data[dataBytes - 1]);
    if (dataBytes < NuvaMinimumReplyData(command)) {
        ++reply.errors;
        reply.failure = "reply too short for its command";
    } else if (reply.errors != 0) {
        reply.failure = "parity errors";
    }
    return reply;
}

NuvaReply NuvaExchange(Schnittstelle& ports, int com, const NuvaLinkOptions& options, std::uint8_t command,
                       std::span<const std::uint8_t> data, bool waitLong) {
    SerialDevice* device = ports.isOpen(com) ? ports.device(com) : nullptr;
    if (!device) {
        NuvaReply reply;
        reply.errors = 1;
        reply.failure = "port not open";
        return reply;
    }
    return NuvaExchange(*device, ports.port(com).echoesOwnBytes, ports.clock(), options, command, data,
                        waitLong);
}

NuvaIdentity NuvaIdentify(Schnittstelle& ports, int com, const NuvaLinkOptions& options) {
    NuvaIdentity identity;
    identity.reply = NuvaExchange(ports, com, options, 'X', {}, false);
    if (!identity.reply.ok())
        return identity;
    const std::vector<std::uint8_t>& d = identity.reply.data;
    identity.ok = true;
    identity.version = std::to_string(d[1]) + "." + std::to_string(d[2]);
    identity.sensorType = NuvaKindOf(d[3]).sensorType;
    return identity;
}

NuvaOpenResult NuvaOpen(Schnittstelle& ports, int com, std::uint32_t baud, int stopBits,
                        std::uint32_t readTimeoutMs, int byteSize, const NuvaLinkOptions& options,
                        Progress* progress) {
    NuvaOpenResult result;
    if (!ports.OpenPlainPort(com))
        return result;
    SerialDevice& device = *ports.device(com);
    Timeouts t;
    t.readIntervalMs = 100;
    t.readTotalMultiplierMs = 5;
    t.readTotalConstantMs = readTimeoutMs;
    t.writeTotalMultiplierMs = 5;
    t.writeTotalConstantMs = 200;
    device.setTimeouts(t);

    const std::optional<LineSettings> wanted =
        LineSettingsFromCodes(0, stopBits, kMarkParityCode, byteSize, RtsControl::Disable);
    SearchBaudRates(device, wanted, baud, progress, [&](bool accepted) {
        ports.port(com).echoesOwnBytes = ports.EchoTest(com);
        ports.LastOpenedPort = static_cast<std::uint8_t>(com);
        if (!accepted)
            return false;
        const NuvaIdentity identity = NuvaIdentify(ports, com, options);
        if (!identity.reply.deviceError.empty()) {
            result.deviceError = identity.reply.deviceError;
            return true;
        }
        if (!identity.ok)
            return false;
        result.answered = true;
        result.sensorType = identity.sensorType;
        result.version = identity.version;
        return true;
    });
    return result;
}
