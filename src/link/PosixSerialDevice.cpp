#include "PosixSerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#if __has_include(<linux/serial.h>)
#include <linux/serial.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using SteadyClock = std::chrono::steady_clock;

std::int64_t msSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

bool speedFor(std::uint32_t baud, speed_t& speed) {
    static constexpr struct {
        std::uint32_t baud;
        speed_t speed;
    } kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},     {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B921600
        {921600, B921600},
#endif
    };
    for (const auto& s : kSpeeds) {
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    }
    return false;
}

// Pseudo-terminals accept every line setting but always carry 8 bits without parity, so
// what they report back cannot be used to check a setting.
bool isPseudoTerminal(const std::string& path) {
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return false;
    const std::string real(resolved);
    return real.rfind("/dev/pts/", 0) == 0 || real.rfind("/dev/ttys", 0) == 0;
}

// Bits of c_cflag that make up the frame format.
constexpr tcflag_t kFrameBits = CSIZE | PARENB | PARODD | CSTOPB
#ifdef CMSPAR
                                | CMSPAR
#endif
    ;

bool deviceGone(int errorNumber) {
    return errorNumber == EIO || errorNumber == ENXIO || errorNumber == ENODEV;
}

} // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::open(const std::string& path, int& errorNumber) {
    errorNumber = 0;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorNumber = errno;
        return nullptr;
    }
    const auto refuse = [&](int e) {
        ::close(fd);
        errorNumber = e;
        return nullptr;
    };
    if (!::isatty(fd))
        return refuse(ENOTTY);
    // The lock keeps out every other opener, including root, for whom TIOCEXCL does not count.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? EBUSY : errno);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return refuse(errno);
    termios original{};
    if (::tcgetattr(fd, &original) != 0)
        return refuse(errno);

    std::unique_ptr<PosixSerialDevice> device(
        new PosixSerialDevice(fd, path, original, isPseudoTerminal(path)));
    if (!device->applySettings(LineSettings{})) {
        errorNumber = EINVAL;
        return nullptr;
    }
    return device;
}

PosixSerialDevice::PosixSerialDevice(int fd, std::string path, const termios& original, bool pseudoTerminal)
    : m_fd(fd), m_path(std::move(path)), m_original(original), m_pseudoTerminal(pseudoTerminal) {}

PosixSerialDevice::~PosixSerialDevice() {
    if (m_driverToggle)
        setDriverToggle(false);
    ::tcsetattr(m_fd, TCSANOW, &m_original);
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

void PosixSerialDevice::fail(const std::string& what, int errorNumber) {
    if (deviceGone(errorNumber))
        m_lastError = m_path + ": the device is no longer there (unplugged?): " + std::strerror(errorNumber);
    else
        m_lastError = m_path + ": " + what + " failed: " + std::strerror(errorNumber);
}

bool PosixSerialDevice::fetchAvailable(std::size_t wanted) {
    std::uint8_t raw[512];
    while (m_pending.size() < wanted) {
        const std::size_t ask = std::min(sizeof raw, wanted - m_pending.size());
        const ssize_t r = ::read(m_fd, raw, ask);
        if (r > 0) {
            m_decoder.decode(raw, static_cast<std::size_t>(r), m_pending);
            if (static_cast<std::size_t>(r) < ask)
                break; // the driver has nothing more right now
            continue;
        }
        if (r == 0) { // with VMIN 1 an empty non-blocking read says EAGAIN; 0 is a hang-up
            fail("reading", EIO);
            return false;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        fail("reading", errno);
        return false;
    }
    return true;
}

std::size_t PosixSerialDevice::read(std::uint8_t* buf, std::size_t max) {
    if (max == 0)
        return 0;
    const Timeouts& t = m_timeouts;
    const bool noTotal = t.readTotalConstantMs == 0 && t.readTotalMultiplierMs == 0;
    // All zero (or the Windows "interval MAXDWORD, rest 0") means: what is there, at once.
    const bool atOnce =
        noTotal && (t.readIntervalMs == 0 || t.readIntervalMs == std::numeric_limits<std::uint32_t>::max());
    const std::int64_t total = static_cast<std::int64_t>(t.readTotalConstantMs) +
                               static_cast<std::int64_t>(t.readTotalMultiplierMs) *
                                   static_cast<std::int64_t>(std::min<std::size_t>(max, INT32_MAX));
    const auto start = SteadyClock::now();
    auto lastArrival = start;
    std::size_t n = 0;
    for (;;) {
        const std::size_t before = m_pending.size();
        const bool alive = fetchAvailable(max - n);
        if (m_pending.size() > before)
            lastArrival = SteadyClock::now();
        const std::size_t take = std::min(m_pending.size(), max - n);
        std::copy_n(m_pending.begin(), take, buf + n);
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(take));
        n += take;
        if (n == max || atOnce || !alive)
            return n;

        std::int64_t waitMs = -1; // no limit
        if (!noTotal) {
            const std::int64_t left = total - msSince(start);
            if (left <= 0)
                return n;
            waitMs = left;
        }
        if (n > 0 && t.readIntervalMs > 0) {
            const std::int64_t left = static_cast<std::int64_t>(t.readIntervalMs) - msSince(lastArrival);
            if (left <= 0)
                return n;
            waitMs = waitMs < 0 ? left : std::min(waitMs, left);
        }
        pollfd p{m_fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(waitMs, INT_MAX)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            fail("waiting for data", errno);
            return n;
        }
        if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            fail("reading", EIO);
            return n;
        }
    }
}

