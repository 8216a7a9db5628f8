#include "NuvaSession.h"

#include "Qs40_speziell.h"
#include "Schnittstelle.h"

#include <algorithm>

#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

constexpr std::uint32_t kFirstPassBaud = 57600;
constexpr std::uint32_t kFirstPassTimeoutMs = 50;
constexpr std::uint32_t kSecondPassTimeoutMs = 100;
constexpr int kOneStopBit = 0;
constexpr int kNoParity = 0;
constexpr int kEightBits = 8;
constexpr int kProgressPerExchange = 4;

bool isNuvaType(int type) {
    return type == kNuvaTypeMntd || type == kNuvaTypeMntb;
}

// Where a type 7 sensor's four limits stand among the eight of the dialog: "Energie Fern"
// (LimitEN), "Energie Nah" (LimitEF), "Abstand N/F" (LimitDT), "Nahzone" (LimitND).
constexpr std::array<std::size_t, 4> kMetallLimitSlots{3, 4, 6, 7};

} // namespace

long long NuvaSession::pointOnScale(double mm, int maxDistance) {
    const double start = kPointScaleStart;
    const double end = std::max(maxDistance, kPointScaleStart);
    const double step = kPointScaleStep;
    const double v = std::isnan(mm) || mm < start ? start : std::min(mm, end);
    double onStep = std::floor(v / step + 0.5) * step;
    if (onStep > end)
        onStep -= step;
    // The start is a step itself, so nothing lands below it.
    return static_cast<long long>(onStep);
}

NuvaSession::NuvaSession(Schnittstelle& ports, std::array<std::uint8_t, 256>& typePort,
                         Qs40ParameterSet& qs40)
    : m_ports(ports), m_typePort(typePort), m_qs40(qs40) {}

NuvaSession::~NuvaSession() = default;

bool NuvaSession::portOpen() const {
    return m_ports.isOpen(m_port);
}

NuvaReply NuvaSession::exchange(const NuvaRequest& request, bool waitLong) {
    NuvaReply reply = NuvaExchange(m_ports, m_port, options, request.command, request.data, waitLong);
    m_lastReceived = reply.received;
    if (!reply.deviceError.empty()) {
        m_lineError = reply.deviceError;
        endConnection(m_ports.device(m_port)->lastErrorReason());
    }
    return reply;
}

void NuvaSession::endConnection(const LinkReason& why) {
    m_lost = why;
    stopSupervision();
    closePort();
}

void NuvaSession::takeLineFailure(const Qs40Context& ctx) {
    if (ctx.lineError.empty())
        return;
    m_lineError = ctx.lineError;
    endConnection(ctx.lineReason);
}

// Only a port this session connected is closed: the number alone may name a port that another
// window holds.
void NuvaSession::closePort() {
    if (m_connected)
        m_ports.ClosePort(m_port);
    m_connected = false;
}

void NuvaSession::disconnect() {
    stopSupervision();
    closePort();
}

NuvaSession::Connection NuvaSession::connected(int com, int type) {
    m_lost.reset();
    m_connected = true;
    m_port = com;
    m_type = type;
    m_typePort[static_cast<std::size_t>(type)] = static_cast<std::uint8_t>(com);
    Connection c;
    c.sensorType = type;
    c.port = com;
    if (type == kTextProtocolType)
        c.identReply = m_ports.IdentReply;
    return c;
}

void NuvaSession::beginSearch(const SearchLines& lines) {
    stopSupervision();
    closePort();
    m_lineError.clear();
    m_typeBeforeSearch = m_type;
    m_searchLines = lines;
    m_searchStep = 0;
}

bool NuvaSession::searchStep(Progress* progress, Connection& result) {
    struct Pass {
        std::uint32_t baud;
        std::uint32_t timeoutMs;
    };
    const std::uint32_t given = m_searchLines.readTimeoutMs;
    const std::array<Pass, 2> passes{Pass{kFirstPassBaud, given ? given : kFirstPassTimeoutMs},
                                     Pass{0, given ? given : kSecondPassTimeoutMs}};
    const int ports = std::max(0, m_searchLines.lastPort - m_searchLines.firstPort + 1);
    const int pass = ports == 0 ? static_cast<int>(passes.size()) : m_searchStep / ports;
    const int com = ports == 0 ? 0 : m_searchStep % ports + m_searchLines.firstPort;
    if (pass >= static_cast<int>(passes.size()) || (progress && progress->stopRequested())) {
        // Nothing found: the window keeps what it had before, without a port.
        m_type = m_typeBeforeSearch;
        result = {};
        return true;
    }
    ++m_searchStep;
    if (m_ports.isOpen(com))
        return false;
    const Pass& p = passes[static_cast<std::size_t>(pass)];
    const NuvaOpenResult r =
        NuvaOpen(m_ports, com, p.baud, kOneStopBit, p.timeoutMs, kEightBits, options, progress);
    if (isNuvaType(r.sensorType)) {
        m_version = r.version;
        result = connected(com, r.sensorType);
        return true;
    }
    // The search goes on at the other ports; should it find nothing, this may be why.
    if (!r.deviceError.empty())
        m_lost = m_ports.device(com)->lastErrorReason();
    m_ports.ClosePort(com);
    return false;
}

