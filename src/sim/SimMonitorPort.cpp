#include "SimMonitorPort.h"

class SimMonitorPort::Line : public SimulatedLine {
public:
    Line(Clock& clock, SimMonitorPort& port, std::shared_ptr<void> keepAlive)
        : SimulatedLine(&clock), m_port(port), m_keepAlive(std::move(keepAlive)) {
        m_port.m_open = true;
        m_port.m_rts = false;
    }
    ~Line() override {
        m_port.m_open = false;
        m_port.m_rts = false;
    }
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    void setRts(bool on) override {
        SimulatedLine::setRts(on);
        m_port.m_rts = on;
    }

private:
    SimMonitorPort& m_port;
    std::shared_ptr<void> m_keepAlive;
};

std::unique_ptr<SimulatedLine> SimMonitorPort::openLine(Clock& clock, std::shared_ptr<void> keepAlive) {
    return std::make_unique<Line>(clock, *this, std::move(keepAlive));
}

std::string SimMonitorPort::describe() const {
    if (!m_open)
        return "supervision output, not open";
    return m_rts ? "supervision output, RTS on" : "supervision output, RTS off";
}
