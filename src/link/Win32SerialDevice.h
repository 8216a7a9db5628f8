#pragma once
// A COM port of Windows, through the Win32 communication functions. The read time-outs of
// SerialDevice are the driver's own COMMTIMEOUTS.
#include "SerialDevice.h"

#include <memory>
#include <string>

class Win32SerialDevice : public SerialDevice {
public:
    // Opens `path` ("\\.\COM3") for this program alone and keeps the driver's line setting
    // until applySettings(). On failure returns nothing and leaves the Windows error code in
    // errorCode; a device that is no communication port gives ERROR_INVALID_FUNCTION.
    static std::unique_ptr<Win32SerialDevice> open(const std::string& path, unsigned long& errorCode);
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    std::size_t read(std::uint8_t* buf, std::size_t max) override;
    std::size_t write(const std::uint8_t* data, std::size_t count) override;
    void purge(bool rx, bool tx) override;
    bool applySettings(const LineSettings& settings) override;
    LineSettings settings() const override { return m_settings; }
    bool setParity(Parity parity) override;
    bool setTimeouts(const Timeouts& timeouts) override;
    Timeouts timeouts() const override { return m_timeouts; }
    void setRts(bool on) override;
    void setDtr(bool on) override;
    void waitTransmitEmpty() override;
    std::uint8_t takeLineErrors() override;
    ProviderSubtype providerSubtype() const override { return m_subtype; }
    std::string lastError() const override { return m_lastError; }
    LinkReason lastErrorReason() const override { return m_lastError.empty() ? LinkReason{} : m_lastReason; }

    // The text Windows gives for an error code, without the trailing line break.
    static std::string errorText(unsigned long code);

private:
    Win32SerialDevice(void* handle, std::string path, ProviderSubtype subtype);
    void fail(const char* what, unsigned long code);

    void* m_handle; // HANDLE, kept out of this header so that <windows.h> stays in one file;
                    // null once the port has gone
    std::string m_path;
    ProviderSubtype m_subtype;
    LineSettings m_settings;
    Timeouts m_timeouts;
    std::string m_lastError;
    std::int64_t m_wireFreeAtUs = 0; // when the last byte written will have left the line
    LinkReason m_lastReason;
};
