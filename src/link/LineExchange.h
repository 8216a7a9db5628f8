#pragma once
// The rules every request/reply exchange on a serial line keeps, whatever its protocol:
//
//  - one deadline for the whole exchange, computed from the port's read time-outs and the
//    bytes the exchange expects; no read runs past it, so a reply trickling in byte by byte
//    cannot stretch an exchange to several time-outs;
//  - a reply that belongs to an earlier request is never taken for a later one: when an
//    exchange ends without its partner's complete reply, that reply may still be on its way,
//    and the next request to the same partner goes out only once the line has been quiet for
//    one more time-out (or the late reply has come and gone);
//  - the device's own error (a pulled adapter) is reported with its reason, so the caller can
//    end its activity instead of running into one silent failure after another.
//
// The protocol units read through a LineExchange instead of the device; the reply's layout and
// its check stay theirs.
#include "Clock.h"
#include "SerialDevice.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What earlier exchanges left on a line: partners whose reply may still arrive, each until a
// time. Kept with the open port and forgotten when it closes.
struct LineHistory {
    struct Unsettled {
        int partner;
        std::uint64_t untilMs;
    };
    std::vector<Unsettled> unsettled;
};

class LineExchange {
public:
    // Any partner: for protocols whose replies do not say whom they come from.
    static constexpr int kAnyPartner = -1;

    // `partner` names whoever answers (a bus address); a late reply says whom it is from, so
    // only requests to the same partner have to wait for it.
    LineExchange(SerialDevice& device, Clock& clock, LineHistory& history, int partner = kAnyPartner);
    // Restores the port's time-outs and records an unfinished reply in the history.
    ~LineExchange();
    LineExchange(const LineExchange&) = delete;
    LineExchange& operator=(const LineExchange&) = delete;

    // Before the request goes out: waits out a reply of this partner that may still be on its
    // way, then clears the receive buffer.
    void settle();
    // After the request went out: the deadline covers `bytes` more bytes under the port's read
    // time-outs, plus `pauseMs` the protocol itself waits on the clock.
    void startDeadline(std::size_t bytes, std::uint32_t pauseMs = 0);
    // Like SerialDevice::read, but never beyond the deadline.
    std::size_t read(std::uint8_t* buf, std::size_t max);
    bool readByte(std::uint8_t& byte) { return read(&byte, 1) == 1; }
    // Reads and drops `count` bytes (the echo of a two-wire converter).
    void discard(std::size_t count);
    bool expired() const;

    // The partner's reply has been read to its end (whether it was taken or not): nothing of it
    // is still on its way.
    void replyEnded() { m_replyEnded = true; }
    // What the device says went wrong; empty while it works.
    std::string deviceError() const { return m_device.lastError(); }

    // How long the port's time-outs let `bytes` take to arrive.
    static std::uint64_t budgetMs(const Timeouts& timeouts, std::size_t bytes);

private:
    std::size_t readUntil(std::uint8_t* buf, std::size_t max, std::uint64_t deadline);
    void useTimeouts(const Timeouts& timeouts);

    SerialDevice& m_device;
    Clock& m_clock;
    LineHistory& m_history;
    int m_partner;
    Timeouts m_original;
    Timeouts m_current;
    std::uint64_t m_deadline = 0;
    bool m_started = false;
    bool m_replyEnded = false;
};
