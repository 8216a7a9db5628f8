#pragma once
// An in-process serial line to one or more simulated devices. It behaves like the real
// thing where the protocols care: a two-wire RS-485 converter echoes every byte sent,
// devices hear only bytes sent at their own baud rate and see the line's parity and data
// bits, and replies can be dropped, corrupted, delayed or preceded by noise on request.
#include "Clock.h"
#include "SerialDevice.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class SimulatedLine;

// A simulated device attached to the line.
class SimPeer {
public:
    virtual ~SimPeer() = default;
    // The rate the device talks at; bytes sent at another rate never reach it.
    virtual std::uint32_t baud() const = 0;
    // One byte from the program (already cut to the line's data bits), with the line
    // settings in force when it was sent (their parity says what the ninth bit was).
    // Replies go out through line.deliver().
    virtual void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) = 0;
    // The program waits for data and none is pending: a device that sends unasked may
    // produce bytes now.
    virtual void idle(const LineSettings& /*line*/, SimulatedLine& /*out*/) {}
};

class SimulatedLine : public SerialDevice {
public:
    // With a clock, waiting out a read time-out advances it (a FakeClock makes time pass).
    // Without one the line keeps its own time, so delayed bytes still arrive in order.
    explicit SimulatedLine(Clock* clock = nullptr);

    void attach(SimPeer* peer);
    void detach(SimPeer* peer);
    void setEcho(bool on) { m_echo = on; }
    bool echo() const { return m_echo; }

    // Called by devices: bytes travelling to the program.
    void deliver(const std::uint8_t* data, std::size_t count);
    void deliver(const std::vector<std::uint8_t>& data) { deliver(data.data(), data.size()); }
    // How a device's bytes travel when the plain deliver() is not enough: the ninth bit each
    // was sent with, and how long after now they arrive. A byte whose ninth bit does not fit
    // the parity the program has set when it reads the byte raises a parity error (on a line
    // without parity a ninth bit of 0 stands where the stop bit belongs: a framing error). A
    // device that talks 8 bits without parity sends its stop bit there, a 1. Plainly
    // delivered bytes always fit the line's framing.
    struct Framing {
        std::optional<bool> ninthBit;
        std::uint32_t delayMs = 0;
    };
    void deliver(const std::vector<std::uint8_t>& data, const Framing& framing);
    // The bit that follows the data bits of a byte sent with this setting: the parity bit, or
    // the stop bit (1) without parity. A nine-bit bus takes a 1 there for an address byte.
    static bool ninthBit(std::uint8_t byte, const LineSettings& line);

    // Fault injection, all on bytes travelling to the program.
    void dropIncoming(std::size_t count) { m_drop += count; }
    // XOR mask applied to the byte that will be the n-th next delivered (0 = next).
    void corruptIncoming(std::size_t index, std::uint8_t xorMask);
    // Bytes delivered from now on arrive only after this many milliseconds.
    void delayIncoming(std::uint32_t ms) { m_delayMs = ms; }
    // Bytes nobody asked for, as from another talker on the bus.
    void injectNoise(const std::vector<std::uint8_t>& bytes);
    // What happens to one byte on its way to the program; asked for every delivered byte
    // (counted from 0 since the line was made) while set.
    struct ByteFate {
        bool drop = false;
        std::uint8_t xorMask = 0;
        bool duplicate = false;
        std::uint32_t delayMs = 0; // on top of delayIncoming()
    };
    // A real port can only throw away what has arrived: a delayed reply still on its way comes
    // in after the purge. Off by default, where a purge empties everything, delayed bytes too.
    void setPurgeKeepsBytesOnTheirWay(bool on) { m_purgeKeepsBytesOnTheirWay = on; }
    void setIncomingFate(std::function<ByteFate(std::size_t index, std::uint8_t byte)> fate) {
        m_fate = std::move(fate);
    }
    void setProviderSubtype(ProviderSubtype subtype) { m_subtype = subtype; }
    // Like a port the operating system already runs in RS-485 mode.
    void setSystemRs485Mode(bool on) { m_systemRs485 = on; }
    // A predicate that refuses line settings, like a driver that rejects a baud rate.
    void setSettingsFilter(std::function<bool(const LineSettings&)> accept) { m_accept = std::move(accept); }
    // Every read and write fails from now on, like a pulled USB adapter: lastError() is `why`,
    // and lastErrorReason() says the device has gone, with `why` as the system's words.
    void failFromNow(const std::string& why) { m_failure = why; }
    // The same, once `writes` more writes have gone through: the next one sends nothing and
    // fails, like an adapter pulled in the middle of an activity.
    void failAfterWrites(std::size_t writes, std::string why) { m_failAfter = {writes, std::move(why)}; }
    // The device a failure names ("simulated line" unless set).
    void setDeviceName(std::string name) { m_deviceName = std::move(name); }
    void setLineError() { m_lineError = true; }

