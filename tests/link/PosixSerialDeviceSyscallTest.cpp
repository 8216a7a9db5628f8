// The POSIX device against a scripted driver: the exact system calls and their timing, for
// what a pseudo-terminal cannot show (RS-485 driver settings, USB adapters that report a
// drain early, counters, odd rates).
#include "FakePosixSystem.h"
#include "PosixSerialDevice.h"
#include "WireTime.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iomanip>
#include <limits>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kMaxDword = std::numeric_limits<std::uint32_t>::max();

class PosixSyscallTest : public ::testing::Test {
protected:
    std::unique_ptr<PosixSerialDevice> openDevice() {
        int err = 0;
        auto dev = PosixSerialDevice::open("/dev/ttyUSB0", err, sys);
        EXPECT_TRUE(dev) << err;
        return dev;
    }
    FakePosixSystem sys;
};

TEST(WireTimeTest, CharacterTimesFollowTheFrame) {
    const struct {
        LineSettings s;
        std::size_t chars;
        std::int64_t us;
    } rows[] = {
        {{9600, 8, Parity::None, StopBits::One, RtsControl::Enable}, 1, 1042},        // 10 bits
        {{9600, 8, Parity::None, StopBits::One, RtsControl::Enable}, 10, 10417},      // 100 bits
        {{38400, 8, Parity::Space, StopBits::One, RtsControl::Enable}, 1, 287},       // 11 bits
        {{19200, 7, Parity::Even, StopBits::Two, RtsControl::Enable}, 3, 1719},       // 3 x 11 bits
        {{9600, 5, Parity::None, StopBits::OneAndHalf, RtsControl::Enable}, 2, 1563}, // 2 x 7.5
        {{250000, 8, Parity::None, StopBits::Two, RtsControl::Enable}, 5, 220},       // 5 x 11 bits
    };
    for (const auto& r : rows)
        EXPECT_EQ(wireTimeUs(r.s, r.chars), r.us) << r.s.baud << " " << r.chars;
}

TEST_F(PosixSyscallTest, ManualToggleHoldsRtsUntilTheRequestIsOnTheWire) {
    sys.rs485Supported = false; // converter on a plain port: RTS by hand
    auto dev = openDevice();
    for (const LineSettings& s : {LineSettings{9600, 8, Parity::None, StopBits::One, RtsControl::Toggle},
                                  LineSettings{38400, 8, Parity::Even, StopBits::Two, RtsControl::Toggle}}) {
        ASSERT_TRUE(dev->applySettings(s));
        EXPECT_FALSE(dev->driverTogglesRts());
        const std::size_t from = sys.calls.size();
        const Bytes request(12, 0x55);
        const std::int64_t start = sys.now;
        EXPECT_EQ(dev->write(request.data(), request.size()), request.size());
        const std::vector<std::string> expected{"raise RTS", "write 12", "tcdrain",
                                                "sleep " + std::to_string(wireTimeUs(s, 13)), "lower RTS"};
        EXPECT_EQ(sys.callNames(from), expected) << s.baud;
        // RTS falls one character after the last bit of the request, not when tcdrain returns.
        EXPECT_EQ(sys.callsStarting("lower RTS", from).at(0).atUs,
                  start + wireTimeUs(s, 12) + wireTimeUs(s, 1));
    }
}

TEST_F(PosixSyscallTest, ParityChangeWaitsForTheAddressByteAndLeavesTheModemLinesAlone) {
    auto dev = openDevice();
    ASSERT_TRUE(dev->applySettings({19200, 8, Parity::Mark, StopBits::One, RtsControl::Disable}));
    const std::size_t from = sys.calls.size();
    const std::uint8_t address = 0xDE;
    const std::int64_t start = sys.now;
    dev->write(&address, 1);
    dev->waitTransmitEmpty();
    ASSERT_TRUE(dev->setParity(Parity::Space));
    EXPECT_EQ(sys.parity(), Parity::Space);
    EXPECT_EQ(sys.callNames(from),
              (std::vector<std::string>{"write 1", "tcdrain", "sleep 1146", "tcsetattr"})); // 2 x 11 bits
    EXPECT_EQ(sys.callsStarting("tcsetattr", from).at(0).atUs, start + 1146);
    EXPECT_EQ(dev->settings(), (LineSettings{19200, 8, Parity::Space, StopBits::One, RtsControl::Disable}));
    EXPECT_TRUE(dev->setParity(Parity::Space)); // already so: nothing to do
    EXPECT_EQ(sys.callsStarting("tcsetattr", from).size(), 1u);
}

