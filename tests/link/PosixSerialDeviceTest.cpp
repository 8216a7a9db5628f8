// Real waits on a pseudo-terminal pair: kept to tens of milliseconds, and the upper bounds
// leave room for a busy machine.
#include "PosixSerialDevice.h"

#include "PtyPair.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

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
    // The second burst is sent only after the first read has ended, so the gap is as long as the
    // machine makes it, never shorter than the interval.
    pty.send({1, 2, 3});
    const auto [first, took] = timedRead({30, 0, 3000, 0, 0}, 64);
    EXPECT_EQ(first, (Bytes{1, 2, 3}));
    EXPECT_LT(took, 3000 - kSlack); // ended by the interval, not by the total
    pty.send({4, 5, 6});
    EXPECT_EQ(timedRead({30, 0, 3000, 0, 0}, 64).first, (Bytes{4, 5, 6}));
}

TEST_F(PosixSerialDeviceTest, IntervalZeroCollectsUntilTheTotalTimeout) {
    // The total leaves the sender's thread ample time for its second burst on a busy machine.
    TimedSender sender(pty, {{0, {1, 2}}, {60, {3, 4}}});
    const auto [bytes, took] = timedRead({0, 0, 1000, 0, 0}, 64);
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4}));
    EXPECT_GE(took, 998);
    EXPECT_LT(took, 1000 + kSlack);
}

TEST_F(PosixSerialDeviceTest, FullBufferEndsTheReadAndTheRestWaits) {
    EXPECT_LT(timedRead({0, 0, 0, 0, 0}, 8).second, kSlack); // all zero: what is there, at once
    pty.send({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    const auto [first, took] = timedRead({0, 0, 3000, 0, 0}, 4);
    EXPECT_EQ(first, (Bytes{0, 1, 2, 3}));
    EXPECT_LT(took, 1000);
    const auto [rest, took2] = timedRead({0, 0, 0, 0, 0}, 64);
    EXPECT_EQ(rest, (Bytes{4, 5, 6, 7, 8, 9}));
    EXPECT_LT(took2, kSlack);
}

TEST_F(PosixSerialDeviceTest, PurgeDropsPendingInput) {
    pty.send({1, 2, 3, 4, 5});
    // Waits until the bytes have arrived (the first one read), instead of hoping they have.
    EXPECT_EQ(timedRead({0, 0, 5000, 0, 0}, 1).first, Bytes{1});
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
