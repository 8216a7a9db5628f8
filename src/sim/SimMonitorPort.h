#pragma once
// A plain serial port with nothing attached, as the ZYL 36 window uses for its supervision
// output: only its RTS line matters. The port remembers whether it is open and the RTS level
// the program last set, so tests and the port dialog's device line can show them.
#include "SimulatedLine.h"

#include <memory>
#include <string>

class Clock;

class SimMonitorPort {
public:
    // A line for one opening; it reports RTS changes and its closing to this port, which must
    // outlive it. `keepAlive` lives as long as the line (the demo's busy token).
    std::unique_ptr<SimulatedLine> openLine(Clock& clock, std::shared_ptr<void> keepAlive = {});

    bool isOpen() const { return m_open; }
    bool rts() const { return m_rts; }
    // "supervision output, RTS on" / "RTS off" while open, "supervision output, not open" else.
    std::string describe() const;

private:
    class Line;
    bool m_open = false;
    bool m_rts = false;
};
