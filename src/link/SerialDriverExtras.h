#pragma once
// What Linux drivers of serial lines offer beyond termios: RS-485 direction switching by the
// driver, the low-latency flag of USB adapters and the line-error counters. On other systems,
// and with drivers that lack them, every call says "not available".
//
// Whatever this class changes it can put back: a port of an industrial PC with on-board
// RS-485 must be left as the system configured it, for this program's next start and for
// every other program.
#include <array>
#include <cstdint>

class PosixSystem;

struct LineErrorCounters {
    std::uint32_t parity = 0;
    std::uint32_t frame = 0;
    std::uint32_t brk = 0;
    std::uint32_t overrun = 0; // of the UART and of the driver's buffer
};

class SerialDriverExtras {
public:
    SerialDriverExtras(PosixSystem& system, int fd) : m_system(system), m_fd(fd) {}

    // Notes the driver's RS-485 setting and asks for low latency. Call once after opening.
    void takeOver();
    // Puts the RS-485 setting and the latency flag back as takeOver() found them.
    void restore();

    // The system already runs the line in RS-485 mode: the driver switches RTS itself, with
    // the polarity and delays the installation needs.
    bool systemRs485() const;
    // The driver took the low-latency flag.
    bool lowLatency() const { return m_lowLatencySet; }

    // Makes the driver raise RTS while it sends (and only then); false when it will not.
    bool startRtsOnSend();
    // Back to the RS-485 setting takeOver() found.
    void stopRtsOnSend();

    bool counters(LineErrorCounters& out);

private:
    bool setRs485(const std::array<std::uint32_t, 8>& conf);

    PosixSystem& m_system;
    int m_fd;
    std::array<std::uint32_t, 8> m_rs485Original{}; // struct serial_rs485
    bool m_rs485Known = false;
    bool m_rs485Changed = false;
    bool m_lowLatencySet = false;
};
