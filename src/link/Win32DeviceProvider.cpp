#include "Win32DeviceProvider.h"

#include "NativePorts.h"
#include "Win32SerialDevice.h"

#include <windows.h>

OpenResult Win32DeviceProvider::open(int com) {
    OpenResult result;
    const std::string path = m_map.path(com);
    if (path.empty()) {
        result.error = OpenError::NotMapped;
        result.message = PortMap::outOfRangeMessage(com);
        return result;
    }
    unsigned long code = 0;
    result.device = Win32SerialDevice::open(path, code);
    if (result.device)
        return result;

    const std::string name = m_map.label(com);
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        result.error = OpenError::Absent;
        result.message = name + ": no such device.";
        break;
    case ERROR_ACCESS_DENIED: // what Windows says for a port another program holds
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        result.error = OpenError::Busy;
        result.message = name + " is in use by another program.";
        break;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        result.error = OpenError::NotSerial;
        result.message = name + " is not a serial line.";
        break;
    default:
        result.error = OpenError::Other;
        result.message = name + " cannot be opened: " + Win32SerialDevice::errorText(code) + ".";
        break;
    }
    return result;
}

PortMap::Naming nativePortNaming() {
    return PortMap::Naming::Windows;
}

std::unique_ptr<DeviceProvider> createNativeDeviceProvider(PortMap map) {
    return std::make_unique<Win32DeviceProvider>(std::move(map));
}
