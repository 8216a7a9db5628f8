#pragma once
// A NUVA sensor on a COM number of the port table and a supervision output on another, for the
// tests of the ZYL 36 window's logic and of the window itself.
#include "NuvaSession.h"
#include "Schnittstelle.h"
#include "SimLineProvider.h"
#include "SimMonitorPort.h"
#include "SimNuvaSensor.h"
#include "SimQs40TextSensor.h"

#include <string>
#include <vector>

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

// A QS40MNTB-Metall on the text protocol where the NUVA sensor was, and the requests it heard.
inline void plugTextSensor(NuvaPortsProvider& provider, SimQs40TextSensor& text) {
    provider.plug(NuvaPortsProvider::kSensorPort, [&text](SimulatedLine& line) { line.attach(&text); });
}
inline std::vector<std::string> textRequests(const SimQs40TextSensor& text) {
    std::vector<std::string> out;
    for (const auto& f : text.frames())
        out.emplace_back(f.begin(), f.end());
    return out;
}
