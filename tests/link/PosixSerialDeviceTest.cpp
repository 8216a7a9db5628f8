// Real waits on a pseudo-terminal pair: kept to tens of milliseconds, and the upper bounds
// leave room for a busy machine.
#include "PosixSerialDevice.h"

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr long kSlack = 400; // scheduling on a shared machine

class PosixSerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        int err = 0;
        dev = PosixSerialDevice::open(pty.slavePath(), err);
        ASSERT_TRUE(dev) << std::strerror(err);
    }
    // Reads with the given time-outs; returns the bytes and how long it took.
    std::pair<Bytes, long> timedRead(const Timeouts& t, std::size_t max) {
        dev->setTimeouts(t);
        Bytes buf(max);
        const auto start = std::chrono::steady_clock::now();
        buf.resize(dev->read(buf.data(), max));
        const auto took = std::chrono::steady_clock::now() - start;
        return {buf, long(std::chrono::duration_cast<std::chrono::milliseconds>(took).count())};
    }
    PtyPair pty;
    std::unique_ptr<PosixSerialDevice> dev;
};

TEST_F(PosixSerialDeviceTest, SilentLineReturnsNothingAfterTheTotalTimeout) {
    // Total = 50 + 10 * 3 ms; the interval does not count before the first byte.
    const auto [bytes, took] = timedRead({20, 10, 50, 0, 0}, 3);
    EXPECT_TRUE(bytes.empty());
    EXPECT_GE(took, 78);
    EXPECT_LT(took, 80 + kSlack);
    EXPECT_EQ(dev->lastError(), "");
}

TEST_F(PosixSerialDeviceTest, BurstArrivingLateIsReturnedWhole) {
    const Bytes burst{'Q', 'S', '5', '5', 'K', '1', 'A', 'B', ' ', '4', '.', '2'};
    TimedSender sender(pty, {{30, burst}});
    const auto [bytes, took] = timedRead({20, 0, 1500, 0, 0}, 64);
    EXPECT_EQ(bytes, burst);
    EXPECT_GE(took, 25);
    EXPECT_LT(took, 1000); // ended by the interval after the burst, not by the total
}

TEST_F(PosixSerialDeviceTest, GapLongerThanTheIntervalEndsTheRead) {
    TimedSender sender(pty, {{0, {1, 2, 3}}, {200, {4, 5, 6}}});
    const auto [first, took] = timedRead({30, 0, 3000, 0, 0}, 64);
    EXPECT_EQ(first, (Bytes{1, 2, 3}));
    EXPECT_LT(took, 200);
    EXPECT_EQ(timedRead({30, 0, 3000, 0, 0}, 64).first, (Bytes{4, 5, 6}));
}

TEST_F(PosixSerialDeviceTest, IntervalZeroCollectsUntilTheTotalTimeout) {
    TimedSender sender(pty, {{0, {1, 2}}, {60, {3, 4}}});
    const auto [bytes, took] = timedRead({0, 0, 250, 0, 0}, 64);
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_GE(took, 248);
    EXPECT_LT(took, 250 + kSlack);
}

