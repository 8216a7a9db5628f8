#pragma once
// Opens "COM n" as the Windows port PortMap names ("\\.\COMn" unless mapped otherwise).
#include "DeviceProvider.h"
#include "PortMap.h"

#include <string>

class Win32DeviceProvider : public DeviceProvider {
public:
    explicit Win32DeviceProvider(PortMap map) : m_map(std::move(map)) {}

    OpenResult open(int comNumber) override;
    std::string describe(int comNumber) const override { return m_map.path(comNumber); }
    const PortMap& portMap() const { return m_map; }

private:
    PortMap m_map;
};
