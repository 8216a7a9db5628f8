#include "Q20_speziell.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint8_t kStatusAccepted = 'Y';
constexpr std::uint8_t kStatusRefused = 'N';
constexpr std::uint32_t kDumpWaitMs = 1000;
constexpr std::uint32_t kPixelWaitMs = 100;
constexpr std::size_t kStreamCapacity = 40000;
constexpr std::size_t kStreamMinimum = 200;
// The length byte has seven bits.
constexpr std::size_t kMaxCountedLength = 127;

void appendHex(std::string& text, std::uint8_t byte) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", byte);
    if (!text.empty())
        text += ' ';
    text += buf;
}

bool readByte(SerialDevice& device, std::uint8_t& byte) {
    return device.read(&byte, 1) == 1;
}

// A two-wire converter hands every byte we send back to us; they are not part of the reply.
void discardEcho(SerialDevice& device, std::size_t count) {
    std::uint8_t sink[64];
    while (count > 0) {
        const std::size_t n = device.read(sink, std::min(count, sizeof sink));
        if (n == 0)
            return;
        count -= n;
    }
}

// Reads and checks the reply frame after the request went out.
void readReply(LineExchange& exchange, Clock& clock, char command, std::uint8_t requestAddress,
               std::optional<std::size_t> expected, Qd20Result& result) {
    std::uint8_t address = 0;
    if (!exchange.readByte(address))
        return;
    if (address & 0x80) {
        result.status = Qd20Status::Bytes;
        appendHex(result.statusHex, address);
    }
    if (address != requestAddress)
        return;

    std::uint8_t length = 0;
    if (!exchange.readByte(length))
        return;
    if (length & 0x80) {
        // Another frame is starting: this exchange is over and says nothing about it.
        result.status = Qd20Status::Untouched;
        result.statusHex.clear();
        return;
    }
    appendHex(result.statusHex, length);
    // A length below 3 cannot be a frame; it must not turn into a huge read.
    std::size_t remaining = length > 3 ? std::size_t(length) - 3 : 0;
    if (command == '6') {
        remaining += kQd20PixelExtraBytes;
        clock.sleepMs(kPixelWaitMs);
    }

    std::uint8_t status = 0;
    if (!exchange.readByte(status))
        return;
    appendHex(result.statusHex, status);
    if ((status & 0x7F) != kStatusAccepted && (status & 0x7F) != kStatusRefused)
        return;

    std::vector<std::uint8_t> bytes(remaining);
    const std::size_t got = remaining > 0 ? exchange.read(bytes.data(), remaining) : 0;
    bytes.resize(got);
    if (got == remaining)
        exchange.replyEnded();
    std::uint8_t check = static_cast<std::uint8_t>((address & 0x7F) ^ length ^ (status & 0x7F));
    bool clean = true; // no data byte with bit 7 set: that byte would start a frame
    for (std::size_t i = 0; i < got; ++i) {
        if (!(bytes[i] & 0x80))
            appendHex(result.statusHex, bytes[i]);
        else
            clean = false;
        if (i + 1 < got)
            check ^= static_cast<std::uint8_t>(bytes[i] & 0x7F);
    }
    // A reply cut short is not accepted even when its last byte happens to match the check, and
    // a reply of another length than its command's belongs to some other request.
    const bool whole = got > 0 && got == remaining;
    const bool rightLength = !expected || got == *expected + 1;
    result.dataOk = whole && rightLength && clean && bytes.back() == check && status == kStatusAccepted;
    if (result.dataOk) {
        bytes.pop_back(); // the check byte is no data
        result.data = std::move(bytes);
    }
}

} // namespace

std::uint8_t Qd20CheckValue(std::span<const std::uint8_t> bytes) {
    std::uint8_t check = 0;
    for (std::uint8_t b : bytes)
        check ^= static_cast<std::uint8_t>(b & 0x7F);
    return check;
}

std::vector<std::uint8_t> BuildFrame(const Qd20Request& request) {
    std::vector<std::uint8_t> frame;
    frame.reserve(9);
    frame.push_back(static_cast<std::uint8_t>(0x80 | (request.address & 0x7F)));
    frame.push_back(0); // length, known once the data are counted
    frame.push_back(static_cast<std::uint8_t>(request.command & 0x7F));
    // A byte with bit 7 set could never travel as data (it would start a frame), so the first
    // such byte ends the data just like the unused marker does.
    for (std::uint8_t b : request.data) {
        if (b & 0x80)
            break;
        frame.push_back(b);
    }
    frame[1] = static_cast<std::uint8_t>(frame.size() + 1);
    frame.push_back(Qd20CheckValue(frame));
    return frame;
}

std::vector<std::uint8_t> BuildReplyFrame(std::uint8_t address, char status,
                                          std::span<const std::uint8_t> data, std::size_t uncountedBytes) {
    std::vector<std::uint8_t> frame;
    frame.reserve(data.size() + 4);
    frame.push_back(static_cast<std::uint8_t>(0x80 | (address & 0x7F)));
    const std::size_t counted = data.size() >= uncountedBytes ? data.size() - uncountedBytes : 0;
    frame.push_back(static_cast<std::uint8_t>((counted + 4) & 0x7F));
    frame.push_back(static_cast<std::uint8_t>(status & 0x7F));
    for (std::uint8_t b : data)
        frame.push_back(static_cast<std::uint8_t>(b & 0x7F));
    frame.push_back(Qd20CheckValue(frame));
    return frame;
}