std::size_t PosixSerialDevice::writeAll(const std::uint8_t* data, std::size_t count) {
    const std::int64_t limit = static_cast<std::int64_t>(m_timeouts.writeTotalConstantMs) +
                               static_cast<std::int64_t>(m_timeouts.writeTotalMultiplierMs) *
                                   static_cast<std::int64_t>(std::min<std::size_t>(count, INT32_MAX));
    const auto start = SteadyClock::now();
    std::size_t done = 0;
    while (done < count) {
        const ssize_t r = ::write(m_fd, data + done, count - done);
        if (r > 0) {
            done += static_cast<std::size_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            fail("writing", errno);
            break;
        }
        int waitMs = -1;
        if (limit > 0) {
            const std::int64_t left = limit - msSince(start);
            if (left <= 0)
                break; // write time-out: report what went out
            waitMs = static_cast<int>(std::min<std::int64_t>(left, INT_MAX));
        }
        pollfd p{m_fd, POLLOUT, 0};
        const int pr = ::poll(&p, 1, waitMs);
        if (pr < 0 && errno != EINTR) {
            fail("writing", errno);
            break;
        }
        if (pr > 0 && !(p.revents & POLLOUT) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            fail("writing", EIO);
            break;
        }
    }
    return done;
}

std::size_t PosixSerialDevice::write(const std::uint8_t* data, std::size_t count) {
    if (count == 0)
        return 0;
    if (!m_manualToggle)
        return writeAll(data, count);
    // RS-485 converter without driver support: transmit direction only while our bytes
    // are on the wire, so the sensor's reply is not talked over.
    setModemLine(TIOCM_RTS, true);
    const std::size_t done = writeAll(data, count);
    waitTransmitEmpty();
    setModemLine(TIOCM_RTS, false);
    return done;
}

void PosixSerialDevice::purge(bool rx, bool tx) {
    if (rx && tx)
        ::tcflush(m_fd, TCIOFLUSH);
    else if (rx)
        ::tcflush(m_fd, TCIFLUSH);
    else if (tx)
        ::tcflush(m_fd, TCOFLUSH);
    if (rx) {
        m_pending.clear();
        m_decoder.reset();
    }
}

