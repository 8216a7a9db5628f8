#pragma once
// A serial line on Linux or macOS: termios for the line setting, poll for the read
// time-outs (which follow the Windows model the sensor protocols were tuned against).
#include "ParityMarkDecoder.h"
#include "SerialDevice.h"

#include <termios.h>

#include <memory>
#include <string>
#include <vector>

class PosixSerialDevice : public SerialDevice {
public:
    // Opens the device for this program alone and sets it to 38400 baud, 8 data bits, no
    // parity, one stop bit, RTS raised. On failure returns nothing and leaves the errno of
    // the failing step in errorNumber: ENOTTY when the path is no terminal, EBUSY when
    // another program (or another part of this one) holds the line.
    static std::unique_ptr<PosixSerialDevice> open(const std::string& path, int& errorNumber);
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    std::size_t read(std::uint8_t* buf, std::size_t max) override;
    std::size_t write(const std::uint8_t* data, std::size_t count) override;
    void purge(bool rx, bool tx) override;
    bool applySettings(const LineSettings& settings) override;
    LineSettings settings() const override { return m_settings; }
    bool setTimeouts(const Timeouts& timeouts) override;
    Timeouts timeouts() const override { return m_timeouts; }
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void waitTransmitEmpty() override;
    // A PARMRK mark does not say whether parity or framing failed; it is reported as parity.
    std::uint8_t takeLineErrors() override { return m_decoder.takeError() ? LineError::Parity : 0; }
    ProviderSubtype providerSubtype() const override { return ProviderSubtype::Rs232; }
    std::string lastError() const override { return m_lastError; }

    const std::string& path() const { return m_path; }
    // In RTS toggle mode: true when the driver switches RTS around each transmission
    // (RS-485 mode), false when this class does it by hand.
    bool driverTogglesRts() const { return m_driverToggle; }

private:
    PosixSerialDevice(int fd, std::string path, const termios& original, bool pseudoTerminal);

    // Moves what the driver holds into m_pending; false when the device has gone.
    bool fetchAvailable(std::size_t wanted);
    std::size_t writeAll(const std::uint8_t* data, std::size_t count);
    void setModemLine(int line, bool on);
    bool setDriverToggle(bool on);
    void fail(const std::string& what, int errorNumber);

    int m_fd;
    std::string m_path;
    termios m_original;
    bool m_pseudoTerminal; // ptys take any line setting but always carry 8 bits, no parity
    LineSettings m_settings;
    Timeouts m_timeouts;
    ParityMarkDecoder m_decoder;
    std::vector<std::uint8_t> m_pending; // decoded, not yet handed out
    bool m_driverToggle = false;
    bool m_manualToggle = false;
    std::string m_lastError;
};
