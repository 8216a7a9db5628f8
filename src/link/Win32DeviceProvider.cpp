#include "Win32DeviceProvider.h"

#include "NativePorts.h"
#include "Win32SerialDevice.h"

#include <windows.h>

OpenResult Win32DeviceProvider::open(int com) {
    OpenResult result;
    LinkReason& r = result.reason;
    r.com = com;
    const std::string path = m_map.path(com);
    if (path.empty()) {
        result.error = OpenError::NotMapped;
        r.code = LinkReasonCode::PortOutOfRange;
        result.message = r.english();
        return result;
    }
    unsigned long code = 0;
    result.device = Win32SerialDevice::open(path, code);
    if (result.device)
        return result;

    r.device = path;
    r.defaultDevice = !m_map.isMapped(com);
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        result.error = OpenError::Absent;
        r.code = LinkReasonCode::NoSuchDevice;
        break;
    case ERROR_ACCESS_DENIED: // what Windows says for a port another program holds
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        result.error = OpenError::Busy;
        r.code = LinkReasonCode::InUse;
        break;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        result.error = OpenError::NotSerial;
        r.code = LinkReasonCode::NotSerial;
        break;
    default:
        result.error = OpenError::Other;
        r.code = LinkReasonCode::OpenFailed;
        r.detail = Win32SerialDevice::errorText(code);
        break;
    }
    result.message = r.english();
    return result;
}

PortMap::Naming nativePortNaming() {
    return PortMap::Naming::Windows;
}

std::unique_ptr<DeviceProvider> createNativeDeviceProvider(PortMap map) {
    return std::make_unique<Win32DeviceProvider>(std::move(map));
}
