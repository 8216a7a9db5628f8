#pragma once
// Opens "COM n" and says whether it exists, and why not. The real provider resolves COM
// numbers through PortMap; the demo and the tests install their own.
#include "LinkReason.h"
#include "SerialDevice.h"
#include "SerialPortScan.h"

#include <memory>
#include <string>
#include <vector>

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
    // The same as a code with its details, for front ends that speak another language.
    LinkReason reason = {};
};

class DeviceProvider {
public:
    virtual ~DeviceProvider() = default;
    virtual OpenResult open(int comNumber) = 0;
    // The device behind a COM number, for display ("/dev/ttyUSB0", "\\.\COM3", "demo: ZYL24 bus").
    virtual std::string describe(int comNumber) const = 0;

    // The path of listDevices() that stands behind a COM number.
    virtual std::string devicePath(int comNumber) const { return describe(comNumber); }
    // The devices a COM number can be put on, for the user to choose from.
    virtual std::vector<SerialPortInfo> listDevices() { return {}; }
    // Puts a device of listDevices() (its path) behind a COM number for this run; an empty path
    // gives the number back its default device. False when this provider takes no choice.
    virtual bool mapDevice(int /*comNumber*/, const std::string& /*path*/) { return false; }
    // Whether a choice belongs in the user's settings, so that it lasts: not for devices that
    // exist only in this run, like the demo's.
    virtual bool storesMappings() const { return false; }
    // Whether the COM number has a device chosen for it rather than its default.
    virtual bool isMapped(int /*comNumber*/) const { return false; }
};
