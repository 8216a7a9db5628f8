#pragma once
// The serial devices of the machine, for a user who picks the device behind a COM number: on
// Linux the adapters and ports the kernel knows (/sys/class/tty), each under its stable
// /dev/serial/by-id name where it has one; on Windows the COM ports the system lists. Plain C++
// and the operating system, so zylctl lists the same as the port dialog.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct SerialPortInfo {
    enum class State : std::uint8_t { Free, InUse, NoPermission };

    std::string path; // what a COM number is mapped to: "/dev/serial/by-id/...", "/dev/ttyS0", "\\.\COM3"
    std::string systemName;  // "ttyUSB0", "COM3"
    std::string description; // the product's own name, where it has one
    std::string manufacturer;
    std::uint16_t vendorId = 0; // USB ids; 0 when the device is no USB device
    std::uint16_t productId = 0;
    std::string serialNumber;
    State state = State::Free;

    bool hasUsbIds() const { return vendorId != 0 || productId != 0; }
    // "0403:6001", or empty.
    std::string usbIds() const {
        if (!hasUsbIds())
            return {};
        char text[16];
        std::snprintf(text, sizeof text, "%04x:%04x", vendorId, productId);
        return text;
    }
};

class SerialPortScan {
public:
    // How a device that exists is doing: free, held by a program, or closed to this user.
    // Empty when there is no port behind the device after all.
    using Probe = std::function<std::optional<SerialPortInfo::State>(const std::string& path)>;

    // The machine's devices, sorted by system name (USB adapters first).
    static std::vector<SerialPortInfo> devices();
    // The same under other roots, with another probe: for tests.
    static std::vector<SerialPortInfo> devices(const std::string& sysClassTty, const std::string& devDir,
                                               const Probe& probe);
    // Tries to open the device without changing its line.
    static std::optional<SerialPortInfo::State> probe(const std::string& path);
};
