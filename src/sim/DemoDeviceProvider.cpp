#include "DemoDeviceProvider.h"

#include "Qs40_nuva_speziell.h"
#include "SimulatedLine.h"

namespace {

// A simulated line that tells the provider, by living, that its port is in use.
class DemoLine : public SimulatedLine {
public:
    DemoLine(Clock& clock, std::shared_ptr<int> token) : SimulatedLine(&clock), m_token(std::move(token)) {}

private:
    std::shared_ptr<int> m_token;
};

std::string sensorName(const Qd20Variant& variant) {
    constexpr std::string_view kPrefix = "Sensor: ";
    std::string_view text = variant.sensorText;
    if (text.starts_with(kPrefix))
        text.remove_prefix(kPrefix.size());
    return std::string(text);
}

} // namespace

DemoDeviceProvider::DemoDeviceProvider(Clock& clock)
    : m_clock(clock), m_bus(&clock), m_halvern(15, &clock), m_nuva(kNuvaTypeMntd, kNuvaDefaultSlave, &clock),
      m_qs40(&clock, 4) {
    m_bus.addSensor(5, '0');
    m_bus.addSensor(12, '3');
}

DemoDeviceProvider::~DemoDeviceProvider() = default;

OpenResult DemoDeviceProvider::open(int comNumber) {
    OpenResult result;
    SimPeer* textDevice = comNumber == kQs40Port       ? static_cast<SimPeer*>(&m_qs40)
                          : comNumber == kHandheldPort ? static_cast<SimPeer*>(&m_handheld)
                                                       : nullptr;
    if (comNumber != kBusPort && comNumber != kHalvernPort && comNumber != kNuvaPort &&
        comNumber != kMonitorPort && !textDevice) {
        result.error = comNumber >= 1 && comNumber <= 20 ? OpenError::Absent : OpenError::NotMapped;
        result.message = "COM" + std::to_string(comNumber) +
                         ": no device in the demo (the demo has sensors on COM" + std::to_string(kBusPort) +
                         ", COM" + std::to_string(kNuvaPort) + ", COM" + std::to_string(kQs40Port) + ", COM" +
                         std::to_string(kHalvernPort) + " and COM" + std::to_string(kHandheldPort) +
                         ", and a plain port on COM" + std::to_string(kMonitorPort) + ").";
        return result;
    }
    std::weak_ptr<int>& slot = m_openTokens[static_cast<std::size_t>(comNumber)];
    if (!slot.expired()) {
        result.error = OpenError::Busy;
        result.message = "COM" + std::to_string(comNumber) + " is already open.";
        return result;
    }
    auto token = std::make_shared<int>(comNumber);
    slot = token;
    if (comNumber == kMonitorPort) {
        result.device = m_monitor.openLine(m_clock, std::move(token));
        return result;
    }
    auto line = std::make_unique<DemoLine>(m_clock, std::move(token));
    if (comNumber == kBusPort) {
        m_bus.lineReset();
        line->attach(&m_bus);
    } else if (comNumber == kNuvaPort) {
        m_nuva.lineReset();
        line->attach(&m_nuva);
    } else if (textDevice) {
        line->attach(textDevice);
    } else {
        line->attach(&m_halvern);
    }
    result.device = std::move(line);
    return result;
}

std::string DemoDeviceProvider::describe(int comNumber) const {
    if (comNumber == kBusPort) {
        std::string text = "demo: ZYL24 bus (";
        bool first = true;
        for (const auto& s : m_bus.sensors()) {
            text += (first ? "" : ", ") + sensorName(s->variant()) + " at address " +
                    std::to_string(s->address());
            first = false;
        }
        return text + ")";
    }
    if (comNumber == kQs40Port)
        return "demo: QS40MNTB text sensor (revision " + std::to_string(m_qs40.revision()) + ")";
    if (comNumber == kHandheldPort)
        return "demo: handheld in PC connection mode";
    if (comNumber == kHalvernPort)
        return "demo: Halvern sensor (type " + std::to_string(m_halvern.type()) + ")";
    if (comNumber == kNuvaPort)
        return "demo: NUVA QS40MNTD at slave " + std::to_string(m_nuva.slave());
    if (comNumber == kMonitorPort)
        return "demo: " + m_monitor.describe();
    return "demo: nothing attached";
}
