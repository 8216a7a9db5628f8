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

TEST(SimulatedLineTest, ReadWaitsOutTheTotalTimeOnlyWhenThereIsOne) {
    FakeClock clock;
    SimulatedLine line(&clock);
    line.setTimeouts({10, 5, 100, 0, 0});
    EXPECT_TRUE(readAll(line, 4).empty());
    EXPECT_EQ(clock.nowMs(), 120u);
    // All zero: what is there, at once, without waiting even for a byte already on its way.
    line.setTimeouts({0, 0, 0, 0, 0});
    line.delayIncoming(30);
    line.deliver(Bytes{7});
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

TEST(SimulatedLineTest, ALineArmedToFailTakesItsWritesThenReportsTheDeviceGone) {
    SimulatedLine line;
    Successor peer;
    line.attach(&peer);
    line.setDeviceName("sim COM 2");
    line.failAfterWrites(2, "Input/output error");
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(line.write(bytes, 1), 1u);
    EXPECT_EQ(line.write(bytes + 1, 1), 1u);
    EXPECT_FALSE(line.lastErrorReason());
    EXPECT_EQ(line.write(bytes + 2, 1), 0u);
    EXPECT_EQ(readAll(line), Bytes{}); // the replies to what went through are lost with it
    EXPECT_EQ(peer.heard, (Bytes{1, 2}));
    EXPECT_EQ(line.lastError(), "Input/output error");
    const LinkReason why = line.lastErrorReason();
    EXPECT_EQ(why.code, LinkReasonCode::DeviceGone);
    EXPECT_EQ(why.english(), "sim COM 2: the device is no longer there (unplugged?): Input/output error");
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