TEST_F(PosixSyscallTest, ModemLinesMoveOnlyWhenTheRtsModeChanges) {
    sys.rs485Supported = false;
    auto dev = openDevice();
    EXPECT_EQ(sys.callsStarting("raise").size(), 1u); // RTS up at open
    EXPECT_EQ(sys.callsStarting("lower DTR").size(), 1u);
    std::size_t from = sys.calls.size();
    ASSERT_TRUE(dev->applySettings({57600, 7, Parity::Odd, StopBits::Two, RtsControl::Enable}));
    EXPECT_TRUE(sys.callsStarting("raise", from).empty());
    EXPECT_TRUE(sys.callsStarting("lower", from).empty());
    from = sys.calls.size();
    ASSERT_TRUE(dev->applySettings({57600, 7, Parity::Odd, StopBits::Two, RtsControl::Disable}));
    EXPECT_EQ(sys.callNames(from), (std::vector<std::string>{"tcsetattr", "lower RTS"}));
}

struct Rs485Case {
    const char* name;
    serial_rs485 before;
    bool systemMode;
};

TEST_F(PosixSyscallTest, Rs485SettingOfTheSystemIsKeptAndRestored) {
    const Rs485Case cases[] = {
        // Off, but with the delays and active-low polarity someone configured for later.
        {"off", {SER_RS485_RTS_AFTER_SEND, 3, 5, {}}, false},
        // On-board RS-485 with active-low transmit enable and set-up delays.
        {"on", {SER_RS485_ENABLED | SER_RS485_RTS_AFTER_SEND, 2, 4, {}}, true},
    };
    for (const Rs485Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePosixSystem line;
        line.rs485 = c.before;
        int err = 0;
        auto dev = PosixSerialDevice::open("/dev/ttyS4", err, line);
        ASSERT_TRUE(dev);
        EXPECT_EQ(dev->systemRs485Mode(), c.systemMode);
        ASSERT_TRUE(dev->applySettings({38400, 8, Parity::None, StopBits::One, RtsControl::Toggle}));
        EXPECT_TRUE(dev->driverTogglesRts());
        if (c.systemMode) {
            EXPECT_TRUE(line.callsStarting("set rs485").empty());
        } else {
            EXPECT_EQ(line.rs485.flags, unsigned(SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND));
            EXPECT_EQ(line.rs485.delay_rts_before_send, 0u);
        }
        ASSERT_TRUE(dev->applySettings({38400, 8, Parity::None, StopBits::One, RtsControl::Enable}));
        EXPECT_EQ(std::memcmp(&line.rs485, &c.before, sizeof c.before), 0) << "leaving toggle mode";
        ASSERT_TRUE(dev->applySettings({38400, 8, Parity::None, StopBits::One, RtsControl::Toggle}));
        dev->setRts(true);
        dev.reset();
        EXPECT_EQ(std::memcmp(&line.rs485, &c.before, sizeof c.before), 0) << "after close";
        if (c.systemMode) // RTS belongs to the driver from open to close
            EXPECT_TRUE(line.callsStarting("raise RTS").empty() && line.callsStarting("lower RTS").empty());
    }
}

