#pragma once
// A serial line behind the PosixSystem seam, with a clock of its own: time moves only when
// the device sleeps or waits in poll. Every call is logged with the moment it was made, so
// tests can check the order and timing of what the device asks of the driver. The driver
// behaves like a USB adapter's: tcdrain returns at once.
#include "PosixSystem.h"
#include "SerialDevice.h"
#include "Termios2.h"

#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

class FakePosixSystem : public PosixSystem {
public:
    struct Call {
        std::int64_t atUs;
        std::string what;
    };
    static constexpr int kFd = 7;

    // What the driver can do and holds.
    bool rs485Supported = true;
    serial_rs485 rs485{};
    bool countersSupported = true;
    serial_icounter_struct counters{};
    bool serialSupported = true;
    int serialFlags = 0;
    std::uint32_t unreachableRate = 0; // this custom rate comes back as...
    std::uint32_t nearestRate = 0;     // ...this one
    std::int64_t outqByteUs = 0;       // > 0: the output queue drains one byte per this
    bool outqStuck = false;            // the output queue never drains
    bool hungUp = false;
    std::string lockDir; // where lock files go; none when empty

    termios tio{};
    std::uint32_t customRate = 0;
    int modemLines = 0;
    std::vector<std::uint8_t> written;
    std::vector<Call> calls;
    std::int64_t now = 1'000'000;

    FakePosixSystem() {
        tio.c_cflag = CS8 | CREAD | CLOCAL;
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
    }

    // Raw bytes the driver will have at `atUs` after now.
    void arrive(std::int64_t inUs, std::vector<std::uint8_t> bytes) {
        m_arrivals.push_back({now + inUs, bytes});
    }
    // The calls logged since `fromIndex` whose text starts with `prefix`.
    std::vector<Call> callsStarting(const std::string& prefix, std::size_t fromIndex = 0) const {
        std::vector<Call> out;
        for (std::size_t i = fromIndex; i < calls.size(); ++i)
            if (calls[i].what.rfind(prefix, 0) == 0)
                out.push_back(calls[i]);
        return out;
    }
    std::vector<std::string> callNames(std::size_t fromIndex = 0) const {
        std::vector<std::string> out;
        for (std::size_t i = fromIndex; i < calls.size(); ++i)
            out.push_back(calls[i].what);
        return out;
    }