TEST_F(PosixSerialDeviceTest, FullBufferEndsTheReadAndTheRestWaits) {
    EXPECT_LT(timedRead({0, 0, 0, 0, 0}, 8).second, 50); // all zero: what is there, at once
    pty.send({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto [first, took] = timedRead({0, 0, 3000, 0, 0}, 4);
    EXPECT_EQ(first, (Bytes{0, 1, 2, 3}));
    EXPECT_LT(took, 1000);
    const auto [rest, took2] = timedRead({0, 0, 0, 0, 0}, 64);
    EXPECT_EQ(rest, (Bytes{4, 5, 6, 7, 8, 9}));
    EXPECT_LT(took2, 50);
}

TEST_F(PosixSerialDeviceTest, PurgeDropsPendingInput) {
    pty.send({1, 2, 3, 4, 5});
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    dev->purge(true, false);
    EXPECT_TRUE(timedRead({0, 0, 40, 0, 0}, 8).first.empty());
    pty.send({6});
    EXPECT_EQ(timedRead({0, 0, 200, 0, 0}, 1).first, Bytes{6});
}

TEST_F(PosixSerialDeviceTest, BytesTravelUnchangedBothWays) {
    // 0xFF and 0x00 are what the driver's error marks are made of: they must pass as data.
    const Bytes out{0x02, 0xFF, 0x00, 'A', 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(dev->write(out.data(), out.size()), out.size());
    EXPECT_EQ(pty.receive(), out);
    const Bytes in{0xFF, 0x00, 0x41, 0xFF, 0xFF, 0x00, 0x0A};
    pty.send(in);
    EXPECT_EQ(timedRead({20, 0, 500, 0, 0}, 64).first, in);
    EXPECT_EQ(dev->takeLineErrors(), 0);
}

TEST_F(PosixSerialDeviceTest, SecondOpenIsBusyAndReopeningAfterCloseWorks) {
    int err = 0;
    EXPECT_EQ(PosixSerialDevice::open(pty.slavePath(), err), nullptr);
    EXPECT_EQ(err, EBUSY);
    dev.reset();
    dev = PosixSerialDevice::open(pty.slavePath(), err);
    ASSERT_TRUE(dev) << std::strerror(err);
    pty.send({'o', 'k'});
    EXPECT_EQ(timedRead({20, 0, 500, 0, 0}, 8).first, (Bytes{'o', 'k'}));
}

TEST_F(PosixSerialDeviceTest, VanishedDeviceGivesNothingAndSaysWhy) {
    pty.closeMaster(); // the kernel hangs the line up, as when an adapter is pulled
    const auto [bytes, took] = timedRead({0, 0, 2000, 0, 0}, 8);
    EXPECT_TRUE(bytes.empty());
    EXPECT_LT(took, 1000); // not waiting out the time-out on a dead line
    EXPECT_NE(dev->lastError().find(pty.slavePath()), std::string::npos) << dev->lastError();
    const std::uint8_t b = 0x02;
    EXPECT_EQ(dev->write(&b, 1), 0u);
    EXPECT_FALSE(dev->lastError().empty());
    EXPECT_LT(timedRead({0, 0, 2000, 0, 0}, 8).second, 1000);
}

TEST_F(PosixSerialDeviceTest, UnsupportedSettingsAreRefusedAndTheOldOneStays) {
    const LineSettings good{9600, 7, Parity::Even, StopBits::Two, RtsControl::Enable};
    ASSERT_TRUE(dev->applySettings(good));
    // No rate, four data bits, one and a half stop bits with eight data bits or two with five.
    for (const auto& [baud, bits, stop] : {std::tuple{0u, 8, StopBits::One},
                                           {9600u, 4, StopBits::One},
                                           {9600u, 8, StopBits::OneAndHalf},
                                           {9600u, 5, StopBits::Two}})
        EXPECT_FALSE(dev->applySettings({baud, std::uint8_t(bits), Parity::None, stop, RtsControl::Enable}))
            << baud;
    EXPECT_EQ(dev->settings(), good);
    EXPECT_TRUE(dev->applySettings({9600, 5, Parity::None, StopBits::OneAndHalf, RtsControl::Enable}));
    for (std::uint32_t baud : {4800u, 19200u, 38400u, 57600u, 115200u, 230400u, 250000u, 31250u})
        EXPECT_TRUE(dev->applySettings({baud, 8, Parity::Mark, StopBits::One, RtsControl::Disable})) << baud;
    EXPECT_TRUE(dev->applySettings({57600, 8, Parity::Space, StopBits::One, RtsControl::Disable}));
}

TEST_F(PosixSerialDeviceTest, RtsToggleWithoutDriverSupportStillSendsAndReceives) {
    ASSERT_TRUE(dev->applySettings({38400, 8, Parity::None, StopBits::One, RtsControl::Toggle}));
    EXPECT_FALSE(dev->driverTogglesRts()); // pseudo-terminals know no RS-485 mode
    dev->setRts(true);                     // ignored: the transmitter owns RTS
    const Bytes out{'A', 1, 2};
    EXPECT_EQ(dev->write(out.data(), out.size()), out.size());
    EXPECT_EQ(pty.receive(), out);
    pty.send({3});
    EXPECT_EQ(timedRead({20, 0, 500, 0, 0}, 4).first, Bytes{3});
    EXPECT_EQ(dev->lastError(), "");
    EXPECT_EQ(dev->providerSubtype(), ProviderSubtype::Rs232);
}

} // namespace

namespace {

// The operating system, with lock files in a directory of the test's own.
class LockDirSystem : public PosixSystem {
public:
    LockDirSystem() {
        char dir[] = "/tmp/zyl-lock-XXXXXX";
        if (::mkdtemp(dir))
            m_dir = dir;
    }
    ~LockDirSystem() override { std::filesystem::remove_all(m_dir); }
    std::string lockFile(const std::string& device) const { return m_dir + "/" + UucpLock::fileName(device); }
    void writeLock(const std::string& device, long pid) const {
        std::ofstream(lockFile(device)) << std::setw(10) << pid << "\n";
    }
    std::string lockDirectory() override { return m_dir; }

    int open(const char* p, int f) override { return n.open(p, f); }
    int close(int fd) override { return n.close(fd); }
    ssize_t read(int fd, void* b, std::size_t c) override { return n.read(fd, b, c); }
    ssize_t write(int fd, const void* b, std::size_t c) override { return n.write(fd, b, c); }
    int poll(pollfd* f, nfds_t c, int t) override { return n.poll(f, c, t); }
    int ioctl(int fd, unsigned long r, void* a) override { return n.ioctl(fd, r, a); }
    int tcgetattr(int fd, termios* t) override { return n.tcgetattr(fd, t); }
    int tcsetattr(int fd, int a, const termios* t) override { return n.tcsetattr(fd, a, t); }
    int tcdrain(int fd) override { return n.tcdrain(fd); }
    int tcflush(int fd, int q) override { return n.tcflush(fd, q); }
    int flock(int fd, int o) override { return n.flock(fd, o); }
    std::int64_t nowUs() override { return n.nowUs(); }
    void sleepUs(std::int64_t us) override { n.sleepUs(us); }
    std::string realPath(const std::string& p) override { return n.realPath(p); }

private:
    PosixSystem& n = PosixSystem::native();
    std::string m_dir;
};

pid_t finishedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child; // reaped: nobody runs under this number now
}

TEST(UucpLockTest, LockFileOfARunningProgramMakesTheLineBusy) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    LockDirSystem sys;
    sys.writeLock(pty.slavePath(), ::getppid()); // say, a terminal program
    int err = 0;
    EXPECT_EQ(PosixSerialDevice::open(pty.slavePath(), err, sys), nullptr);
    EXPECT_EQ(err, EBUSY);
    EXPECT_TRUE(std::filesystem::exists(sys.lockFile(pty.slavePath()))); // theirs stays

    // A lock left by a program that has ended is taken over, and ours goes with the line.
    sys.writeLock(pty.slavePath(), finishedProcess());
    auto dev = PosixSerialDevice::open(pty.slavePath(), err, sys);
    ASSERT_TRUE(dev) << std::strerror(err);
    std::ifstream lock(sys.lockFile(pty.slavePath()));
    std::string text((std::istreambuf_iterator<char>(lock)), {});
    EXPECT_EQ(text.size(), 11u);
    EXPECT_EQ(std::stol(text), ::getpid());
    dev.reset();
    EXPECT_FALSE(std::filesystem::exists(sys.lockFile(pty.slavePath())));
}

} // namespace
