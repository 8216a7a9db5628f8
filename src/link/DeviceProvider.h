#pragma once
// Opens "COM n" and says whether it exists, and why not. The real provider resolves COM
// numbers through PortMap; the demo and the tests install their own.
#include "SerialDevice.h"

#include <memory>
#include <string>

enum class OpenError {
    None,
    NotMapped,    // the number is outside 1..20 or its mapping is unusable
    Absent,       // no such device
    Busy,         // another program holds it
    NoPermission, // the user may not open it
    NotSerial,    // the path is not a serial line
    Other,
};

struct OpenResult {
    std::unique_ptr<SerialDevice> device; // set when error == None
    OpenError error = OpenError::None;
    // A sentence for the user: what failed and, where there is one, how to fix it
    // (on Linux for a permission problem: the group that owns the device and the command).
    std::string message;
};

class DeviceProvider {
public:
    virtual ~DeviceProvider() = default;
    virtual OpenResult open(int comNumber) = 0;
    // The device behind a COM number, for display ("/dev/ttyUSB0", "\\.\COM3", "demo: ZYL24 bus").
    virtual std::string describe(int comNumber) const = 0;
};