NuvaSession::Connection NuvaSession::search(Progress* progress, const SearchLines& lines) {
    beginSearch(lines);
    Connection result;
    while (!searchStep(progress, result)) {
    }
    return result;
}

NuvaSession::Connection NuvaSession::connectManual(int com) {
    stopSupervision();
    closePort();
    m_lineError.clear();
    m_port = com;
    Connection none;
    if (com < 1 || com > Schnittstelle::kMaxPort) {
        none.failure = "comport not allowed";
        return none;
    }
    if (m_ports.isOpen(com)) {
        none.failure = "COM" + std::to_string(com) + " is in use by another window.";
        return none;
    }
    const NuvaOpenResult r =
        NuvaOpen(m_ports, com, kFirstPassBaud, kOneStopBit, kFirstPassTimeoutMs, kEightBits, options);
    if (isNuvaType(r.sensorType)) {
        m_version = r.version;
        return connected(com, r.sensorType);
    }
    if (!r.deviceError.empty()) {
        // The device went away under the identification: there is nothing to try the text
        // protocol on.
        m_lost = m_ports.device(com)->lastErrorReason();
        m_ports.ClosePort(com);
        none.failure = r.deviceError;
        return none;
    }
    none.failure = m_ports.lastOpenError();
    m_ports.ClosePort(com);
    const int type =
        m_ports.OpenAndIdentify(com, 0, kOneStopBit, kNoParity, kEightBits, kSecondPassTimeoutMs, nullptr);
    // Types 3 to 6 are QS40 sensors this window cannot serve.
    if (type == kTextProtocolType)
        return connected(com, type);
    if (none.failure.empty())
        none.failure = m_ports.lastOpenError();
    m_ports.ClosePort(com);
    return none;
}

NuvaSession::ReadResult NuvaSession::read() {
    ReadResult result;
    if (!portOpen())
        return result;
    if (m_type == kTextProtocolType)
        return readQs40();
    if (!isNuvaType(m_type))
        return result;
    if (const NuvaReply near = exchange(NuvaReadNearSwitchRequest(), waitLongOther); near.ok())
        result.nearSwitch = NuvaDecodeNearSwitch(near.data);
    const NuvaReply reply = exchange(NuvaReadSwitchPointsRequest(), waitLongOther);
    if (!reply.ok())
        return result;
    const std::optional<NuvaSwitchPoints> values = NuvaDecodeSwitchPoints(reply.data);
    if (!values)
        return result;
    result.values = *values;
    result.pointCount = kNuvaSwitchPointCount;
    result.ok = true;
    return result;
}

NuvaSession::WriteResult NuvaSession::write(const std::array<long long, kNuvaSwitchPointCount>& points,
                                            const std::array<long long, kNuvaHysteresisCount>& hysteresis,
                                            Progress* progress, bool storeAfterwards) {
    WriteResult result;
    m_lineError.clear();
    if (m_type == kTextProtocolType && portOpen())
        return writeQs40(points, hysteresis, progress, storeAfterwards);
    if (!isNuvaType(m_type) || !portOpen()) {
        result.errors = 1;
        return result;
    }
    std::vector<NuvaRequest> requests;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        if (auto r = NuvaWriteSwitchPointRequest(k, points[k]))
            requests.push_back(std::move(*r));
    for (std::size_t k = 0; k < kNuvaHysteresisCount; ++k)
        if (auto r = NuvaWriteHysteresisRequest(k, hysteresis[k]))
            requests.push_back(std::move(*r));
    if (requests.size() != kNuvaSwitchPointCount + kNuvaHysteresisCount) {
        result.errors = 1; // a value that does not fit 16 bits is never sent cut down
        return result;
    }
    for (const NuvaRequest& r : requests) {
        result.errors += exchange(r, waitLongOther).errors;
        if (progress)
            progress->advance(kProgressPerExchange);
        if (!m_lineError.empty())
            return result;
    }
    const NuvaReply back = exchange(NuvaReadSwitchPointsRequest(), waitLongOther);
    const std::optional<NuvaSwitchPoints> read = back.ok() ? NuvaDecodeSwitchPoints(back.data) : std::nullopt;
    if (!read) {
        ++result.errors;
    } else {
        for (std::size_t k = 0; k < kNuvaSwitchPointCount + kNuvaHysteresisCount; ++k) {
            const long long written =
                k < kNuvaSwitchPointCount ? points[k] : hysteresis[k - kNuvaSwitchPointCount];
            const std::uint16_t got =
                k < kNuvaSwitchPointCount ? read->points[k] : read->hysteresis[k - kNuvaSwitchPointCount];
            if (got != written)
                result.mismatch |= 1u << k;
        }
    }
    if (result.transferred() && storeAfterwards)
        result.stored = store();
    return result;
}

