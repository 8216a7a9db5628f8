#pragma once
// Opens "COM n" as the device file PortMap names, and says in a sentence why that failed.
#include "MappedDeviceProvider.h"

#include <string>

class PosixDeviceProvider : public MappedDeviceProvider {
public:
    using MappedDeviceProvider::MappedDeviceProvider;

    OpenResult open(int comNumber) override;

    // What to tell a user who may not open `path`: the group that owns the device and the
    // command that gives access to it, when a group is the way in.
    static LinkReason permissionReason(int comNumber, const std::string& path);
    static std::string permissionMessage(int comNumber, const std::string& path) {
        return permissionReason(comNumber, path).english();
    }
};
