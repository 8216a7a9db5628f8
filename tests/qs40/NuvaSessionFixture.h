#pragma once
// A NUVA sensor on a COM number of the port table and a supervision output on another, for the
// tests of the ZYL 36 window's logic and of the window itself.
#include "NuvaSession.h"
#include "Schnittstelle.h"
#include "SimLineProvider.h"
#include "SimMonitorPort.h"
#include "SimNuvaSensor.h"

class NuvaPortsProvider : public SimLineProvider {
public:
    static constexpr int kSensorPort = 3;
    static constexpr int kMonitorPort = 4;

    NuvaPortsProvider(Clock& clock, SimNuvaSensor& sensor) : SimLineProvider(clock), m_clock(clock) {
        plug(kSensorPort, [this, &sensor](SimulatedLine& line) {
            sensor.lineReset();
            line.attach(&sensor);
            sensorLine = &line;
        });
    }
    OpenResult open(int com) override {
        if (com == kMonitorPort && monitorPresent)
            return {monitor.openLine(m_clock), OpenError::None, {}};
        return SimLineProvider::open(com);
    }

    SimMonitorPort monitor;
    bool monitorPresent = true;
    SimulatedLine* sensorLine = nullptr; // owned by the port table while the port is open

private:
    Clock& m_clock;
};