bool NuvaSession::store() {
    if (!portOpen())
        return false;
    if (m_type == kTextProtocolType)
        return runQs40(Qs40StoreEeprom);
    if (!isNuvaType(m_type))
        return false;
    return exchangeOk(NuvaStoreRequest(), waitLongStore);
}

bool NuvaSession::selectField(int field) {
    if (!portOpen() || !isNuvaType(m_type))
        return false;
    const std::optional<NuvaRequest> r = NuvaSelectFieldRequest(field);
    return r && exchangeOk(*r, waitLongOther);
}

std::optional<std::array<long long, kNuvaLimitCount>> NuvaSession::readLimits() {
    if (portOpen() && m_type == kTextProtocolType)
        return readLimitsQs40();
    if (!portOpen() || !isNuvaType(m_type))
        return std::nullopt;
    const NuvaReply reply = exchange(NuvaReadLimitsRequest(), waitLongOther);
    const std::optional<NuvaLimits> limits = reply.ok() ? NuvaDecodeLimits(reply.data) : std::nullopt;
    if (!limits)
        return std::nullopt;
    std::array<long long, kNuvaLimitCount> out{};
    for (std::size_t k = 0; k < kNuvaLimitCount; ++k)
        out[k] = (*limits)[k];
    return out;
}

NuvaSession::LimitWrite NuvaSession::writeLimits(const std::array<long long, kNuvaLimitCount>& values,
                                                 std::optional<bool> nearActive) {
    LimitWrite result;
    if (portOpen() && m_type == kTextProtocolType)
        return writeLimitsQs40(values);
    if (!portOpen() || !isNuvaType(m_type))
        return result;
    const std::optional<NuvaRequest> limits = NuvaWriteLimitsRequest(values);
    if (!limits)
        return result;
    bool nearOk = true;
    if (nearActive)
        nearOk = exchangeOk(NuvaSetNearSwitchRequest(*nearActive), false);
    if (!exchangeOk(*limits, false))
        return result;
    result.stored = store();
    result.ok = nearOk && result.stored;
    return result;
}

NuvaSession::Poll NuvaSession::poll() {
    Poll p;
    if (m_type == kTextProtocolType && portOpen()) {
        // The link word comes only with NUVA replies: a text-protocol sensor is supervised on
        // its measured distance.
        if (runQs40(Qs40ReadMeasurement)) {
            p.ok = true;
            p.distance = m_qs40.MeasDistance;
            p.energy = m_qs40.MeasEnergy;
        }
    } else if (isNuvaType(m_type) && portOpen()) {
        const NuvaReply reply = exchange(NuvaMeasureRequest(withEnergy), waitLongOther);
        if (reply.ok() && reply.linkWord) {
            p.ok = true;
            p.distance = *reply.linkWord;
            if (withEnergy)
                if (const auto energy = NuvaDecodeEnergy(reply.data))
                    p.energy = *energy;
        }
    }
    if (!p.ok) {
        stopSupervision();
        return p;
    }
    return superviseDistance(p);
}

NuvaSession::Poll NuvaSession::superviseDistance(Poll p) {
    if (!m_monitor)
        return p;
    if (m_monitorCount < kTeachPolls) {
        ++m_monitorCount;
        m_monitorSum += p.distance;
        p.teaching = true;
        return p;
    }
    const long long mean = m_monitorSum / m_monitorCount;
    p.deviation = std::llabs(p.distance - mean) > m_tolerance;
    m_monitor->setRts(!*p.deviation);
    return p;
}

std::string NuvaSession::startSupervision(int monitorPort, int tolerance) {
    stopSupervision();
    if (monitorPort < 1 || monitorPort > Schnittstelle::kMaxPort)
        return "comport not allowed";
    if (monitorPort == m_port && portOpen())
        return "COM" + std::to_string(monitorPort) + " is the sensor's port.";
    OpenResult opened = m_ports.provider().open(monitorPort);
    if (!opened.device)
        return opened.message.empty() ? "COM" + std::to_string(monitorPort) + " cannot be opened."
                                      : opened.message;
    m_monitor = std::move(opened.device);
    m_monitorCount = 0;
    m_monitorSum = 0;
    m_tolerance = tolerance;
    return {};
}

