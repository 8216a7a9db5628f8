#include "CliLink.h"

#include <cstdio>

namespace {

constexpr int kDataBits = 8;
constexpr int kParityNone = 0;
constexpr int kOneStopBit = 0;

// While measuring, a sensor may take its time to answer, but once it talks the bytes follow
// each other closely.
constexpr Timeouts kMeasurementTimeouts{4, 2, 2000, 0, 0};

std::string hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", b);
        text += buf;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

std::int16_t rtsMode(RtsControl rts) {
    switch (rts) {
    case RtsControl::Disable:
        return 1;
    case RtsControl::Toggle:
        return 2;
    case RtsControl::Enable:
        break;
    }
    return 0;
}

} // namespace

CliLink::CliLink(Schnittstelle& ports, int com, std::ostream* trace, std::function<bool()> stopRequested)
    : m_ports(ports), m_com(com), m_trace(trace), m_stopRequested(std::move(stopRequested)) {}

CliLink::~CliLink() {
    m_ports.ClosePort(m_com);
}

CliLink::OpenOutcome CliLink::open(std::uint32_t baud, RtsControl rts, std::uint32_t timeoutMs) {
    m_ports.RtsMode = rtsMode(rts);
    if (!m_ports.OpenBusPort(m_com, baud, kOneStopBit, kParityNone, kDataBits, timeoutMs))
        return m_ports.isOpen(m_com) ? OpenOutcome::Refused : OpenOutcome::OpenFailed;
    if (m_ports.LineIsBusy(m_com))
        return OpenOutcome::Busy;
    m_ports.port(m_com).echoesOwnBytes = m_ports.EchoTest(m_com);
    return OpenOutcome::Ok;
}

std::string CliLink::openError() const {
    return m_ports.lastOpenError();
}

const LinkReason& CliLink::openReason() const {
    return m_ports.lastOpenReason();
}

bool CliLink::echoes() const {
    return m_ports.port(m_com).echoesOwnBytes;
}

bool CliLink::probe(std::uint8_t address) {
    if (!transact(PlainRequest(address, 'A')).dataOk)
        return false;
    return !transact(PlainRequest(address, 'v')).dataOk;
}

void CliLink::useMeasurementTimeouts() {
    if (SerialDevice* dev = m_ports.device(m_com))
        dev->setTimeouts(kMeasurementTimeouts);
}

Qd20Result CliLink::transact(const Qd20Request& request) {
    SerialDevice* dev = m_ports.device(m_com);
    if (!dev || (m_stopRequested && m_stopRequested()) || !m_deviceError.empty())
        return {};
    if (m_trace)
        *m_trace << "-> " << hex(BuildFrame(request)) << '\n';
    Qd20Result result = Qd20Transact(*dev, echoes(), m_ports.clock(), m_ports.port(m_com).history, request);
    if (m_trace) {
        *m_trace << "<- " << (result.statusHex.empty() ? std::string("no data") : result.statusHex)
                 << (result.dataOk ? "" : "  (not accepted)") << '\n';
        if (!result.deviceError.empty())
            *m_trace << "   " << result.deviceError << '\n';
    }
    m_deviceError = result.deviceError;
    if (!m_deviceError.empty())
        m_deviceReason = dev->lastErrorReason();
    return result;
}

Qd20Sender CliLink::sender() {
    return [this](const Qd20Request& request) { return transact(request).dataOk; };
}
