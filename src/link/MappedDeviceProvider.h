#pragma once
// What the machine's providers share: COM numbers resolved through a PortMap, the machine's
// serial devices to choose from, and a choice that the program keeps in the user's settings.
#include "DeviceProvider.h"
#include "PortMap.h"
#include "SerialPortScan.h"

#include <string>
#include <utility>
#include <vector>

class MappedDeviceProvider : public DeviceProvider {
public:
    explicit MappedDeviceProvider(PortMap map) : m_map(std::move(map)) {}

    std::string describe(int comNumber) const override { return m_map.path(comNumber); }
    std::vector<SerialPortInfo> listDevices() override { return SerialPortScan::devices(); }
    bool mapDevice(int comNumber, const std::string& path) override { return m_map.map(comNumber, path); }
    bool storesMappings() const override { return true; }
    bool isMapped(int comNumber) const override { return m_map.isMapped(comNumber); }
    const PortMap& portMap() const { return m_map; }

protected:
    PortMap m_map;
};