void NuvaSession::stopSupervision() {
    if (!m_monitor)
        return;
    // Dropped before the port goes, so the output never stays frozen on its last level.
    m_monitor->setRts(false);
    m_monitor.reset();
}

// ---- Type 7: the text protocol --------------------------------------------------------------------

// The text protocol's replies are not kept: the status line must not go on showing the bytes of
// an earlier NUVA exchange.
bool NuvaSession::runQs40(bool (*operation)(Qs40Context&, std::uint8_t), Progress* progress) {
    m_lastReceived.clear();
    Qs40Context ctx(m_ports, m_typePort, m_qs40, progress);
    const bool ok = operation(ctx, kTextProtocolType);
    takeLineFailure(ctx);
    return ok;
}

NuvaSession::ReadResult NuvaSession::readQs40() {
    ReadResult result;
    if (!runQs40(Qs40ReadSwitchPoints))
        return result;
    auto word = [](std::int32_t v) { return static_cast<std::uint16_t>(std::clamp(v, 0, 0xFFFF)); };
    for (std::size_t n = 1; n <= kNuvaHysteresisCount; ++n) {
        result.values.points[n - 1] = word(m_qs40.SwitchL[n]);
        result.values.hysteresis[n - 1] = word(m_qs40.SwitchH[n]);
    }
    result.pointCount = kNuvaHysteresisCount; // the "Gerade" field only
    result.ok = true;
    return result;
}

NuvaSession::WriteResult NuvaSession::writeQs40(const std::array<long long, kNuvaSwitchPointCount>& points,
                                                const std::array<long long, kNuvaHysteresisCount>& hysteresis,
                                                Progress* progress, bool storeAfterwards) {
    WriteResult result;
    for (std::size_t n = 1; n <= kNuvaHysteresisCount; ++n) {
        if (points[n - 1] < 0 || points[n - 1] > 0xFFFF || hysteresis[n - 1] < 0 ||
            hysteresis[n - 1] > 0xFFFF) {
            result.errors = 1;
            return result;
        }
        m_qs40.SwitchL[n] = static_cast<std::int32_t>(points[n - 1]);
        m_qs40.SwitchH[n] = static_cast<std::int32_t>(hysteresis[n - 1]);
    }
    if (!runQs40(Qs40WriteSwitchPoints, progress))
        result.errors = 1;
    if (result.transferred() && storeAfterwards)
        result.stored = store();
    return result;
}

std::optional<std::array<long long, kNuvaLimitCount>> NuvaSession::readLimitsQs40() {
    m_lastReceived.clear();
    Qs40Context ctx(m_ports, m_typePort, m_qs40);
    bool ok = Qs40Unlock(ctx, kTextProtocolType);
    if (ok) {
        ok = Qs40ReadLimits(ctx, kTextProtocolType);
        Qs40DrainReply(ctx);
    }
    Qs40Restart(ctx, kTextProtocolType);
    takeLineFailure(ctx);
    if (!ok)
        return std::nullopt;
    std::array<long long, kNuvaLimitCount> out{};
    out[kMetallLimitSlots[0]] = m_qs40.LimitEN;
    out[kMetallLimitSlots[1]] = m_qs40.LimitEF;
    out[kMetallLimitSlots[2]] = m_qs40.LimitDT;
    out[kMetallLimitSlots[3]] = m_qs40.LimitND;
    return out;
}

NuvaSession::LimitWrite NuvaSession::writeLimitsQs40(const std::array<long long, kNuvaLimitCount>& values) {
    LimitWrite result;
    auto int32 = [](long long v) {
        return static_cast<std::int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
    };
    m_qs40.LimitEN = int32(values[kMetallLimitSlots[0]]);
    m_qs40.LimitEF = int32(values[kMetallLimitSlots[1]]);
    m_qs40.LimitDT = int32(values[kMetallLimitSlots[2]]);
    m_qs40.LimitND = int32(values[kMetallLimitSlots[3]]);
    m_lastReceived.clear();
    Qs40Context ctx(m_ports, m_typePort, m_qs40);
    const bool unlocked = Qs40Unlock(ctx, kTextProtocolType);
    Qs40DrainReply(ctx);
    if (unlocked) {
        const bool written = Qs40WriteLimits(ctx, kTextProtocolType);
        Qs40DrainReply(ctx);
        result.stored = written && Qs40StoreEeprom(ctx, kTextProtocolType);
        Qs40DrainReply(ctx);
        Qs40Restart(ctx, kTextProtocolType);
        result.ok = written && result.stored;
    }
    takeLineFailure(ctx);
    return result;
}
