#include "Qs40Session.h"

#include "Progress.h"
#include "Schnittstelle.h"

#include <algorithm>

namespace {

// The port layer's parity codes: 0 none, 1 odd, 2 even, 3 mark.
constexpr int kParityNone = 0;
constexpr int kParityOdd = 1;
constexpr int kParityEven = 2;
constexpr int kParityMark = 3;

int parityCode(int entry) {
    switch (entry) {
    case 0:
        return kParityEven;
    case 2:
        return kParityNone;
    case 3:
        return kParityMark;
    default:
        return kParityOdd; // entry 1, or none chosen
    }
}

// The parameter set in the project file's terms (switch point n in element n-1) and back.
SpiFile::Values fileValues(const Qs40ParameterSet& params, std::int32_t sensorType) {
    SpiFile::Values v;
    v.sensorType = sensorType;
    std::copy_n(params.SwitchL.begin() + 1, SpiFile::kPoints, v.switchL.begin());
    std::copy_n(params.SwitchH.begin() + 1, SpiFile::kPoints, v.switchH.begin());
    v.limitEN = params.LimitEN;
    v.limitEF = params.LimitEF;
    v.limitDT = params.LimitDT;
    v.limitND = params.LimitND;
    return v;
}

void storeValues(const SpiFile::Values& v, Qs40ParameterSet& params) {
    std::copy_n(v.switchL.begin(), SpiFile::kPoints, params.SwitchL.begin() + 1);
    std::copy_n(v.switchH.begin(), SpiFile::kPoints, params.SwitchH.begin() + 1);
    params.LimitEN = v.limitEN;
    params.LimitEF = v.limitEF;
    params.LimitDT = v.limitDT;
    params.LimitND = v.limitND;
}

} // namespace

Qs40Session::Qs40Session(Schnittstelle& ports, std::array<std::uint8_t, 256>& typePort,
                         std::uint8_t& sensorType, Qs40ParameterSet& params)
    : m_ports(ports), m_typePort(typePort), m_sensorType(sensorType), m_params(params),
      m_ctx(ports, typePort, params) {}

std::string Qs40Session::sensorName(int sensorType) {
    if (sensorType == kTypeMntb)
        return "QS40MNTB";
    if (sensorType == kTypeMntd)
        return "QS40MNTD";
    return {};
}

const bool& Qs40Session::commonHysteresis() const {
    return m_ports.OldProtocol;
}

bool Qs40Session::SetSensor() {
    if (sensorName(m_sensorType).empty())
        return false;
    m_geometry.setQs40Range();
    if (!m_initialised) {
        m_params.LimitEN = 180;
        m_params.LimitEF = 100;
        m_params.LimitDT = 2800;
        m_params.LimitND = 350;
        for (int n = 1; n <= 4; ++n) {
            m_params.SwitchH[static_cast<std::size_t>(n)] = kStartSwitchH;
            m_params.SwitchL[static_cast<std::size_t>(n)] = kStartSwitchL;
        }
    }
    m_initialised = true;
    return true;
}

bool Qs40Session::connected() const {
    return m_connected && m_ports.isOpen(m_portNumber);
}

// Without a connection there is no current measurement: what was measured last is not shown
// as if it still were.
void Qs40Session::disconnect() {
    if (connected())
        m_ports.ClosePort(m_portNumber);
    m_connected = false;
    m_manual = false;
    m_portNumber = 0;
    m_params.MeasDistance = 0;
    m_params.MeasEnergy = 0;
    m_params.MeasState = 0;
}

bool Qs40Session::endIfLineFailed() {
    if (m_ctx.lineError.empty())
        return false;
    m_lost = m_ctx.lineReason;
    disconnect();
    return true;
}

void Qs40Session::taken(int port, bool manual) {
    m_lost.reset();
    m_sensorType = kTypeMntb;
    m_typePort[kTypeMntb] = static_cast<std::uint8_t>(port);
    m_portNumber = port;
    m_connected = true;
    m_manual = manual;
}

void Qs40Session::releaseFoundPort(int port) {
    if (!m_ports.isOpen(port))
        return;
    // A device that went away under the identification is why nothing answered there.
    if (const SerialDevice* device = m_ports.device(port);
        device && device->lastErrorReason().code == LinkReasonCode::DeviceGone)
        m_lost = device->lastErrorReason();
    m_ports.ClosePort(port);
}

