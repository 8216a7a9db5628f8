#pragma once
// The ports as --verbose shows them: every device opened through this provider writes the
// bytes sent ("->") and received ("<-") to a stream, in hexadecimal. The QS40 protocols send and
// read byte by byte, so the bytes of one direction are gathered into one line until the
// direction changes, the line is emptied or its setting changes.
#include "DeviceProvider.h"

#include <ostream>

class TracingProvider : public DeviceProvider {
public:
    TracingProvider(DeviceProvider& inner, std::ostream& trace) : m_inner(inner), m_trace(trace) {}
    OpenResult open(int comNumber) override;
    std::string describe(int comNumber) const override { return m_inner.describe(comNumber); }

private:
    DeviceProvider& m_inner;
    std::ostream& m_trace;
};