    int open(const char*, int) override { return log("open"), kFd; }
    int close(int) override { return log("close"), 0; }
    ssize_t read(int, void* buf, std::size_t count) override {
        log("read");
        if (hungUp)
            return fail(EIO);
        collectArrivals();
        if (m_inbox.empty())
            return fail(EAGAIN);
        const std::size_t n = std::min(count, m_inbox.size());
        std::copy_n(m_inbox.begin(), n, static_cast<std::uint8_t*>(buf));
        m_inbox.erase(m_inbox.begin(), m_inbox.begin() + static_cast<std::ptrdiff_t>(n));
        return static_cast<ssize_t>(n);
    }
    ssize_t write(int, const void* buf, std::size_t count) override {
        log("write " + std::to_string(count));
        const auto* b = static_cast<const std::uint8_t*>(buf);
        written.insert(written.end(), b, b + count);
        m_outq = static_cast<int>(queued() + count);
        m_outqSince = now;
        return static_cast<ssize_t>(count);
    }
    int poll(pollfd* fds, nfds_t, int timeoutMs) override {
        log("poll " + std::to_string(timeoutMs));
        fds->revents = 0;
        if (fds->events & POLLOUT)
            return fds->revents = POLLOUT, 1;
        if (hungUp)
            return fds->revents = POLLHUP, 1;
        collectArrivals();
        if (m_inbox.empty() && !m_arrivals.empty() &&
            (timeoutMs < 0 || m_arrivals.front().atUs <= now + std::int64_t(timeoutMs) * 1000)) {
            now = std::max(now, m_arrivals.front().atUs);
            collectArrivals();
        }
        if (!m_inbox.empty())
            return fds->revents = POLLIN, 1;
        now += std::int64_t(std::max(timeoutMs, 0)) * 1000;
        return 0;
    }
    int ioctl(int, unsigned long request, void* arg) override {
        switch (request) {
        case TIOCMBIS:
        case TIOCMBIC: {
            const int bits = *static_cast<int*>(arg);
            log(std::string(request == TIOCMBIS ? "raise" : "lower") + (bits & TIOCM_RTS ? " RTS" : "") +
                (bits & TIOCM_DTR ? " DTR" : ""));
            modemLines = request == TIOCMBIS ? modemLines | bits : modemLines & ~bits;
            return 0;
        }
        case TIOCGRS485:
        case TIOCSRS485:
            log(request == TIOCGRS485 ? "get rs485" : "set rs485");
            if (!rs485Supported)
                return fail(ENOTTY);
            if (request == TIOCGRS485)
                *static_cast<serial_rs485*>(arg) = rs485;
            else
                rs485 = *static_cast<serial_rs485*>(arg);
            return 0;
        case TIOCGSERIAL:
        case TIOCSSERIAL:
            log(request == TIOCGSERIAL ? "get serial" : "set serial");
            if (!serialSupported)
                return fail(ENOTTY);
            if (request == TIOCGSERIAL)
                static_cast<serial_struct*>(arg)->flags = serialFlags;
            else
                serialFlags = static_cast<serial_struct*>(arg)->flags;
            return 0;
        case TIOCGICOUNT:
            if (!countersSupported)
                return fail(ENOTTY);
            *static_cast<serial_icounter_struct*>(arg) = counters;
            return 0;
        case TIOCOUTQ:
            *static_cast<int*>(arg) = static_cast<int>(queued());
            return 0;
        case TIOCEXCL:
        case TIOCNXCL:
            return log(request == TIOCEXCL ? "exclusive" : "not exclusive"), 0;
        default:
            if (request == Termios2::getRequest()) {
                Termios2::setRate(*static_cast<Termios2::Buffer*>(arg), customRate);
                return 0;
            }
            if (request == Termios2::setRequest()) {
                customRate = Termios2::outputRate(*static_cast<Termios2::Buffer*>(arg));
                if (customRate == unreachableRate)
                    customRate = nearestRate;
                log("set rate " + std::to_string(customRate));
                return 0;
            }
            return fail(ENOTTY);
        }
    }
    int tcgetattr(int, termios* t) override { return *t = tio, 0; }
    int tcsetattr(int, int, const termios* t) override {
        log("tcsetattr");
        tio = *t;
        return 0;
    }
    int tcdrain(int) override { return log("tcdrain"), 0; }
    int tcflush(int, int queue) override {
        log(queue == TCIFLUSH ? "flush rx" : queue == TCOFLUSH ? "flush tx" : "flush rx+tx");
        if (queue != TCOFLUSH) {
            collectArrivals();
            m_inbox.clear();
        }
        if (queue != TCIFLUSH)
            m_outq = 0;
        return 0;
    }
    int flock(int, int) override { return 0; }
    std::int64_t nowUs() override { return now; }
    void sleepUs(std::int64_t us) override {
        log("sleep " + std::to_string(us));
        now += us;
    }
    std::string realPath(const std::string& path) override { return path; }
    std::string lockDirectory() override { return lockDir; }

    Parity parity() const {
        if (!(tio.c_cflag & PARENB))
            return Parity::None;
        if (tio.c_cflag & CMSPAR)
            return tio.c_cflag & PARODD ? Parity::Mark : Parity::Space;
        return tio.c_cflag & PARODD ? Parity::Odd : Parity::Even;
    }

private:
    struct Arrival {
        std::int64_t atUs;
        std::vector<std::uint8_t> bytes;
    };
    void log(std::string what) { calls.push_back({now, std::move(what)}); }
    int fail(int e) {
        errno = e;
        return -1;
    }
    void collectArrivals() {
        while (!m_arrivals.empty() && m_arrivals.front().atUs <= now) {
            m_inbox.insert(m_inbox.end(), m_arrivals.front().bytes.begin(), m_arrivals.front().bytes.end());
            m_arrivals.pop_front();
        }
    }
    std::size_t queued() const {
        if (outqStuck || outqByteUs == 0)
            return outqStuck ? static_cast<std::size_t>(m_outq) : 0;
        const std::int64_t gone = (now - m_outqSince) / outqByteUs;
        return static_cast<std::size_t>(std::max<std::int64_t>(m_outq - gone, 0));
    }

    std::deque<Arrival> m_arrivals;
    std::vector<std::uint8_t> m_inbox;
    int m_outq = 0;
    std::int64_t m_outqSince = 0;
};