    // Every byte the program wrote, in order.
    const std::vector<std::uint8_t>& written() const { return m_written; }
    void clearWritten() { m_written.clear(); }
    std::size_t pending() const { return m_rx.size(); }
    bool rts() const { return m_rts; }
    bool dtr() const { return m_dtr; }

    std::size_t read(std::uint8_t* buf, std::size_t max) override;
    std::size_t write(const std::uint8_t* data, std::size_t count) override;
    void purge(bool rx, bool tx) override;
    bool applySettings(const LineSettings& settings) override;
    LineSettings settings() const override { return m_settings; }
    bool setTimeouts(const Timeouts& timeouts) override;
    Timeouts timeouts() const override { return m_timeouts; }
    void setRts(bool on) override { m_rts = on; }
    void setDtr(bool on) override { m_dtr = on; }
    void waitTransmitEmpty() override {}
    std::uint8_t takeLineErrors() override;
    ProviderSubtype providerSubtype() const override { return m_subtype; }
    bool systemRs485Mode() const override { return m_systemRs485; }
    std::string lastError() const override { return m_failure; }
    LinkReason lastErrorReason() const override;

private:
    struct Pending {
        std::uint8_t byte;
        std::uint64_t availableAt;
        std::optional<bool> ninthBit; // empty: fits whatever framing the line has
    };
    std::uint64_t now() const { return m_clock ? m_clock->nowMs() : m_ownTimeMs; }
    void waitMs(std::uint64_t ms);
    // Queues a byte for the program, keeping the queue in order of arrival.
    void enqueue(std::uint8_t byte, std::uint64_t availableAt, std::optional<bool> ninthBit = {});
    void deliverFramed(const std::uint8_t* data, std::size_t count, const Framing& framing);
    // The line errors the program's receiver sees for a byte with that ninth bit.
    std::uint8_t framingErrors(const Pending& pending) const;
    std::uint8_t dataMask() const;
    // Attached (not detached while bytes were handed round) and talking at the line's rate.
    bool hears(const SimPeer* peer) const;

    Clock* m_clock;
    std::uint64_t m_ownTimeMs = 0;
    std::vector<SimPeer*> m_peers;
    std::deque<Pending> m_rx;
    std::vector<std::uint8_t> m_written;
    std::vector<std::pair<std::size_t, std::uint8_t>> m_corrupt; // (delivery index, mask)
    std::size_t m_delivered = 0;
    std::size_t m_drop = 0;
    std::uint32_t m_delayMs = 0;
    LineSettings m_settings;
    Timeouts m_timeouts;
    ProviderSubtype m_subtype = ProviderSubtype::Rs232;
    bool m_systemRs485 = false;
    std::function<bool(const LineSettings&)> m_accept;
    std::function<ByteFate(std::size_t, std::uint8_t)> m_fate;
    std::string m_failure;
    std::optional<std::pair<std::size_t, std::string>> m_failAfter; // writes still allowed, why
    std::string m_deviceName = "simulated line";
    bool m_echo = false;
    bool m_purgeKeepsBytesOnTheirWay = false;
    bool m_rts = false;
    bool m_dtr = false;
    bool m_lineError = false;
    std::uint8_t m_lineErrors = 0;
};
