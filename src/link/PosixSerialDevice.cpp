#include "PosixSerialDevice.h"

#include "Termios2.h"
#include "WireTime.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t kMaxDword = std::numeric_limits<std::uint32_t>::max();
// After a purge, input counts as settled once the line was quiet for two characters plus
// this: what a USB adapter with low latency may still hold arrives within it.
constexpr std::int64_t kAdapterSlackUs = 5'000;
// A line that never falls quiet (a sensor streaming) must not hold a purge for long.
constexpr std::int64_t kSettleLimitUs = 100'000;
// Closing waits this long beyond the wire time of what is queued when no write time-out
// bounds it.
constexpr std::int64_t kCloseMarginUs = 100'000;

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
bool isPseudoTerminal(const std::string& real) {
    return real.rfind("/dev/pts/", 0) == 0 || real.rfind("/dev/ttys", 0) == 0;
}

constexpr tcflag_t kParityBits = PARENB | PARODD
#ifdef CMSPAR
                                 | CMSPAR
#endif
    ;
// Bits of c_cflag that make up the frame format.
constexpr tcflag_t kFrameBits = CSIZE | CSTOPB | kParityBits;

bool addParityBits(Parity parity, tcflag_t& cflag) {
    switch (parity) {
    case Parity::None:
        return true;
    case Parity::Odd:
        cflag |= PARENB | PARODD;
        return true;
    case Parity::Even:
        cflag |= PARENB;
        return true;
#ifdef CMSPAR
    case Parity::Mark:
        cflag |= PARENB | CMSPAR | PARODD;
        return true;
    case Parity::Space:
        cflag |= PARENB | CMSPAR;
        return true;
#endif
    default:
        return false; // no stick parity on this system
    }
}

bool deviceGone(int errorNumber) {
    return errorNumber == EIO || errorNumber == ENXIO || errorNumber == ENODEV;
}

int msCeil(std::int64_t us) {
    return static_cast<int>(std::min<std::int64_t>((us + 999) / 1000, INT_MAX));
}

// Rates outside the B-constants come out of a divisor; a UART copes with 2 % off.
bool closeEnough(std::uint32_t got, std::uint32_t wanted) {
    const std::int64_t diff = static_cast<std::int64_t>(got) - static_cast<std::int64_t>(wanted);
    return (diff < 0 ? -diff : diff) * 50 <= static_cast<std::int64_t>(wanted);
}

} // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::open(const std::string& path, int& errorNumber) {
    return open(path, errorNumber, PosixSystem::native());
}

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::open(const std::string& path, int& errorNumber,
                                                           PosixSystem& system) {
    errorNumber = 0;
    const std::string real = system.realPath(path);
    // Terminal programs announce a line they use with a lock file; honour theirs, leave ours.
    UucpLock lock;
    if (const int e = lock.acquire(system.lockDirectory(), real); e != 0) {
        errorNumber = e;
        return nullptr;
    }
    const int fd = system.open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        errorNumber = errno;
        return nullptr;
    }
    const auto refuse = [&](int e) {
        system.close(fd);
        errorNumber = e;
        return nullptr;
    };
    termios original{};
    if (system.tcgetattr(fd, &original) != 0)
        return refuse(errno == EINVAL ? ENOTTY : errno);
    // The lock keeps out every other opener, including root, for whom TIOCEXCL does not count.
    if (system.flock(fd, LOCK_EX | LOCK_NB) != 0)
        return refuse(errno == EWOULDBLOCK ? EBUSY : errno);
    if (system.ioctl(fd, TIOCEXCL, nullptr) != 0)
        return refuse(errno);

    std::unique_ptr<PosixSerialDevice> device(
        new PosixSerialDevice(system, fd, path, original, isPseudoTerminal(real)));
    device->m_lock = std::move(lock);
    device->m_extras.takeOver();
    device->m_extras.counters(device->m_countersSeen);
    if (!device->applySettings(LineSettings{})) {
        errorNumber = EINVAL;
        return nullptr;
    }
    return device;
}

