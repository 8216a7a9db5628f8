#include "SerialPortScan.h"

#include "Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

std::optional<SerialPortInfo::State> SerialPortScan::probe(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return SerialPortInfo::State::Free;
    }
    switch (GetLastError()) {
    case ERROR_ACCESS_DENIED: // what Windows says for a port another program holds
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return SerialPortInfo::State::InUse;
    default:
        return std::nullopt;
    }
}

// The COM ports the system lists under HARDWARE\DEVICEMAP\SERIALCOMM. Descriptions and USB ids
// are not kept there; the port dialog adds them from what Qt knows about the ports.
std::vector<SerialPortInfo> SerialPortScan::devices() {
    std::vector<SerialPortInfo> found;
    for (const auto& [device, portName] :
         registryStrings(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM")) {
        SerialPortInfo info;
        info.systemName = portName;
        info.path = "\\\\.\\" + info.systemName;
        const auto state = probe(info.path);
        if (!state)
            continue;
        info.state = *state;
        found.push_back(std::move(info));
    }
    std::sort(found.begin(), found.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
        if (a.systemName.size() != b.systemName.size())
            return a.systemName.size() < b.systemName.size();
        return a.systemName < b.systemName;
    });
    return found;
}

// Windows keeps its list in the registry; there is no tree to point elsewhere.
std::vector<SerialPortInfo> SerialPortScan::devices(const std::string&, const std::string&, const Probe&) {
    return devices();
}
