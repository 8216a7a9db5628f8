#include "Qs40TextLine.h"

#include <algorithm>
#include <cctype>
#include <limits>

void Qs40TextLine::send(std::string_view text) {
    // A reply that came too late for the previous request must not be read as this one's.
    LineExchange(m_device, m_clock, m_history).settle();
    sendRaw(kQs40Stx);
    for (char c : text)
        sendRaw(static_cast<std::uint8_t>(c));
    sendRaw(kQs40Eot);
}

void Qs40TextLine::sendRaw(std::uint8_t byte) {
    m_device.write(&byte, 1);
}

std::optional<std::uint8_t> Qs40TextLine::readByte() {
    std::uint8_t byte = 0;
    if (m_device.read(&byte, 1) != 1)
        return std::nullopt;
    return byte;
}

void Qs40TextLine::replyMayFollow() {
    m_history.unsettled.push_back(
        {LineExchange::kAnyPartner, m_clock.nowMs() + LineExchange::budgetMs(m_device.timeouts(), 1)});
}

bool Qs40TextLine::acknowledged(bool ackOnly) {
    const auto byte = readByte();
    if (!byte)
        replyMayFollow();
    return byte && (*byte == kQs40Ack || (!ackOnly && *byte == '!'));
}

Qs40TextReply Qs40TextLine::readText(std::size_t maxBytes) {
    Qs40TextReply reply;
    const auto first = readByte();
    if (!first) {
        replyMayFollow();
        return reply;
    }
    if (*first == kQs40Nak) {
        reply.end = Qs40ReplyEnd::Refused;
        return reply;
    }
    const Timeouts t = m_device.timeouts();
    const std::uint32_t baud = std::max<std::uint32_t>(m_device.settings().baud, 1);
    const std::uint64_t deadline = m_clock.nowMs() + t.readTotalConstantMs + t.readTotalMultiplierMs +
                                   t.readIntervalMs + (maxBytes + 1) * 10 * 1000 / baud + 1;
    std::optional<std::uint8_t> byte = first;
    while (byte) {
        if (*byte == kQs40Lf) {
            reply.end = Qs40ReplyEnd::Line;
            return reply;
        }
        if (reply.text.size() == maxBytes) {
            reply.end = Qs40ReplyEnd::TooLong;
            replyMayFollow();
            return reply;
        }
        reply.text.push_back(static_cast<char>(*byte));
        if (m_clock.nowMs() > deadline) {
            replyMayFollow();
            return reply; // Silence: what is still coming is not our reply
        }
        byte = readByte();
    }
    replyMayFollow();
    return reply; // Silence
}

bool Qs40TextLine::waitFor(std::uint8_t wanted, int maxReads) {
    return waitFor(wanted, wanted, maxReads);
}

bool Qs40TextLine::waitFor(std::uint8_t wanted, std::uint8_t alternative, int maxReads) {
    for (int i = 0; i < maxReads; ++i) {
        const auto byte = readByte();
        if (byte && (*byte == wanted || *byte == alternative))
            return true;
        if (!byte && broken())
            return false;
    }
    return false;
}

std::optional<std::int32_t> ParseQs40Int(std::string_view text, std::size_t& pos) {
    std::size_t i = pos;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
        base = 16;
        i += 2;
    } else if (i < text.size() && text[i] == '0') {
        base = 8;
    }
    // Accumulated as a magnitude; the most negative value is one more than the most positive.
    const std::uint64_t limit = std::uint64_t(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
        ++digits;
        if (value > limit)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    pos = i;
    return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                    : static_cast<std::int32_t>(value);
}