PosixSerialDevice::PosixSerialDevice(PosixSystem& system, int fd, std::string path, const termios& original,
                                     bool pseudoTerminal)
    : m_system(system), m_fd(fd), m_path(std::move(path)), m_original(original),
      m_pseudoTerminal(pseudoTerminal), m_extras(system, fd) {}

PosixSerialDevice::~PosixSerialDevice() {
    if (!usable())
        return; // closed when the device went away
    drainBeforeClose();
    m_extras.restore();
    m_system.tcsetattr(m_fd, TCSANOW, &m_original);
    m_system.ioctl(m_fd, TIOCNXCL, nullptr);
    m_system.close(m_fd);
}

void PosixSerialDevice::drainBeforeClose() {
    // A command written just before closing must leave at the setting it was written with.
    int queued = 0;
    if (m_system.ioctl(m_fd, TIOCOUTQ, &queued) != 0)
        queued = 0;
    const auto pending = static_cast<std::size_t>(std::max(queued, 0));
    std::int64_t boundUs =
        (static_cast<std::int64_t>(m_timeouts.writeTotalConstantMs) +
         static_cast<std::int64_t>(m_timeouts.writeTotalMultiplierMs) * static_cast<std::int64_t>(pending)) *
        1000;
    if (boundUs == 0)
        boundUs = 2 * wireTimeUs(m_settings, pending) + kCloseMarginUs;
    const std::int64_t deadline = m_system.nowUs() + boundUs;
    while (queued > 0) {
        const std::int64_t left = deadline - m_system.nowUs();
        if (left <= 0)
            break;
        m_system.sleepUs(std::clamp<std::int64_t>(wireTimeUs(m_settings, static_cast<std::size_t>(queued)),
                                                  500, std::min<std::int64_t>(left, 10'000)));
        if (m_system.ioctl(m_fd, TIOCOUTQ, &queued) != 0)
            queued = 0;
    }
    if (queued > 0) {
        // Whatever the line would not take: dropped, or closing would wait for it.
        m_system.tcflush(m_fd, TCOFLUSH);
        return;
    }
    waitUntilUs(std::min(m_wireFreeAtUs + wireTimeUs(m_settings, 1), deadline));
}

void PosixSerialDevice::fail(const std::string& what, int errorNumber) {
    const bool gone = deviceGone(errorNumber);
    m_lastReason = LinkReason::transferFailure(m_path, what, gone, std::strerror(errorNumber));
    m_lastError = m_lastReason.english();
    // Let go at once: while the file stays open the kernel gives a re-plugged adapter another
    // name, and the next open of this one would fail.
    if (gone && usable()) {
        m_system.close(m_fd);
        m_fd = -1;
        m_lock.release();
    }
}

bool PosixSerialDevice::fetchAvailable(std::size_t wanted) {
    std::uint8_t raw[512];
    while (usable() && m_pending.size() < wanted) {
        const std::size_t ask = std::min(sizeof raw, wanted - m_pending.size());
        const ssize_t r = m_system.read(m_fd, raw, ask);
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
    return usable();
}

std::size_t PosixSerialDevice::read(std::uint8_t* buf, std::size_t max) {
    if (max == 0 || !usable())
        return 0;
    const Timeouts& t = m_timeouts;
    const bool noTotal = t.readTotalConstantMs == 0 && t.readTotalMultiplierMs == 0;
    // All zero, or interval MAXDWORD with no totals: what is there, at once.
    const bool atOnce = noTotal && (t.readIntervalMs == 0 || t.readIntervalMs == kMaxDword);
    // Interval and multiplier MAXDWORD: as soon as anything is there; nothing within the
    // constant is a time-out.
    const bool firstArrival = t.readIntervalMs == kMaxDword && t.readTotalMultiplierMs == kMaxDword;
    const std::int64_t totalUs =
        firstArrival ? static_cast<std::int64_t>(t.readTotalConstantMs) * 1000
                     : (static_cast<std::int64_t>(t.readTotalConstantMs) +
                        static_cast<std::int64_t>(t.readTotalMultiplierMs) *
                            static_cast<std::int64_t>(std::min<std::size_t>(max, INT32_MAX))) *
                           1000;
    const std::int64_t intervalUs = static_cast<std::int64_t>(t.readIntervalMs) * 1000;
    const std::int64_t start = m_system.nowUs();
    std::int64_t lastArrival = start;
    std::size_t n = 0;
    for (;;) {
        const std::size_t before = m_pending.size();
        const bool alive = fetchAvailable(max - n);
        if (m_pending.size() > before)
            lastArrival = m_system.nowUs();
        const std::size_t take = std::min(m_pending.size(), max - n);
        std::copy_n(m_pending.begin(), take, buf + n);
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(take));
        n += take;
        if (n > 0 && alive)
            m_lastError.clear();
        if (n == max || atOnce || !alive || (firstArrival && n > 0))
            return n;

        std::int64_t waitUs = -1; // no limit
        const std::int64_t now = m_system.nowUs();
        if (!noTotal) {
            const std::int64_t left = totalUs - (now - start);
            if (left <= 0)
                return n;
            waitUs = left;
        }
        if (n > 0 && intervalUs > 0) {
            const std::int64_t left = intervalUs - (now - lastArrival);
            if (left <= 0)
                return n;
            waitUs = waitUs < 0 ? left : std::min(waitUs, left);
        }
        pollfd p{m_fd, POLLIN, 0};
        const int r = m_system.poll(&p, 1, waitUs < 0 ? -1 : msCeil(waitUs));
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
    const std::int64_t limitUs = (static_cast<std::int64_t>(m_timeouts.writeTotalConstantMs) +
                                  static_cast<std::int64_t>(m_timeouts.writeTotalMultiplierMs) *
                                      static_cast<std::int64_t>(std::min<std::size_t>(count, INT32_MAX))) *
                                 1000;
    const std::int64_t start = m_system.nowUs();
    std::size_t done = 0;
    while (done < count && usable()) {
        const ssize_t r = m_system.write(m_fd, data + done, count - done);
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
        if (limitUs > 0) {
            const std::int64_t left = limitUs - (m_system.nowUs() - start);
            if (left <= 0)
                break; // write time-out: report what went out
            waitMs = msCeil(left);
        }
        pollfd p{m_fd, POLLOUT, 0};
        const int pr = m_system.poll(&p, 1, waitMs);
        if (pr < 0 && errno != EINTR) {
            fail("writing", errno);
            break;
        }
        if (pr > 0 && !(p.revents & POLLOUT) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            fail("writing", EIO);
            break;
        }
    }
    // The bytes queue behind what is still on its way out.
    if (done > 0)
        m_wireFreeAtUs = std::max(start, m_wireFreeAtUs) + wireTimeUs(m_settings, done);
    return done;
}

std::size_t PosixSerialDevice::write(const std::uint8_t* data, std::size_t count) {
    if (count == 0 || !usable())
        return 0;
    if (!m_manualToggle) {
        const std::size_t done = writeAll(data, count);
        if (done == count)
            m_lastError.clear();
        return done;
    }
    // RS-485 converter without driver support: transmit direction only while our bytes
    // are on the wire, so the sensor's reply is not talked over. The drain alone is not
    // enough: many USB adapters report it while the bytes are still in the chip.
    setModemLine(TIOCM_RTS, true);
    const std::size_t done = writeAll(data, count);
    waitTransmitEmpty();
    setModemLine(TIOCM_RTS, false);
    if (done == count && usable())
        m_lastError.clear();
    return done;
}

void PosixSerialDevice::waitTransmitEmpty() {
    if (!usable())
        return;
    while (m_system.tcdrain(m_fd) != 0) {
        if (errno == EINTR)
            continue;
        if (deviceGone(errno)) {
            fail("waiting for the transmitter", errno);
            return;
        }
        break;
    }
    waitUntilUs(m_wireFreeAtUs + wireTimeUs(m_settings, 1));
}

void PosixSerialDevice::waitUntilUs(std::int64_t deadlineUs) {
    const std::int64_t left = deadlineUs - m_system.nowUs();
    if (left > 0)
        m_system.sleepUs(left);
}

void PosixSerialDevice::purge(bool rx, bool tx) {
    if (!usable() || (!rx && !tx))
        return;
    m_system.tcflush(m_fd, rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH);
    if (!rx)
        return;
    if (!m_pseudoTerminal)
        settleInput();
    m_pending.clear();
    m_decoder.reset();
    // Errors of the bytes thrown away are not the next reply's.
    m_extras.counters(m_countersSeen);
}

void PosixSerialDevice::settleInput() {
    const std::int64_t quietUs = 2 * wireTimeUs(m_settings, 1) + kAdapterSlackUs;
    const std::int64_t start = m_system.nowUs();
    std::uint8_t junk[256];
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        if (m_system.poll(&p, 1, msCeil(quietUs)) <= 0 || !(p.revents & POLLIN))
            break;
        if (m_system.read(m_fd, junk, sizeof junk) <= 0 || m_system.nowUs() - start >= kSettleLimitUs)
            break;
    }
    m_system.tcflush(m_fd, TCIFLUSH);
}

bool PosixSerialDevice::setRate(termios& tio, std::uint32_t baud, bool& customRate) {
    speed_t speed = 0;
    customRate = !speedFor(baud, speed);
    if (!customRate) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
        return true;
    }
    // The frame goes in with the old rate; the rate follows through termios2.
    return baud > 0 && Termios2::available();
}

bool PosixSerialDevice::setTermios(const termios& wanted, const termios& old, std::uint32_t baud,
                                   bool customRate) {
    Termios2::Buffer before;
    const bool haveBefore = customRate && m_system.ioctl(m_fd, Termios2::getRequest(), &before) == 0;
    const auto undo = [&] {
        if (haveBefore)
            m_system.ioctl(m_fd, Termios2::setRequest(), &before);
        m_system.tcsetattr(m_fd, TCSANOW, &old);
        return false;
    };
    // A pseudo-terminal drops the parity bit; the C library takes a request the driver did not
    // follow for a refusal, so it is not asked for.
    termios request = wanted;
    if (m_pseudoTerminal)
        request.c_cflag &= ~static_cast<tcflag_t>(PARENB);
    if (m_system.tcsetattr(m_fd, TCSANOW, &request) != 0)
        return undo();
    if (customRate) {
        if (!haveBefore)
            return undo();
        Termios2::Buffer custom = before;
        Termios2::setRate(custom, baud);
        if (m_system.ioctl(m_fd, Termios2::setRequest(), &custom) != 0)
            return undo();
    }
    if (m_pseudoTerminal)
        return true;
    // Drivers drop what they cannot do (stick parity, odd rates) and still report success.
    termios now{};
    if (m_system.tcgetattr(m_fd, &now) != 0 || (now.c_cflag & kFrameBits) != (wanted.c_cflag & kFrameBits))
        return undo();
    if (!customRate)
        return ::cfgetospeed(&now) == ::cfgetospeed(&wanted) || undo();
    Termios2::Buffer check;
    if (m_system.ioctl(m_fd, Termios2::getRequest(), &check) != 0 ||
        !closeEnough(Termios2::outputRate(check), baud))
        return undo();
    return true;
}

bool PosixSerialDevice::applySettings(const LineSettings& s) {
    if (!usable())
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
    if (m_system.tcgetattr(m_fd, &old) != 0) {
        fail("reading the line setting", errno);
        return false;
    }
    termios tio = old;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | IGNPAR | ISTRIP | IXON | IXOFF | IXANY);
    tio.c_iflag |= INPCK | PARMRK; // report parity and framing errors in band
    tio.c_cflag &= ~static_cast<tcflag_t>(kFrameBits | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD | size;
    if (!addParityBits(s.parity, tio.c_cflag))
        return false;
    if (s.stopBits != StopBits::One)
        tio.c_cflag |= CSTOPB; // with 5 data bits the UART makes that one and a half
    tio.c_cc[VMIN] = 1;        // with O_NONBLOCK: an empty read says EAGAIN, 0 means hang-up
    tio.c_cc[VTIME] = 0;
    bool customRate = false;
    if (!setRate(tio, s.baud, customRate) || !setTermios(tio, old, s.baud, customRate))
        return false;

    // The modem lines move only when their mode changes, so a new rate or parity does not
    // glitch a converter that takes its supply or its direction from them.
    if (!m_linesDriven || s.rts != m_settings.rts)
        driveRtsMode(s.rts);
    if (!m_linesDriven) // DTR stays low until somebody raises it
        setModemLine(TIOCM_DTR, false);
    m_linesDriven = true;
    m_settings = s;
    return true;
}

bool PosixSerialDevice::setParity(Parity parity) {
    if (!usable())
        return false;
    if (parity == m_settings.parity)
        return true;
    termios old{};
    if (m_system.tcgetattr(m_fd, &old) != 0) {
        fail("reading the line setting", errno);
        return false;
    }
    termios tio = old;
    tio.c_cflag &= ~kParityBits;
    if (!addParityBits(parity, tio.c_cflag) || !setTermios(tio, old, m_settings.baud, false))
        return false;
    m_settings.parity = parity;
    return true;
}

void PosixSerialDevice::driveRtsMode(RtsControl mode) {
    if (m_extras.systemRs485()) {
        // The installation's driver switches the transmitter with its own polarity and
        // delays; RTS is not ours in any mode.
        m_driverToggle = mode == RtsControl::Toggle;
        m_manualToggle = false;
        return;
    }
    switch (mode) {
    case RtsControl::Enable:
    case RtsControl::Disable:
        if (m_driverToggle)
            m_extras.stopRtsOnSend();
        m_driverToggle = m_manualToggle = false;
        setModemLine(TIOCM_RTS, mode == RtsControl::Enable);
        break;
    case RtsControl::Toggle:
        m_driverToggle = m_extras.startRtsOnSend();
        m_manualToggle = !m_driverToggle;
        if (m_manualToggle)
            setModemLine(TIOCM_RTS, false); // receive direction while idle
        break;
    }
}

bool PosixSerialDevice::setTimeouts(const Timeouts& timeouts) {
    m_timeouts = timeouts;
    return true;
}

void PosixSerialDevice::setModemLine(int line, bool on) {
    if (!usable())
        return;
    int bits = line;
    if (m_system.ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &bits) != 0 && deviceGone(errno))
        fail("setting the handshake lines", errno);
    // Other failures (ENOTTY, EINVAL) come from pseudo-terminals and adapters without
    // handshake lines: there is nothing to switch.
}

void PosixSerialDevice::setRts(bool on) {
    // In toggle mode RTS belongs to the transmitter, and on a line the system runs as
    // RS-485 to its driver; raising it for good would block the receive direction.
    if (m_settings.rts == RtsControl::Toggle || m_extras.systemRs485())
        return;
    setModemLine(TIOCM_RTS, on);
}

void PosixSerialDevice::setDtr(bool on) {
    setModemLine(TIOCM_DTR, on);
}

std::uint8_t PosixSerialDevice::takeLineErrors() {
    if (!usable())
        return 0;
    const std::size_t marks = m_decoder.takeErrors();
    std::uint8_t mask = 0;
    LineErrorCounters now;
    if (m_extras.counters(now)) {
        // An overrun leaves no mark in the data: the counter alone tells.
        if (now.overrun != m_countersSeen.overrun)
            mask |= LineError::Overrun;
        m_countersSeen.overrun = now.overrun;
        // A mark says a byte was damaged, the counters say how. They may already count
        // bytes not read yet; those keep their share for their own marks.
        const auto classify = [&](std::uint32_t counted, std::uint32_t& seen, std::uint8_t bit) {
            const std::uint32_t fresh = counted - seen;
            if (marks == 0 || fresh == 0)
                return;
            mask |= bit;
            seen += static_cast<std::uint32_t>(std::min<std::size_t>(fresh, marks));
        };
        classify(now.parity, m_countersSeen.parity, LineError::Parity);
        classify(now.frame, m_countersSeen.frame, LineError::Framing);
        classify(now.brk, m_countersSeen.brk, LineError::Break);
    }
    // Without counters a mark cannot say more; on a line with parity it is nearly always one.
    if (marks > 0 && !(mask & (LineError::Parity | LineError::Framing | LineError::Break)))
        mask |= LineError::Parity;
    return mask;
}