bool PosixSerialDevice::applySettings(const LineSettings& s) {
    speed_t speed = 0;
    if (!speedFor(s.baud, speed))
        return false;
    tcflag_t size = 0;
    switch (s.dataBits) {
    case 5:
        size = CS5;
        break;
    case 6:
        size = CS6;
        break;
    case 7:
        size = CS7;
        break;
    case 8:
        size = CS8;
        break;
    default:
        return false;
    }
    // A UART sends one and a half stop bits only with 5 data bits, and never two with 5.
    const bool fiveBits = s.dataBits == 5;
    if ((s.stopBits == StopBits::OneAndHalf && !fiveBits) || (s.stopBits == StopBits::Two && fiveBits))
        return false;

    termios old{};
    if (::tcgetattr(m_fd, &old) != 0) {
        fail("reading the line setting", errno);
        return false;
    }
    termios tio = old;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | ISTRIP | IXON | IXOFF | IXANY);
    tio.c_iflag |= INPCK | PARMRK; // report parity and framing errors in band
    tio.c_cflag &= ~static_cast<tcflag_t>(kFrameBits | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | size;
    switch (s.parity) {
    case Parity::None:
        break;
    case Parity::Odd:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case Parity::Even:
        tio.c_cflag |= PARENB;
        break;
#ifdef CMSPAR
    case Parity::Mark:
        tio.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case Parity::Space:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
#endif
    default:
        return false; // no stick parity on this system
    }
    if (s.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB; // with 5 data bits the UART makes that one and a half
    tio.c_cc[VMIN] = 1;        // with O_NONBLOCK: an empty read says EAGAIN, 0 means hang-up
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        ::tcsetattr(m_fd, TCSANOW, &old);
        return false;
    }
    // Drivers drop what they cannot do (stick parity, odd rates) and still report success.
    termios now{};
    if (!m_pseudoTerminal && (::tcgetattr(m_fd, &now) != 0 || ::cfgetospeed(&now) != speed ||
                              (now.c_cflag & kFrameBits) != (tio.c_cflag & kFrameBits))) {
        ::tcsetattr(m_fd, TCSANOW, &old);
        return false;
    }

    switch (s.rts) {
    case RtsControl::Enable:
    case RtsControl::Disable:
        if (m_driverToggle)
            setDriverToggle(false);
        m_driverToggle = m_manualToggle = false;
        setModemLine(TIOCM_RTS, s.rts == RtsControl::Enable);
        break;
    case RtsControl::Toggle:
        m_driverToggle = m_driverToggle || setDriverToggle(true);
        m_manualToggle = !m_driverToggle;
        if (m_manualToggle)
            setModemLine(TIOCM_RTS, false); // receive direction while idle
        break;
    }
    // DTR stays low until somebody raises it, as on the workstations the sensors were
    // commissioned with.
    setModemLine(TIOCM_DTR, false);
    m_settings = s;
    return true;
}

bool PosixSerialDevice::setTimeouts(const Timeouts& timeouts) {
    m_timeouts = timeouts;
    return true;
}

void PosixSerialDevice::setModemLine(int line, bool on) {
    int bits = line;
    if (::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && deviceGone(errno))
        fail("setting the handshake lines", errno);
    // Other failures (ENOTTY, EINVAL) come from pseudo-terminals and adapters without
    // handshake lines: there is nothing to switch.
}

void PosixSerialDevice::setRts(bool on) {
    // In toggle mode RTS belongs to the transmitter; raising it for good would block the
    // converter's receive direction.
    if (m_settings.rts == RtsControl::Toggle)
        return;
    setModemLine(TIOCM_RTS, on);
}

void PosixSerialDevice::setDtr(bool on) {
    setModemLine(TIOCM_DTR, on);
}

void PosixSerialDevice::waitTransmitEmpty() {
    while (::tcdrain(m_fd) != 0 && errno == EINTR) {
    }
}

bool PosixSerialDevice::setDriverToggle(bool on) {
#if defined(TIOCSRS485) && defined(TIOCGRS485) && defined(SER_RS485_ENABLED)
    serial_rs485 conf{};
    if (::ioctl(m_fd, TIOCGRS485, &conf) != 0)
        return false;
    if (on) {
        conf.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        conf.flags &= ~static_cast<decltype(conf.flags)>(SER_RS485_RTS_AFTER_SEND);
        conf.delay_rts_before_send = 0;
        conf.delay_rts_after_send = 0;
    } else {
        conf.flags &= ~static_cast<decltype(conf.flags)>(SER_RS485_ENABLED);
    }
    if (::ioctl(m_fd, TIOCSRS485, &conf) != 0)
        return false;
    // Some drivers take the call but keep their own idea of RS-485.
    serial_rs485 check{};
    if (::ioctl(m_fd, TIOCGRS485, &check) != 0)
        return false;
    return ((check.flags & SER_RS485_ENABLED) != 0) == on && (!on || (check.flags & SER_RS485_RTS_ON_SEND));
#else
    (void)on;
    return false;
#endif
}
