#pragma once
// zylctl's connection to one ZYL24 bus: the port opened and checked as the window's search
// opens it, the probe that tells a ZYL24 from other devices, and the exchanges.
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Schnittstelle.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

class CliLink {
public:
    enum class OpenOutcome {
        Ok,
        OpenFailed, // no such device, no permission, busy with another program...
        Refused,    // the driver refused the line setting
        Busy,       // something on the line sends unasked
    };

    // `trace`, when given, receives every request and what came back. Once `stopRequested`
    // says so, nothing more is sent.
    CliLink(Schnittstelle& ports, int com, std::ostream* trace, std::function<bool()> stopRequested = {});
    ~CliLink();
    CliLink(const CliLink&) = delete;
    CliLink& operator=(const CliLink&) = delete;

    // 8 data bits, no parity, one stop bit, the given baud rate and RTS handling, the read
    // time-out constant for finding the sensor; then the busy test and the echo test, which
    // decides whether every byte sent comes back and has to be discarded.
    OpenOutcome open(std::uint32_t baud, RtsControl rts, std::uint32_t timeoutMs);
    // Why the port could not be opened (OpenFailed), as the port layer put it.
    std::string openError() const;
    // The same as a code with its details.
    const LinkReason& openReason() const;
    bool echoes() const;

    // A ZYL24 answers 'A' and stays silent to 'v'; a device answering both is something else.
    bool probe(std::uint8_t address);
    // Once a sensor is known the exchanges get the long time-outs of measuring.
    void useMeasurementTimeouts();

    Qd20Result transact(const Qd20Request& request);
    Qd20Sender sender();
    // The port's reason once the device itself failed (a pulled adapter); empty before.
    const std::string& deviceError() const { return m_deviceError; }
    // The same as a code with its details.
    const LinkReason& deviceReason() const { return m_deviceReason; }

private:
    Schnittstelle& m_ports;
    int m_com;
    std::ostream* m_trace;
    std::function<bool()> m_stopRequested;
    std::string m_deviceError;
    LinkReason m_deviceReason;
};
