#pragma once
// The machine's own serial ports. Which implementation stands behind them (device files
// on Linux and macOS, COM ports on Windows) is chosen when the program is built.
//
//     PortMap map(nativePortNaming());
//     map.addSetting("COM3", "/dev/ttyUSB0");   // each entry of the settings group "Ports"
//     map.addEnvironment();                      // ZYLCONFIG_PORTS overrides them
//     // show or print map.warnings()
//     std::unique_ptr<DeviceProvider> provider = createNativeDeviceProvider(std::move(map));
#include "DeviceProvider.h"
#include "PortMap.h"

#include <memory>

PortMap::Naming nativePortNaming();
std::unique_ptr<DeviceProvider> createNativeDeviceProvider(PortMap map);
