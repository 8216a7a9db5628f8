#pragma once
// A serial line on Linux or macOS: termios for the line setting, poll for the read
// time-outs (which follow the Windows model the sensor protocols were tuned against). Every
// system call goes through a PosixSystem.
#include "ParityMarkDecoder.h"
#include "PosixSystem.h"
#include "SerialDevice.h"
#include "SerialDriverExtras.h"
#include "UucpLock.h"

#include <termios.h>

#include <memory>
#include <string>
#include <vector>

class PosixSerialDevice : public SerialDevice {
public:
    // Opens the device for this program alone and sets it to 38400 baud, 8 data bits, no
    // parity, one stop bit, RTS raised, DTR low. On failure returns nothing and leaves the
    // errno of the failing step in errorNumber: ENOTTY when the path is no terminal, EBUSY
    // when another program (or another part of this one) holds the line.
    static std::unique_ptr<PosixSerialDevice> open(const std::string& path, int& errorNumber);
    static std::unique_ptr<PosixSerialDevice> open(const std::string& path, int& errorNumber,
                                                   PosixSystem& system);
    // Lets what was written reach the line (bounded by the write time-out), then puts back
    // the line setting, RS-485 setting and latency flag found at open.
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    std::size_t read(std::uint8_t* buf, std::size_t max) override;
    std::size_t write(const std::uint8_t* data, std::size_t count) override;
    // Purging the receive side also waits until the line has been quiet for a moment and
    // drops what came meanwhile: a USB adapter still holds bytes the driver never saw.
    void purge(bool rx, bool tx) override;
    bool applySettings(const LineSettings& settings) override;
    LineSettings settings() const override { return m_settings; }
    bool setParity(Parity parity) override;
    bool setTimeouts(const Timeouts& timeouts) override;
    Timeouts timeouts() const override { return m_timeouts; }
    // In RTS toggle mode, and on a line the system runs as RS-485, RTS is not ours to set.
    void setRts(bool on) override;
    void setDtr(bool on) override;
    // Returns when the bytes written have left the line: the driver's drain, then the time
    // they need on the wire from the moment they were written, plus one character.
    void waitTransmitEmpty() override;
    // The driver marks a damaged byte without saying how it was damaged; its error counters
    // (where it keeps them) tell parity, framing and break apart, and report overruns. Without
    // counters a damaged byte counts as a parity error.
    std::uint8_t takeLineErrors() override;
    ProviderSubtype providerSubtype() const override { return ProviderSubtype::Rs232; }
    std::string lastError() const override { return m_lastError; }
    LinkReason lastErrorReason() const override { return m_lastError.empty() ? LinkReason{} : m_lastReason; }

    const std::string& path() const { return m_path; }
    // In RTS toggle mode: true when the driver switches RTS around each transmission
    // (RS-485 mode), false when this class does it by hand.
    bool driverTogglesRts() const { return m_driverToggle; }
    // The system ran the line in RS-485 mode before it was opened. The driver then owns RTS
    // in every RTS mode, and its RS-485 setting is left as the system configured it.
    bool systemRs485Mode() const override { return m_extras.systemRs485(); }

private:
    PosixSerialDevice(PosixSystem& system, int fd, std::string path, const termios& original,
                      bool pseudoTerminal);

    bool usable() const { return m_fd >= 0; }
    // Moves what the driver holds into m_pending; false when the device has gone.
    bool fetchAvailable(std::size_t wanted);
    std::size_t writeAll(const std::uint8_t* data, std::size_t count);
    // Applies `wanted` and checks that the driver took it; on refusal `old` is put back.
    bool setTermios(const termios& wanted, const termios& old, std::uint32_t baud, bool customRate);
    bool setRate(termios& tio, std::uint32_t baud, bool& customRate);
    void driveRtsMode(RtsControl mode);
    void setModemLine(int line, bool on);
    void waitUntilUs(std::int64_t deadlineUs);
    void settleInput();
    void drainBeforeClose();
    void fail(const std::string& what, int errorNumber);

    PosixSystem& m_system;
    int m_fd;
    std::string m_path;
    termios m_original;
    bool m_pseudoTerminal; // ptys take any line setting but always carry 8 bits, no parity
    SerialDriverExtras m_extras;
    UucpLock m_lock;
    LineSettings m_settings;
    Timeouts m_timeouts;
    ParityMarkDecoder m_decoder;
    LineErrorCounters m_countersSeen;    // driver counters already reported or purged
    std::vector<std::uint8_t> m_pending; // decoded, not yet handed out
    std::int64_t m_wireFreeAtUs = 0;     // when the last byte written will have left the line
    bool m_linesDriven = false;          // the modem lines got their first setting
    bool m_driverToggle = false;
    bool m_manualToggle = false;
    std::string m_lastError;
    LinkReason m_lastReason;
};
