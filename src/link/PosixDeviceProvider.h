#pragma once
// Opens "COM n" as the device file PortMap names, and says in a sentence why that failed.
#include "DeviceProvider.h"
#include "PortMap.h"

#include <string>

class PosixDeviceProvider : public DeviceProvider {
public:
    explicit PosixDeviceProvider(PortMap map) : m_map(std::move(map)) {}

    OpenResult open(int comNumber) override;
    std::string describe(int comNumber) const override { return m_map.path(comNumber); }
    const PortMap& portMap() const { return m_map; }

    // What to tell a user who may not open `path`: the group that owns the device and the
    // command that gives access to it, when a group is the way in.
    static std::string permissionMessage(int comNumber, const std::string& path);

private:
    PortMap m_map;
};
