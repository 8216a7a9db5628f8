#include "SimulatedLine.h"

#include "SimIdentDevice.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readAll(SimulatedLine& line, std::size_t max = 64) {
    Bytes buf(max);
    buf.resize(line.read(buf.data(), max));
    return buf;
}

// Answers every byte with the byte plus one, at 38400 baud.
struct Successor : SimPeer {
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t b, const LineSettings&, SimulatedLine& out) override {
        heard.push_back(b);
        const std::uint8_t next = static_cast<std::uint8_t>(b + 1);
        out.deliver(&next, 1);
    }
    Bytes heard;
};

TEST(SimulatedLineTest, SilentReadWaitsOutTheTotalTimeOnTheClock) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({10, 5, 100, 0, 0});
    EXPECT_TRUE(readAll(line, 4).empty());
    EXPECT_EQ(clock.nowMs(), 120u);

    line.setTimeouts({0, 0, 0, 0, 0}); // what is there, at once
    EXPECT_TRUE(readAll(line, 4).empty());
    EXPECT_EQ(clock.nowMs(), 120u);
}

TEST(SimulatedLineTest, DelayedReplyArrivesWithinTheTimeOutOrNotAtAll) {
    for (bool withClock : {true, false}) {
        FakeClock clock;
        SimulatedLine line(withClock ? &clock : nullptr);
        line.setTimeouts({0, 0, 50, 0, 0});
        line.delayIncoming(30);
        line.deliver(Bytes{1, 2});
        EXPECT_EQ(readAll(line), (Bytes{1, 2})) << withClock;

        line.delayIncoming(80);
        line.deliver(Bytes{3});
        EXPECT_TRUE(readAll(line).empty()) << withClock; // too late for this read...
        EXPECT_EQ(readAll(line), Bytes{3}) << withClock; // ...but there for the next
    }
}

TEST(SimulatedLineTest, AllZeroTimeoutsDoNotWaitForADelayedByte) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.delayIncoming(30);
    line.deliver(Bytes{7});
    line.setTimeouts({0, 0, 0, 0, 0});
    EXPECT_TRUE(readAll(line).empty());
    EXPECT_EQ(clock.totalSleptMs(), 0u);
}

TEST(SimulatedLineTest, EchoAndNoiseAreNotHeldBackByADelayedReply) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({0, 0, 1000, 0, 0});
    line.setEcho(true);
    line.delayIncoming(200);
    line.deliver(Bytes{'R'});
    const Bytes sent{'a', 'b'};
    line.write(sent.data(), sent.size());
    line.injectNoise({'n'});
    EXPECT_EQ(readAll(line), (Bytes{'a', 'b', 'n'}));
    EXPECT_EQ(readAll(line), Bytes{'R'});
}

TEST(SimulatedLineTest, DevicesHearOnlyTheirRateAndTheLineDataBits) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({0, 0, 10, 0, 0});
    Successor peer;
    line.attach(&peer);
    line.attach(&peer); // attached once only

    ASSERT_TRUE(line.applySettings({9600, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    const std::uint8_t b = 0xC1;
    line.write(&b, 1);
    EXPECT_TRUE(peer.heard.empty());

    ASSERT_TRUE(line.applySettings({38400, 7, Parity::Even, StopBits::One, RtsControl::Enable}));
    line.write(&b, 1);
    EXPECT_EQ(peer.heard, Bytes{0x41});
    EXPECT_EQ(readAll(line), Bytes{0x42});
    EXPECT_EQ(line.written(), (Bytes{0xC1, 0xC1}));

    line.setSettingsFilter([](const LineSettings& s) { return s.baud != 115200; });
    EXPECT_FALSE(line.applySettings({115200, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    EXPECT_FALSE(line.applySettings({38400, 9, Parity::None, StopBits::One, RtsControl::Enable}));
    EXPECT_EQ(line.settings().baud, 38400u);
    EXPECT_EQ(line.settings().dataBits, 7);
}

TEST(SimulatedLineTest, DeviceDetachedWhileBytesAreHandedRoundHearsNoMore) {
    FakeClock clock;
    SimulatedLine line(&clock);
    Successor victim;
    struct Detacher : SimPeer {
        SimPeer* other = nullptr;
        std::uint32_t baud() const override { return 38400; }
        void receive(std::uint8_t, const LineSettings&, SimulatedLine& out) override { out.detach(other); }
    } detacher;
    detacher.other = &victim;
    line.attach(&detacher);
    line.attach(&victim);
    const std::uint8_t b = 1;
    line.write(&b, 1);
    EXPECT_TRUE(victim.heard.empty());
}

TEST(SimulatedLineTest, FaultsApplyToRepliesInOrder) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({0, 0, 10, 0, 0});
    line.dropIncoming(1);
    line.corruptIncoming(2, 0x01);
    line.deliver(Bytes{10, 20, 30, 40});
    EXPECT_EQ(readAll(line), (Bytes{20, 31, 40}));

    line.setLineError();
    EXPECT_TRUE(line.takeLineErrors());
    EXPECT_FALSE(line.takeLineErrors());

    line.deliver(Bytes{5});
    line.failFromNow("adapter pulled");
    EXPECT_TRUE(readAll(line).empty());
    const std::uint8_t b = 1;
    EXPECT_EQ(line.write(&b, 1), 0u);
    EXPECT_EQ(line.lastError(), "adapter pulled");
}

TEST(SimIdentDeviceTest, AnswersOnlyACompleteRequestAtItsRate) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({0, 0, 10, 0, 0});
    SimIdentDevice sensor("QS40MNTB $Revision: 5.1 $\r\n", 57600);
    line.attach(&sensor);
    const Bytes request{0x02, 'G', 'V', 'E', 0x04};

    line.write(request.data(), request.size()); // line still at 38400
    EXPECT_TRUE(readAll(line).empty());

    ASSERT_TRUE(line.applySettings({57600, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    const Bytes noise{0x02, 0x02, 'G', 'V', 'X', 0x04};
    line.write(noise.data(), noise.size());
    EXPECT_TRUE(readAll(line).empty());
    line.write(request.data(), request.size());
    const std::string reply = "QS40MNTB $Revision: 5.1 $\r\n";
    EXPECT_EQ(readAll(line, 100), Bytes(reply.begin(), reply.end()));
    EXPECT_EQ(sensor.requests(), 1u);
}

} // namespace