TEST_F(PosixSyscallTest, MaxDwordReadTimeoutsReturnWhenWindowsWould) {
    const struct {
        const char* name;
        Timeouts t;
        std::int64_t arrivesInUs; // < 0: nothing arrives
        std::size_t got;
        std::int64_t returnsAfterUs;
    } cases[] = {
        {"interval MAXDWORD, no totals, silent", {kMaxDword, 0, 0, 0, 0}, -1, 0, 0},
        {"interval MAXDWORD, no totals, data later", {kMaxDword, 0, 0, 0, 0}, 10'000, 0, 0},
        {"both MAXDWORD, data already in", {kMaxDword, kMaxDword, 500, 0, 0}, 0, 3, 0},
        {"both MAXDWORD, data after 120 ms", {kMaxDword, kMaxDword, 500, 0, 0}, 120'000, 3, 120'000},
        {"both MAXDWORD, silent", {kMaxDword, kMaxDword, 500, 0, 0}, -1, 0, 500'000},
        {"ordinary: the interval after the last byte ends it", {20, 0, 500, 0, 0}, 0, 5, 25'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePosixSystem line;
        int err = 0;
        auto dev = PosixSerialDevice::open("/dev/ttyUSB1", err, line);
        ASSERT_TRUE(dev);
        dev->setTimeouts(c.t);
        if (c.arrivesInUs >= 0) {
            line.arrive(c.arrivesInUs, {1, 2, 3});
            line.arrive(c.arrivesInUs + 5'000, {4, 5}); // more after the first burst
        }
        Bytes buf(16);
        const std::int64_t start = line.now;
        EXPECT_EQ(dev->read(buf.data(), buf.size()), c.got);
        const std::int64_t took = line.now - start;
        EXPECT_GE(took, c.returnsAfterUs);
        EXPECT_LE(took, c.returnsAfterUs + 1'000);
    }
}

TEST_F(PosixSyscallTest, RatesWithoutBConstantGoThroughTermios2) {
    auto dev = openDevice();
    for (std::uint32_t baud : {250000u, 31250u, 14400u, 28800u, 500000u, 1000000u}) {
        const std::size_t from = sys.calls.size();
        ASSERT_TRUE(dev->applySettings({baud, 8, Parity::None, StopBits::Two, RtsControl::Enable})) << baud;
        EXPECT_EQ(sys.customRate, baud);
        EXPECT_EQ(sys.callsStarting("set rate", from).size(), 1u);
    }
    // A rate the UART cannot make is refused, and the old rate comes back.
    sys.unreachableRate = 3'000'000;
    sys.nearestRate = 115200;
    EXPECT_FALSE(dev->applySettings({3'000'000, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    EXPECT_EQ(sys.customRate, 1000000u);
    EXPECT_EQ(dev->settings().baud, 1000000u);
    // A standard rate goes back to the B-constants.
    ASSERT_TRUE(dev->applySettings({38400, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    EXPECT_EQ(::cfgetospeed(&sys.tio), speed_t(B38400));
}

TEST_F(PosixSyscallTest, CloseLetsTheLastCommandOutBeforeRestoringTheLine) {
    auto dev = openDevice();
    ASSERT_TRUE(dev->applySettings({9600, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    sys.outqByteUs = 1042;
    const Bytes command(20, 'x');
    const std::int64_t start = sys.now;
    dev->write(command.data(), command.size());
    const std::size_t from = sys.calls.size();
    dev.reset();
    const auto restore = sys.callsStarting("tcsetattr", from);
    ASSERT_EQ(restore.size(), 1u);
    EXPECT_GE(restore[0].atUs, start + wireTimeUs({9600}, 21));
    EXPECT_TRUE(sys.callsStarting("flush", from).empty());
}

TEST_F(PosixSyscallTest, CloseOnAStuckLineGivesUpAfterTheWriteTimeout) {
    auto dev = openDevice();
    dev->setTimeouts({0, 0, 0, 5, 200});
    sys.outqStuck = true;
    const Bytes command(20, 'x');
    dev->write(command.data(), command.size());
    const std::int64_t start = sys.now;
    const std::size_t from = sys.calls.size();
    dev.reset();
    const auto flush = sys.callsStarting("flush tx", from);
    ASSERT_EQ(flush.size(), 1u);
    EXPECT_EQ(flush[0].atUs, start + 300'000); // 200 ms + 20 x 5 ms
    EXPECT_EQ(sys.callNames().back(), "close");
}

TEST_F(PosixSyscallTest, PurgeDropsWhatTheAdapterDeliversLate) {
    auto dev = openDevice(); // 38400 8N1: a character is 261 us, quiet after 5.6 ms
    sys.arrive(0, {0xAA});
    sys.arrive(3'000, {0xBB, 0xCC});  // still in the adapter at purge time
    sys.arrive(7'000, {0xDD});        // follows within the quiet time
    sys.arrive(40'000, {0x01, 0x02}); // the reply to the next request
    const std::size_t from = sys.calls.size();
    dev->purge(true, false);
    EXPECT_EQ(sys.callsStarting("flush rx", from).size(), 2u);
    dev->setTimeouts({10, 0, 100, 0, 0});
    Bytes buf(8);
    buf.resize(dev->read(buf.data(), buf.size()));
    EXPECT_EQ(buf, (Bytes{0x01, 0x02}));
}

TEST_F(PosixSyscallTest, VanishedAdapterIsLetGoAtOnce) {
    auto dev = openDevice();
    dev->setTimeouts({0, 0, 1000, 0, 0});
    sys.hungUp = true;
    std::uint8_t b = 0;
    EXPECT_EQ(dev->read(&b, 1), 0u);
    EXPECT_EQ(sys.callNames().back(), "close");
    EXPECT_NE(dev->lastError().find("no longer there"), std::string::npos) << dev->lastError();
    const std::size_t from = sys.calls.size();
    EXPECT_EQ(dev->write(&b, 1), 0u);
    EXPECT_FALSE(dev->applySettings({}));
    dev.reset();
    EXPECT_TRUE(sys.callNames(from).empty()); // nothing more is asked of a closed descriptor
}

TEST_F(PosixSyscallTest, LineErrorsAreToldApartByTheDriverCounters) {
    const struct {
        const char* name;
        bool counters;
        int parity, frame, brk, overrun;
        Bytes raw;
        std::uint8_t expected;
    } cases[] = {
        {"parity", true, 1, 0, 0, 0, {0xFF, 0x00, 0x41}, LineError::Parity},
        {"framing", true, 0, 1, 0, 0, {0xFF, 0x00, 0x41}, LineError::Framing},
        {"break", true, 0, 0, 1, 0, {0xFF, 0x00, 0x00}, LineError::Break},
        {"overrun leaves no mark", true, 0, 0, 0, 2, {0x41}, LineError::Overrun},
        {"counted but not read yet", true, 1, 0, 0, 0, {0x41}, 0},
        {"no counters: a mark counts as parity", false, 0, 0, 0, 0, {0xFF, 0x00, 0x41}, LineError::Parity},
        {"clean", true, 0, 0, 0, 0, {0xFF, 0xFF, 0x41}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakePosixSystem line;
        line.countersSupported = c.counters;
        line.counters.parity = 7; // from before the open: not ours
        int err = 0;
        auto dev = PosixSerialDevice::open("/dev/ttyUSB2", err, line);
        ASSERT_TRUE(dev);
        line.counters.parity += c.parity;
        line.counters.frame += c.frame;
        line.counters.brk += c.brk;
        line.counters.overrun += c.overrun;
        line.arrive(0, c.raw);
        dev->setTimeouts({0, 0, 10, 0, 0});
        Bytes buf(8);
        dev->read(buf.data(), buf.size());
        EXPECT_EQ(dev->takeLineErrors(), c.expected);
        EXPECT_EQ(dev->takeLineErrors(), 0);
    }
}

TEST_F(PosixSyscallTest, LowLatencyIsAskedForAndGivenBack) {
    sys.serialFlags = ASYNC_SKIP_TEST;
    auto dev = openDevice();
    EXPECT_EQ(sys.serialFlags, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
    dev.reset();
    EXPECT_EQ(sys.serialFlags, ASYNC_SKIP_TEST);
    FakePosixSystem plain; // a driver that knows nothing of it opens all the same
    plain.serialSupported = false;
    int err = 0;
    EXPECT_TRUE(PosixSerialDevice::open("/dev/ttyACM0", err, plain));
}

pid_t finishedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child; // reaped: nobody runs under this number now
}

TEST_F(PosixSyscallTest, LockFileOfARunningProgramMakesTheLineBusy) {
    char dir[] = "/tmp/zyl-lock-XXXXXX";
    ASSERT_TRUE(::mkdtemp(dir));
    sys.lockDir = dir;
    const std::string lockFile = sys.lockDir + "/LCK..ttyUSB0";
    const auto writeLock = [&](long pid) { std::ofstream(lockFile) << std::setw(10) << pid << "\n"; };
    writeLock(::getppid()); // say, a terminal program
    int err = 0;
    EXPECT_EQ(PosixSerialDevice::open("/dev/ttyUSB0", err, sys), nullptr);
    EXPECT_EQ(err, EBUSY);
    EXPECT_TRUE(sys.calls.empty()); // the device itself was not even opened
    EXPECT_TRUE(std::filesystem::exists(lockFile));

    // A lock left by a program that has ended is taken over, and ours goes with the line.
    writeLock(finishedProcess());
    auto dev = openDevice();
    std::ifstream lock(lockFile);
    const std::string text((std::istreambuf_iterator<char>(lock)), {});
    EXPECT_EQ(text,
              std::string(10 - std::to_string(::getpid()).size(), ' ') + std::to_string(::getpid()) + "\n");
    dev.reset();
    EXPECT_FALSE(std::filesystem::exists(lockFile));
    std::filesystem::remove_all(dir);
}

} // namespace
