#pragma once
// Opens "COM n" as the Windows port PortMap names ("\\.\COMn" unless mapped otherwise).
#include "MappedDeviceProvider.h"

#include <string>

class Win32DeviceProvider : public MappedDeviceProvider {
public:
    using MappedDeviceProvider::MappedDeviceProvider;

    OpenResult open(int comNumber) override;
};
