#pragma once
// The devices of `zylconfig --demo`: simulated sensors on fixed COM numbers.
//   COM1: a ZYL24 bus, 220 mm sensor (variant '0') at address 5, 1000 mm sensor (variant '3')
//         at address 12
//   COM2: a NUVA sensor QS40MNTD (type 12) at slave address 222
//   COM3: a QS40 text-protocol sensor of the new generation (revision 4)
//   COM4: a plain port for the ZYL 36 window's supervision output (its RTS level is shown)
//   COM5: a Halvern sensor of type 15
//   COM6: a handheld in its PC connection mode
// Other numbers are absent until the user puts one of these devices behind them (for this run
// only). The provider owns the sensors, so they keep their settings while the port is closed and
// opened again; every open gets a fresh simulated line to them. A device that is still open
// elsewhere is reported busy.
#include "DeviceProvider.h"
#include "SimHalvernSensor.h"
#include "SimHandheld.h"
#include "SimMonitorPort.h"
#include "SimNuvaSensor.h"
#include "SimQs40TextSensor.h"
#include "SimZyl24Bus.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class Clock;

class DemoDeviceProvider : public DeviceProvider {
public:
    static constexpr int kBusPort = 1;
    static constexpr int kHalvernPort = 5;
    static constexpr int kNuvaPort = 2;
    static constexpr int kMonitorPort = 4;
    static constexpr int kQs40Port = 3;
    static constexpr int kHandheldPort = 6;

    explicit DemoDeviceProvider(Clock& clock);
    ~DemoDeviceProvider() override;

    OpenResult open(int comNumber) override;
    std::string describe(int comNumber) const override;
    std::string devicePath(int comNumber) const override;
    std::vector<SerialPortInfo> listDevices() override;
    bool mapDevice(int comNumber, const std::string& path) override;
    bool isMapped(int comNumber) const override;

    SimZyl24Bus& bus() { return m_bus; }
    SimHalvernSensor& halvern() { return m_halvern; }
    SimNuvaSensor& nuva() { return m_nuva; }
    const SimMonitorPort& monitorPort() const { return m_monitor; }
    SimQs40TextSensor& qs40() { return m_qs40; }
    SimHandheld& handheld() { return m_handheld; }

private:
    Clock& m_clock;
    SimZyl24Bus m_bus;
    SimHalvernSensor m_halvern;
    SimNuvaSensor m_nuva;
    SimMonitorPort m_monitor;
    SimQs40TextSensor m_qs40;
    SimHandheld m_handheld;
    // A device is named by the COM number it sits on by default; 0 is none.
    static constexpr int kDeviceCount = 6;
    std::string describeDevice(int device) const;
    int deviceAt(int comNumber) const;
    // The device behind each COM number (index 0 unused).
    std::array<int, 21> m_devices{};
    // One token per device, alive while a line to it is open.
    std::array<std::weak_ptr<int>, kDeviceCount + 1> m_openTokens;
};
