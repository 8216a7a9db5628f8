#pragma once
// The one interface to a serial line. Read time-outs follow the Windows COMMTIMEOUTS model
// because the sensor protocols were tuned against it: a read ends when the interval between
// two bytes exceeds readIntervalMs, or when the total time
// readTotalConstantMs + readTotalMultiplierMs * requested bytes has passed, whichever comes
// first. A read returns what arrived, 0 on time-out. A read interval of 0 sets no limit
// between bytes; all read time-outs 0 return at once with what has already arrived.
#include "LinkReason.h"

#include <cstddef>
#include <cstdint>
#include <string>

enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class StopBits : std::uint8_t { One = 0, OneAndHalf = 1, Two = 2 };
enum class RtsControl : std::uint8_t { Enable = 0, Disable = 1, Toggle = 2 };

// Provider subtypes as the Windows driver reports them; only RS-232 and RS-422 lines are used.
enum class ProviderSubtype : std::uint32_t {
    Unspecified = 0,
    Rs232 = 1,
    ParallelPort = 2,
    Rs422 = 3,
    Rs423 = 4,
    Rs449 = 5,
    Modem = 6,
    Fax = 0x21,
    Scanner = 0x22,
    NetworkBridge = 0x100,
    Lat = 0x101,
    TcpIpTelnet = 0x102,
    X25 = 0x103,
};

// Line errors since the last takeLineErrors(), as a bit mask: the NUVA link counts parity
// errors alone, so they must stay apart from framing errors and overruns.
namespace LineError {
inline constexpr std::uint8_t Parity = 0x01;
inline constexpr std::uint8_t Framing = 0x02;
inline constexpr std::uint8_t Overrun = 0x04;
inline constexpr std::uint8_t Break = 0x08;
} // namespace LineError

struct LineSettings {
    std::uint32_t baud = 38400;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    RtsControl rts = RtsControl::Enable;
    bool operator==(const LineSettings&) const = default;
};

struct Timeouts {
    std::uint32_t readIntervalMs = 0;
    std::uint32_t readTotalMultiplierMs = 0;
    std::uint32_t readTotalConstantMs = 0;
    std::uint32_t writeTotalMultiplierMs = 0;
    std::uint32_t writeTotalConstantMs = 0;
    bool operator==(const Timeouts&) const = default;
};

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Blocks under the time-outs; returns the number of bytes stored in buf (0 on time-out or error).
    virtual std::size_t read(std::uint8_t* buf, std::size_t max) = 0;
    // Returns the number of bytes written.
    virtual std::size_t write(const std::uint8_t* data, std::size_t count) = 0;
    virtual void purge(bool rx, bool tx) = 0;

    // False when the driver refuses the setting; the previous setting then stays in force.
    virtual bool applySettings(const LineSettings& settings) = 0;
    virtual LineSettings settings() const = 0;
    // Changes the parity alone, leaving rate, modem lines and RTS mode as they are; a link that
    // switches between mark and space parity inside one request uses this.
    virtual bool setParity(Parity parity) {
        LineSettings changed = settings();
        changed.parity = parity;
        return applySettings(changed);
    }
    virtual bool setTimeouts(const Timeouts& timeouts) = 0;
    virtual Timeouts timeouts() const = 0;

    virtual void setRts(bool on) = 0;
    virtual void setDtr(bool on) = 0;
    // Returns once every byte written has left the line, not merely the driver: a link that
    // changes the parity after an address byte relies on it.
    virtual void waitTransmitEmpty() = 0;
    // The LineError bits seen since the last call (0: none).
    virtual std::uint8_t takeLineErrors() = 0;
    virtual ProviderSubtype providerSubtype() const = 0;
    // The operating system already runs this line in RS-485 mode (its driver switches the
    // transmitter) and the device leaves that setting as it is.
    virtual bool systemRs485Mode() const { return false; }

    // Empty while the device works; after a failed read or write (for example a USB adapter
    // that was pulled) it says what happened.
    virtual std::string lastError() const = 0;
    // lastError() as a code with its details, for front ends in another language.
    virtual LinkReason lastErrorReason() const {
        LinkReason reason;
        if (const std::string text = lastError(); !text.empty()) {
            reason.code = LinkReasonCode::Other;
            reason.detail = text;
        }
        return reason;
    }
};