std::optional<std::size_t> Qd20ReplyDataLength(char command) {
    switch (command) {
    case 'A':
    case 'I':
        return 2;
    case '?':
        return 18;
    case '6':
        return kQd20PixelReplyDataBytes;
    case '3':
        return 8;
    case '1':
    case '2':
    case 'T':
    case 'E':
    case 'M':
    case 'X':
    case 'D':
    case 'F':
    case 'C':
    case 'Z':
    case 'G':
    case 'V':
    case 'Q':
    case 'R':
    case 'B':
    case 'H':
    case 'N':
    case 'L':
    case 'W':
    case 'S':
        return 0;
    default:
        return std::nullopt;
    }
}

Qd20Result Qd20Transact(SerialDevice& device, bool echoesOwnBytes, Clock& clock, LineHistory& history,
                        const Qd20Request& request) {
    Qd20Result result;
    const std::vector<std::uint8_t> frame = BuildFrame(request);
    LineExchange exchange(device, clock, history, frame[0]);
    exchange.settle();

    const std::size_t written = device.write(frame.data(), frame.size());

    if (request.command == 'K') {
        // The dump has no frame to end it: it is read as it always was.
        exchange.discard(echoesOwnBytes ? written : 0);
        clock.sleepMs(kDumpWaitMs);
        result.data.resize(kQd20DumpCapacity);
        result.data.resize(device.read(result.data.data(), result.data.size()));
        result.status = Qd20Status::Untouched;
        result.deviceError = exchange.deviceError();
        return result;
    }

    const std::optional<std::size_t> expected = Qd20ReplyDataLength(request.command);
    // Frame bytes: address, length, status, data, check; for an unknown length the largest frame.
    const std::size_t replyBytes =
        4 + expected.value_or(kMaxCountedLength - 4 + (request.command == '6' ? kQd20PixelExtraBytes : 0));
    exchange.startDeadline((echoesOwnBytes ? written : 0) + replyBytes,
                           request.command == '6' ? kPixelWaitMs : 0);
    if (echoesOwnBytes)
        exchange.discard(written);
    readReply(exchange, clock, request.command, frame[0], expected, result);
    result.deviceError = exchange.deviceError();
    return result;
}

Qd20StreamResult ReadStream(SerialDevice& device, std::span<std::uint16_t> samples) {
    Qd20StreamResult result;
    if (samples.empty())
        return result;
    const std::size_t capacity = std::min(samples.size() * 2, kStreamCapacity);
    device.purge(true, false);

    // Bytes may alias any object, so the stream lands in the sample memory itself and each
    // pair is converted in place into the value that occupies the same two bytes.
    auto* raw = reinterpret_cast<std::uint8_t*>(samples.data());
    std::uint8_t first = 0;
    if (readByte(device, first) && (first & 0x40))
        readByte(device, first); // realign: the byte after a pair's first byte ends that pair

    std::size_t count = 0;
    while (count < capacity) {
        const std::size_t want = std::min<std::size_t>(2, capacity - count);
        const std::size_t n = device.read(raw + count, want);
        count += n;
        if (n < want || want < 2)
            break;
    }
    result.byteCount = count;
    result.valueCount = count / 2;
    for (std::size_t k = 0; k < result.valueCount; ++k) {
        const std::uint8_t high = raw[2 * k];
        const std::uint8_t low = raw[2 * k + 1];
        samples[k] = static_cast<std::uint16_t>((high & 0x3F) * 64 + (low & 0x3F));
    }
    result.ok = count >= kStreamMinimum;
    return result;
}

namespace {

constexpr const char* kHalvernRequest15 = "/020D0059.";
constexpr const char* kHalvernRequest14 = "/020D0e0C.";

// The Halvern sensors take their requests one character at a time.
std::string halvernExchange(SerialDevice& device, bool echoesOwnBytes, std::string_view request,
                            std::size_t maxReads) {
    for (char c : request) {
        const auto byte = static_cast<std::uint8_t>(c);
        device.write(&byte, 1);
        if (echoesOwnBytes)
            discardEcho(device, 1);
    }
    std::string reply;
    for (std::size_t i = 0; i < maxReads; ++i) {
        std::uint8_t b = 0;
        if (!readByte(device, b))
            break;
        reply.push_back(static_cast<char>(b));
    }
    return reply;
}

std::optional<std::uint32_t> digitsAt(const std::string& text, std::size_t from, std::size_t count) {
    if (text.size() < from + count)
        return std::nullopt;
    std::uint32_t value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    }
    return value;
}

} // namespace

int ProbeHalvern(SerialDevice& device, bool echoesOwnBytes) {
    device.purge(true, false);
    std::string reply = halvernExchange(device, echoesOwnBytes, kHalvernRequest15, 20);
    if (reply.size() > 7 && reply[7] == '+')
        return 15;
    reply = halvernExchange(device, echoesOwnBytes, kHalvernRequest14, 20);
    return reply.size() >= 5 ? 14 : 0;
}

std::optional<std::uint32_t> ReadHalvernDistance(SerialDevice& device, bool echoesOwnBytes, int sensorType) {
    device.purge(true, false);
    const bool type15 = sensorType == 15;
    const std::string reply =
        halvernExchange(device, echoesOwnBytes, type15 ? kHalvernRequest15 : kHalvernRequest14, 22);
    if (type15) {
        if (reply.size() > 8 && reply[8] == 'h')
            return 0u;
        return digitsAt(reply, 8, 6);
    }
    if (reply.size() > 5 && reply[5] == 'h')
        return 60000u;
    if (reply.size() > 5 && reply[5] == 'l')
        return 0u;
    return digitsAt(reply, 5, 5);
}
