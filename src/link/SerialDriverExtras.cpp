#include "SerialDriverExtras.h"

#include "PosixSystem.h"

#include <sys/ioctl.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include <cstring>

#if defined(__linux__) && defined(TIOCGRS485) && defined(TIOCSRS485)
#define ZYL_HAVE_RS485 1
static_assert(sizeof(serial_rs485) == sizeof(std::array<std::uint32_t, 8>));
#endif

namespace {

#ifdef ZYL_HAVE_RS485
serial_rs485 toKernel(const std::array<std::uint32_t, 8>& conf) {
    serial_rs485 k{};
    std::memcpy(&k, conf.data(), sizeof k);
    return k;
}

std::array<std::uint32_t, 8> fromKernel(const serial_rs485& k) {
    std::array<std::uint32_t, 8> conf{};
    std::memcpy(conf.data(), &k, sizeof k);
    return conf;
}
#endif

} // namespace

void SerialDriverExtras::takeOver() {
#ifdef ZYL_HAVE_RS485
    serial_rs485 conf{};
    m_rs485Known = m_system.ioctl(m_fd, TIOCGRS485, &conf) == 0;
    if (m_rs485Known)
        m_rs485Original = fromKernel(conf);
#endif
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    // USB adapters hold received bytes until their latency timer runs out (16 ms by
    // default), longer than the gap that ends a read here. Drivers that do not know the
    // flag ignore it or refuse the call; both are fine.
    serial_struct serial{};
    if (m_system.ioctl(m_fd, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
        serial.flags |= ASYNC_LOW_LATENCY;
        if (m_system.ioctl(m_fd, TIOCSSERIAL, &serial) == 0) {
            serial_struct check{};
            m_lowLatencySet =
                m_system.ioctl(m_fd, TIOCGSERIAL, &check) == 0 && (check.flags & ASYNC_LOW_LATENCY);
        }
    }
#endif
}

void SerialDriverExtras::restore() {
    stopRtsOnSend();
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (m_lowLatencySet && m_system.ioctl(m_fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags &= ~ASYNC_LOW_LATENCY;
        m_system.ioctl(m_fd, TIOCSSERIAL, &serial);
    }
    m_lowLatencySet = false;
#endif
}

bool SerialDriverExtras::systemRs485() const {
#ifdef ZYL_HAVE_RS485
    return m_rs485Known && (m_rs485Original[0] & SER_RS485_ENABLED);
#else
    return false;
#endif
}

bool SerialDriverExtras::setRs485(const std::array<std::uint32_t, 8>& conf) {
#ifdef ZYL_HAVE_RS485
    serial_rs485 k = toKernel(conf);
    return m_system.ioctl(m_fd, TIOCSRS485, &k) == 0;
#else
    (void)conf;
    return false;
#endif
}

bool SerialDriverExtras::startRtsOnSend() {
#ifdef ZYL_HAVE_RS485
    if (!m_rs485Known)
        return false;
    if (systemRs485())
        return true; // already switching, with the installation's polarity and delays
    serial_rs485 conf = toKernel(m_rs485Original);
    conf.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    conf.flags &= ~static_cast<decltype(conf.flags)>(SER_RS485_RTS_AFTER_SEND);
    conf.delay_rts_before_send = 0;
    conf.delay_rts_after_send = 0;
    m_rs485Changed = true; // whatever the driver made of it, it is put back
    if (!setRs485(fromKernel(conf)))
        return false;
    // Some drivers take the call but keep their own idea of RS-485.
    serial_rs485 check{};
    if (m_system.ioctl(m_fd, TIOCGRS485, &check) == 0 && (check.flags & SER_RS485_ENABLED) &&
        (check.flags & SER_RS485_RTS_ON_SEND))
        return true;
    stopRtsOnSend();
    return false;
#else
    return false;
#endif
}

void SerialDriverExtras::stopRtsOnSend() {
    if (m_rs485Changed)
        setRs485(m_rs485Original);
    m_rs485Changed = false;
}

bool SerialDriverExtras::counters(LineErrorCounters& out) {
#if defined(__linux__) && defined(TIOCGICOUNT)
    serial_icounter_struct c{};
    if (m_system.ioctl(m_fd, TIOCGICOUNT, &c) != 0)
        return false;
    out.parity = static_cast<std::uint32_t>(c.parity);
    out.frame = static_cast<std::uint32_t>(c.frame);
    out.brk = static_cast<std::uint32_t>(c.brk);
    out.overrun = static_cast<std::uint32_t>(c.overrun) + static_cast<std::uint32_t>(c.buf_overrun);
    return true;
#else
    (void)out;
    return false;
#endif
}
