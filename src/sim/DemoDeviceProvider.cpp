#include "DemoDeviceProvider.h"

#include "Qs40_nuva_speziell.h"
#include "SimulatedLine.h"

#include <algorithm>

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
    for (int device = 1; device <= kDeviceCount; ++device)
        m_devices[static_cast<std::size_t>(device)] = device;
}

DemoDeviceProvider::~DemoDeviceProvider() = default;

int DemoDeviceProvider::deviceAt(int comNumber) const {
    if (comNumber < 1 || comNumber >= static_cast<int>(m_devices.size()))
        return 0;
    return m_devices[static_cast<std::size_t>(comNumber)];
}

OpenResult DemoDeviceProvider::open(int requestedCom) {
    OpenResult result;
    LinkReason& r = result.reason;
    r.com = requestedCom;
    // The device behind the number, named by its own port from here on.
    const int comNumber = deviceAt(requestedCom);
    SimPeer* textDevice = comNumber == kQs40Port       ? static_cast<SimPeer*>(&m_qs40)
                          : comNumber == kHandheldPort ? static_cast<SimPeer*>(&m_handheld)
                                                       : nullptr;
    r.device = describe(requestedCom);
    if (comNumber == 0) {
        const bool inRange = requestedCom >= 1 && requestedCom <= 20;
        result.error = inRange ? OpenError::Absent : OpenError::NotMapped;
        r.code = inRange ? LinkReasonCode::NoSuchDevice : LinkReasonCode::PortOutOfRange;
        result.message = r.english();
        return result;
    }
    std::weak_ptr<int>& slot = m_openTokens[static_cast<std::size_t>(comNumber)];
    if (!slot.expired()) {
        result.error = OpenError::Busy;
        r.code = LinkReasonCode::InUse;
        result.message = r.english();
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
    return describeDevice(deviceAt(comNumber));
}

std::string DemoDeviceProvider::describeDevice(int comNumber) const {
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

namespace {

// The device paths the demo offers, by the COM number each device sits on by default.
constexpr std::array<const char*, 7> kDevicePaths{
    "", "demo:zyl24-bus", "demo:nuva", "demo:qs40", "demo:monitor", "demo:halvern", "demo:handheld"};

} // namespace

std::string DemoDeviceProvider::devicePath(int comNumber) const {
    return kDevicePaths[static_cast<std::size_t>(deviceAt(comNumber))];
}

std::vector<SerialPortInfo> DemoDeviceProvider::listDevices() {
    std::vector<SerialPortInfo> list;
    for (int device = 1; device <= kDeviceCount; ++device) {
        SerialPortInfo info;
        info.path = kDevicePaths[static_cast<std::size_t>(device)];
        info.systemName = info.path;
        info.description = describeDevice(device);
        info.state = m_openTokens[static_cast<std::size_t>(device)].expired() ? SerialPortInfo::State::Free
                                                                              : SerialPortInfo::State::InUse;
        list.push_back(std::move(info));
    }
    return list;
}

// An empty path gives the number back the device it has by default.
bool DemoDeviceProvider::mapDevice(int comNumber, const std::string& path) {
    if (comNumber < 1 || comNumber >= static_cast<int>(m_devices.size()))
        return false;
    int device = comNumber <= kDeviceCount ? comNumber : 0;
    if (!path.empty()) {
        const auto* found = std::find(kDevicePaths.begin() + 1, kDevicePaths.end(), path);
        if (found == kDevicePaths.end())
            return false;
        device = static_cast<int>(found - kDevicePaths.begin());
    }
    m_devices[static_cast<std::size_t>(comNumber)] = device;
    return true;
}

bool DemoDeviceProvider::isMapped(int comNumber) const {
    const int home = comNumber <= kDeviceCount ? comNumber : 0;
    return deviceAt(comNumber) != home;
}