Qs40Session::Connect Qs40Session::search(Progress* progress, int firstPort, int lastPort,
                                         std::uint32_t timeoutMs) {
    // The window's own port would be skipped as "already open" and never found again.
    disconnect();
    const std::uint8_t remembered = m_sensorType;
    int found = 0;
    int type = 0;
    for (int com = firstPort; com <= lastPort && type == 0; ++com) {
        if (progress && progress->stopRequested())
            break;
        if (m_ports.isOpen(com))
            continue; // held by another window
        type = m_ports.OpenAndIdentify(com, 0, 0, kParityEven, 8, timeoutMs, progress);
        if (type == 0)
            releaseFoundPort(com);
        else
            found = com;
    }
    if (type != kTypeMntb) {
        if (found != 0)
            releaseFoundPort(found);
        m_sensorType = remembered;
        return Connect::NothingFound;
    }
    taken(found, false);
    SetSensor();
    m_ctx.progress = progress;
    Qs40ReadSwitchPoints(m_ctx, m_sensorType); // a refused point keeps its start value
    m_ctx.progress = nullptr;
    return endIfLineFailed() ? Connect::NothingFound : Connect::Connected;
}

Qs40Session::Connect Qs40Session::connect(const LineChoice& choice, Progress* progress) {
    if (choice.port < 1 || choice.port > Schnittstelle::kMaxPort || choice.baud == 0 ||
        choice.timeoutMs <= 0 || choice.timeoutMs > kMaxTimeoutMs)
        return Connect::BadSettings;
    disconnect();
    if (m_ports.isOpen(choice.port))
        return Connect::NothingFound; // held by another window, which keeps it
    const std::uint8_t remembered = m_sensorType;
    const int stopBits = choice.stopBitsEntry >= 0 && choice.stopBitsEntry <= 2 ? choice.stopBitsEntry : 0;
    const int type =
        m_ports.OpenAndIdentify(choice.port, choice.baud, stopBits, parityCode(choice.parityEntry),
                                choice.dataBits, static_cast<std::uint32_t>(choice.timeoutMs), progress);
    if (type == 0) {
        releaseFoundPort(choice.port);
        return Connect::NothingFound;
    }
    if (type != kTypeMntb) {
        // A sensor of the text family this window cannot show: it is not kept connected, and
        // its type is not left behind to end up in a project file no one can load.
        releaseFoundPort(choice.port);
        m_sensorType = remembered;
        return Connect::UnknownType;
    }
    taken(choice.port, true);
    // Before reading, so that the first showing's start values do not replace what was read.
    SetSensor();
    m_ctx.progress = progress;
    Qs40ReadSwitchPoints(m_ctx, m_sensorType);
    m_ctx.progress = nullptr;
    return endIfLineFailed() ? Connect::NothingFound : Connect::Connected;
}

std::optional<LinkReason> Qs40Session::reopen(int port, const LineSettings& settings,
                                              const Timeouts& timeouts) {
    disconnect();
    if (m_ports.isOpen(port)) { // another window took it meanwhile, and keeps it
        LinkReason why;
        why.code = LinkReasonCode::InUse;
        why.com = port;
        why.device = m_ports.provider().describe(port);
        return why;
    }
    if (!m_ports.OpenPlainPort(port)) {
        m_ports.ClosePort(port); // a refused port type stays open otherwise
        return m_ports.lastOpenReason();
    }
    SerialDevice& device = *m_ports.device(port);
    device.setTimeouts(timeouts);
    if (!device.applySettings(settings)) {
        LinkReason why = device.lastErrorReason();
        if (!why) {
            why.code = LinkReasonCode::LineSettingRefused;
            why.com = port;
            why.device = m_ports.provider().describe(port);
            why.baud = settings.baud;
            why.dataBits = settings.dataBits;
            why.parity = static_cast<int>(settings.parity);
            why.stopBits = static_cast<int>(settings.stopBits);
        }
        m_ports.ClosePort(port);
        return why;
    }
    taken(port, false);
    SetSensor();
    return std::nullopt;
}

