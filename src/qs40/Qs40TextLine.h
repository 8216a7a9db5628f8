#pragma once
// The framing of the QS40 text protocol over one SerialDevice: requests go out as STX, text,
// EOT one byte per write; replies come back one byte per read. Every reply read here is
// bounded in length and in time, so a sensor that talks without end, or trickles its answer
// byte by byte, cannot hold the program.
#include "Clock.h"
#include "LineExchange.h"
#include "SerialDevice.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::uint8_t kQs40Stx = 0x02;
inline constexpr std::uint8_t kQs40Eot = 0x04;
inline constexpr std::uint8_t kQs40Ack = 0x06;
inline constexpr std::uint8_t kQs40Nak = 0x15;
inline constexpr std::uint8_t kQs40Lf = 0x0A;

// How a text reply ended.
enum class Qs40ReplyEnd {
    Line,    // an LF came; the text is what came before it
    Silence, // a read brought nothing (the text may hold what came before)
    Refused, // the first byte was NAK
    TooLong, // the length bound was reached without an LF
};

struct Qs40TextReply {
    Qs40ReplyEnd end = Qs40ReplyEnd::Silence;
    std::string text;
};

class Qs40TextLine {
public:
    // The longest value reply a sensor sends is a sign and ten digits with CR LF; anything
    // much longer is not an answer to our request.
    static constexpr std::size_t kValueReplyMax = 32;

    Qs40TextLine(SerialDevice& device, Clock& clock) : m_device(device), m_clock(clock) {}

    SerialDevice& device() { return m_device; }
    // The line itself failed (a pulled adapter): further requests are pointless.
    bool broken() const { return !m_device.lastError().empty(); }

    void purgeBoth() { m_device.purge(true, true); }
    // Drops whatever is still arriving for an earlier request, then sends this one.
    void send(std::string_view text);
    // Single bytes written as they are, without framing (the loader's commands).
    void sendRaw(std::uint8_t byte);
    std::optional<std::uint8_t> readByte();

    // One-byte acknowledgement: ACK, or also "!" unless ackOnly.
    bool acknowledged(bool ackOnly = false);
    // A value reply: NAK as first byte refuses; otherwise bytes until LF, silence or the bound.
    // Once its first byte is there, the rest must follow within the time the line needs for
    // maxBytes and one read time-out; a reply still coming after that ends as Silence.
    Qs40TextReply readText(std::size_t maxBytes = kValueReplyMax);
    // Reads single bytes until `wanted` comes, at most maxReads reads.
    bool waitFor(std::uint8_t wanted, int maxReads);
    bool waitFor(std::uint8_t wanted, std::uint8_t alternative, int maxReads);

private:
    // A reply that did not end within its read may still be on the wire: the next request waits
    // until it has come and gone (or one more time-out passed), since a purge cannot reach it.
    void replyMayFollow();

    SerialDevice& m_device;
    Clock& m_clock;
    LineHistory m_history;
};

// Reads one integer the way the sensors' replies are meant ("%i": optional blanks and sign,
// then decimal, 0x hexadecimal or 0 octal) starting at pos, and moves pos past it. Nothing when
// no digit is there or the number does not fit 32 bits.
std::optional<std::int32_t> ParseQs40Int(std::string_view text, std::size_t& pos);