bool Qs40Session::readParameters(Progress* progress) {
    m_ctx.progress = progress;
    m_ctx.clearLineError();
    bool ok = Qs40ReadSwitchPoints(m_ctx, m_sensorType);
    if (ok) {
        Qs40DrainReply(m_ctx);
        ok = Qs40Unlock(m_ctx, m_sensorType);
        if (ok) {
            ok = Qs40ReadLimits(m_ctx, m_sensorType);
            Qs40DrainReply(m_ctx);
        }
        Qs40Restart(m_ctx, m_sensorType);
    }
    m_ctx.progress = nullptr;
    return !endIfLineFailed() && ok;
}

bool Qs40Session::writeSwitchPoints(Progress* progress) {
    m_ctx.progress = progress;
    m_ctx.clearLineError();
    const bool ok = Qs40WriteSwitchPoints(m_ctx, m_sensorType) && Qs40StoreEeprom(m_ctx, m_sensorType);
    m_ctx.progress = nullptr;
    return !endIfLineFailed() && ok;
}

bool Qs40Session::copyParameters(Progress* progress) {
    m_ctx.progress = progress;
    m_ctx.clearLineError();
    bool ok = Qs40WriteSwitchPoints(m_ctx, m_sensorType);
    if (ok) {
        ok = Qs40Unlock(m_ctx, m_sensorType);
        Qs40DrainReply(m_ctx);
        if (ok) {
            ok = Qs40WriteLimits(m_ctx, m_sensorType);
            Qs40DrainReply(m_ctx);
            if (ok) {
                ok = Qs40StoreEeprom(m_ctx, m_sensorType);
                Qs40DrainReply(m_ctx);
            }
        }
        Qs40Restart(m_ctx, m_sensorType);
    }
    m_ctx.progress = nullptr;
    return !endIfLineFailed() && ok;
}

bool Qs40Session::readMeasurement() {
    m_ctx.clearLineError();
    const bool ok = Qs40ReadMeasurement(m_ctx, m_sensorType);
    return !endIfLineFailed() && ok;
}

Qs40UpdateResult Qs40Session::firmwareUpdate(std::span<const std::uint8_t> imageFile, bool reduced,
                                             const Qs40PageReport& onPage) {
    m_ctx.clearLineError();
    const Qs40UpdateResult result = Qs40FirmwareUpdate(m_ctx, m_sensorType, imageFile, reduced, onPage);
    endIfLineFailed();
    return result;
}

int Qs40Session::reservePercent(std::int32_t energy) {
    return std::clamp((energy - 100) / 10, 0, 100);
}

Qs40Session::Display Qs40Session::display() const {
    Display d;
    d.distance = std::clamp(m_params.MeasDistance, 0, static_cast<int>(m_geometry.RangeMax()));
    d.reserve = reservePercent(m_params.MeasEnergy);
    const std::int32_t state = m_params.MeasState;
    d.connector = state & 3;
    for (std::size_t bit = 0; bit < d.leds.size(); ++bit)
        d.leds[bit] = (state >> bit) & 1;
    d.pin2 = (state & 0x5) != 0;
    d.pin4 = (state & 0xA) != 0;
    return d;
}

std::string Qs40Session::projectFile() const {
    return SpiFile::serialize(fileValues(m_params, m_sensorType));
}

Qs40Session::LoadOutcome Qs40Session::load(const SpiFile::Parsed& file,
                                           const std::function<bool()>& confirmOtherType) {
    LoadOutcome outcome;
    if (file.sensorType) {
        const std::int64_t type = *file.sensorType;
        // Checked before the question: a file no QS40 can use must not cost the connection.
        if (type != kTypeMntb && type != kTypeMntd) {
            outcome.result = Load::UnknownType;
            return outcome;
        }
        if (connected() && type != m_sensorType) {
            if (!confirmOtherType()) {
                outcome.result = Load::Aborted;
                return outcome;
            }
            disconnect();
            outcome.disconnected = true;
        }
        m_sensorType = static_cast<std::uint8_t>(type);
        SetSensor();
    }
    SpiFile::Values v = fileValues(m_params, m_sensorType);
    file.applyTo(v);
    storeValues(v, m_params);
    outcome.result = file.complete() ? Load::Loaded : Load::Incomplete;
    return outcome;
}
