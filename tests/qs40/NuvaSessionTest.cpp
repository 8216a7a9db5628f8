#include "NuvaSessionFixture.h"
#include "SimIdentDevice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Bytes = std::vector<std::uint8_t>;

class NuvaSessionTest : public ::testing::Test {
protected:
    NuvaSessionTest() : sensor(12, 222, &clock), provider(clock, sensor), ports(provider, clock) {
        sensor.setStoreDelayMs(0);
    }
    void connect() {
        const NuvaSession::Connection c = session.connectManual(NuvaPortsProvider::kSensorPort);
        ASSERT_EQ(c.sensorType, 12);
        sensor.clearFrames();
    }
    // The requests the sensor heard, each as command and data (address, length, checksum cut).
    std::vector<NuvaRequest> heard() const {
        std::vector<NuvaRequest> out;
        for (const Bytes& f : sensor.frames())
            out.push_back({f[3], Bytes(f.begin() + 4, f.end() - 1)});
        return out;
    }
    static std::array<long long, kNuvaSwitchPointCount> points(long long v) {
        std::array<long long, kNuvaSwitchPointCount> p{};
        p.fill(v);
        return p;
    }

    FakeClock clock;
    SimNuvaSensor sensor;
    NuvaPortsProvider provider;
    Schnittstelle ports;
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet qs40;
    NuvaSession session{ports, typePort, qs40};
    CountingProgress progress;
};

TEST_F(NuvaSessionTest, SearchTriesEveryPortAt57600BeforeTheOtherRates) {
    sensor.setBaud(19200);
    provider.monitorPresent = false;
    const NuvaSession::Connection c = session.search(&progress);
    EXPECT_EQ(c.sensorType, 12);
    EXPECT_EQ(c.port, 3);
    EXPECT_EQ(typePort[12], 3);
    EXPECT_EQ(session.sensorVersion(), "2.7");
    // Every port of the first pass, then COM1 to COM3 again.
    EXPECT_EQ(provider.opens(), 19 + 3);
    EXPECT_EQ(ports.device(3)->settings().baud, 19200u);
    EXPECT_TRUE(ports.isOpen(3));
    EXPECT_EQ(ports.device(3)->timeouts().readTotalConstantMs, 100u);
}

TEST_F(NuvaSessionTest, SearchOfNamedPortsLooksOnlyThereWithTheGivenTimeout) {
    sensor.setBaud(19200);
    provider.monitorPresent = false;
    // Both passes on COM 3 alone.
    const NuvaSession::Connection c = session.search(&progress, {3, 3, 250});
    EXPECT_EQ(c.sensorType, 12);
    EXPECT_EQ(provider.opens(), 2);
    EXPECT_EQ(ports.device(3)->timeouts().readTotalConstantMs, 250u);
    // Ports where nothing answers: nothing found, nothing left open.
    EXPECT_EQ(session.search(&progress, {1, 2}).sensorType, 0);
    EXPECT_EQ(provider.opens(), 2 + 4);
    EXPECT_FALSE(ports.isOpen(1) || ports.isOpen(2) || ports.isOpen(3));
}

TEST_F(NuvaSessionTest, ManualConnectionRefusesPortsItCannotHaveAndKeepsNothingOpen) {
    for (int com : {0, 21, -1})
        EXPECT_EQ(session.connectManual(com).failure, "comport not allowed") << com;
    // A port another window holds is neither taken nor closed, now or when disconnecting.
    ASSERT_TRUE(ports.OpenPlainPort(NuvaPortsProvider::kSensorPort));
    EXPECT_EQ(session.connectManual(3).failure, "COM3 is in use by another window.");
    session.disconnect();
    EXPECT_TRUE(ports.isOpen(NuvaPortsProvider::kSensorPort));
    const NuvaSession::Connection none = session.connectManual(5); // nothing plugged
    EXPECT_EQ(none.sensorType, 0);
    EXPECT_EQ(none.failure, "COM 5: no such device");
    EXPECT_FALSE(ports.isOpen(5));
}

TEST_F(NuvaSessionTest, TextProtocolSensorsOtherThanType7AreNotFound) {
    for (const char* code : {"QS55____", "QD55____", "QS56____", "QD56____"}) {
        SimIdentDevice other(std::string(code) + " $Revision: 4.2 $\r\n");
        provider.plug(NuvaPortsProvider::kSensorPort, [&other](SimulatedLine& line) { line.attach(&other); });
        const NuvaSession::Connection c = session.connectManual(NuvaPortsProvider::kSensorPort);
        EXPECT_EQ(c.sensorType, 0) << code;
        EXPECT_GT(other.requests(), 0u) << code;
        EXPECT_FALSE(ports.isOpen(NuvaPortsProvider::kSensorPort)) << code;
        EXPECT_EQ(typePort[7], 0) << code;
    }
}

TEST_F(NuvaSessionTest, WriteReadsBackAndMarksEveryPointTheSensorDidNotTake) {
    connect();
    auto p = points(1408);
    p[0] = 5312; // beyond the 5300 mm of a QS40MNTD: acknowledged, not taken
    p[15] = 5600;
    const NuvaSession::WriteResult r = session.write(p, {48, 64, 80, 96}, &progress);
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.mismatch, 0x8001u);
    EXPECT_FALSE(r.stored);
    EXPECT_EQ(sensor.stores(), 0);
    EXPECT_EQ(progress.position(), 80);
    const std::vector<NuvaRequest> sent = heard();
    ASSERT_EQ(sent.size(), 21u);
    EXPECT_EQ(sent[0], (NuvaRequest{'L', {0x11, 0x14, 0xC0}}));
    EXPECT_EQ(sent[15], (NuvaRequest{'L', {0x44, 0x15, 0xE0}}));
    EXPECT_EQ(sent[19], (NuvaRequest{'H', {4, 0x00, 96}}));
    EXPECT_EQ(sent[20].command, 'U');
}

TEST_F(NuvaSessionTest, CleanWriteStoresInTheEeprom) {
    connect();
    const NuvaSession::WriteResult r = session.write(points(2000), {48, 48, 48, 48}, nullptr);
    EXPECT_TRUE(r.transferred());
    EXPECT_TRUE(r.stored);
    EXPECT_EQ(sensor.stores(), 1);
    EXPECT_EQ(heard().back().command, 'S');
}

TEST_F(NuvaSessionTest, WriteWithoutStoreLeavesTheEepromAlone) {
    connect();
    const NuvaSession::WriteResult r = session.write(points(2000), {48, 48, 48, 48}, nullptr, false);
    EXPECT_TRUE(r.transferred());
    EXPECT_FALSE(r.stored);
    EXPECT_EQ(sensor.stores(), 0);
    EXPECT_EQ(heard().back().command, 'U');
}

TEST_F(NuvaSessionTest, WritesThatCannotBeSentSendNothing) {
    // Without a sensor.
    EXPECT_EQ(session.write(points(2000), {48, 48, 48, 48}, nullptr).errors, 1);
    connect();
    // A value beyond 16 bits is never cut down (70000 would arrive as 4464).
    EXPECT_EQ(session.write(points(2000), {70000, 48, 48, 48}, nullptr).errors, 1);
    EXPECT_EQ(session.write(points(-16), {48, 48, 48, 48}, nullptr).errors, 1);
    EXPECT_TRUE(sensor.frames().empty());
}

// The rule the window's editors and zylctl both put switch points on before they are sent.
TEST(NuvaSessionScaleTest, PointsGoOnTheSixteenMillimetreStepsWithinTheMeasuringRange) {
    const int mntd = NuvaSession::maxDistance(kNuvaTypeMntd);
    const int mntb = NuvaSession::maxDistance(kNuvaTypeMntb);
    EXPECT_EQ(mntd, 5300);
    EXPECT_EQ(mntb, 6000);
    EXPECT_EQ(NuvaSession::maxDistance(NuvaSession::kTextProtocolType), 6000);
    const struct {
        double mm;
        int end;
        long long expected;
    } cases[] = {
        {800, mntd, 800},          {1000, mntd, 1008}, {999.99, mntd, 992}, {1007.9, mntd, 1008},
        {311.99, mntd, 304},       {312, mntd, 320},   {0, mntd, 304},      {-5, mntd, 304},
        {std::nan(""), mntd, 304}, {5300, mntd, 5296}, {70000, mntd, 5296}, {HUGE_VAL, mntd, 5296},
        {5300, mntb, 5296},        {5999, mntb, 6000}, {70000, mntb, 6000}, {5990, mntb, 5984},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NuvaSession::pointOnScale(c.mm, c.end), c.expected) << c.mm << " to " << c.end;
}

TEST_F(NuvaSessionTest, ReadTakesTwentyWordsAndTheNearRangeSwitchOff) {
    connect();
    sensor.setNearSwitchPresent(false);
    const NuvaSession::ReadResult r = session.read();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pointCount, 16u);
    EXPECT_EQ(r.values.points[2], 2000);
    EXPECT_EQ(r.values.hysteresis[3], 48);
    ASSERT_TRUE(r.nearSwitch);
    EXPECT_FALSE(r.nearSwitch->present);
    EXPECT_EQ(heard()[0], (NuvaRequest{':', {0xAA}}));
}

TEST_F(NuvaSessionTest, LimitWritesOfThePresetAreByteExact) {
    connect();
    std::array<long long, kNuvaLimitCount> limits{};
    std::copy(NuvaPresets()[0].limits.begin(), NuvaPresets()[0].limits.end(), limits.begin());
    const NuvaSession::LimitWrite r = session.writeLimits(limits, std::nullopt);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.stored);
    const std::vector<NuvaRequest> sent = heard();
    ASSERT_EQ(sent.size(), 2u); // no "*" for a sensor without the near-range switch-off
    EXPECT_EQ(sent[0], (NuvaRequest{'5',
                                    {0xAA, 0x00, 0x05, 0x00, 0x03, 0x00, 0x14, 0x00, 0x50, 0x00, 0x19, 0x00,
                                     0x05, 0x07, 0xD0, 0x0B, 0xB8}}));
    EXPECT_EQ(sent[1].command, 'S');

    sensor.clearFrames();
    EXPECT_TRUE(session.writeLimits(limits, false).ok);
    EXPECT_EQ(heard()[0], (NuvaRequest{'*', {0xAA, 1}}));
    EXPECT_FALSE(sensor.nearSwitchActive());
}

TEST_F(NuvaSessionTest, SupervisionTeaches101PollsThenFollowsTheDeviation) {
    connect();
    ASSERT_EQ(session.startSupervision(NuvaPortsProvider::kMonitorPort, 100), "");
    ASSERT_TRUE(provider.monitor.isOpen());
    long long sum = 0;
    for (int i = 0; i < NuvaSession::kTeachPolls; ++i) {
        const std::uint16_t mm = static_cast<std::uint16_t>(1000 + i % 3); // mean 1000 after integer division
        sensor.setFixedDistance(mm);
        sum += mm;
        const NuvaSession::Poll p = session.poll();
        ASSERT_TRUE(p.ok);
        EXPECT_TRUE(p.teaching) << i;
        EXPECT_FALSE(p.deviation);
    }
    EXPECT_EQ(session.monitorSum(), sum);
    EXPECT_EQ(sum / 101, 1000);
    struct Case {
        std::uint16_t mm;
        bool deviation;
    };
    for (const Case c :
         {Case{1100, false}, Case{1101, true}, Case{900, false}, Case{899, true}, Case{1000, false}}) {
        sensor.setFixedDistance(c.mm);
        const NuvaSession::Poll p = session.poll();
        EXPECT_FALSE(p.teaching);
        EXPECT_EQ(p.deviation, c.deviation) << c.mm;
        EXPECT_EQ(provider.monitor.rts(), !c.deviation) << c.mm; // RTS cleared signals a deviation
    }
}

TEST_F(NuvaSessionTest, LostLineEndsTheSupervisionAndFreesTheMonitorPort) {
    connect();
    ASSERT_EQ(session.startSupervision(NuvaPortsProvider::kMonitorPort, 100), "");
    provider.sensorLine->failFromNow("device unplugged");
    const NuvaSession::Poll p = session.poll();
    EXPECT_FALSE(p.ok);
    EXPECT_FALSE(session.supervising());
    EXPECT_FALSE(provider.monitor.isOpen());
    EXPECT_FALSE(provider.monitor.rts());
    EXPECT_FALSE(session.portOpen()); // the next connection opens it afresh
    EXPECT_EQ(session.lineError(), "device unplugged");
    const std::optional<LinkReason> why = session.takeLostLine();
    ASSERT_TRUE(why);
    EXPECT_EQ(why->code, LinkReasonCode::DeviceGone);
    EXPECT_FALSE(session.takeLostLine());
    EXPECT_FALSE(session.poll().ok);
    EXPECT_FALSE(session.takeLostLine()); // told once
}

TEST_F(NuvaSessionTest, SupervisionDoesNotStartWithoutItsOutput) {
    connect();
    provider.monitorPresent = false;
    provider.refuse(NuvaPortsProvider::kMonitorPort, OpenError::Busy, "COM 4 is held by another program");
    EXPECT_EQ(session.startSupervision(NuvaPortsProvider::kMonitorPort, 100),
              "COM 4 is held by another program");
    EXPECT_FALSE(session.supervising());
    EXPECT_EQ(session.startSupervision(21, 100), "comport not allowed");
    EXPECT_EQ(session.startSupervision(3, 100), "COM3 is the sensor's port.");
}

} // namespace

namespace {

// A QS40MNTB-Metall on the text protocol, where the NUVA sensor was.
class NuvaSessionMetallTest : public NuvaSessionTest {
protected:
    NuvaSessionMetallTest() { plugTextSensor(provider, text); }
    void connect() {
        const NuvaSession::Connection c = session.connectManual(NuvaPortsProvider::kSensorPort);
        ASSERT_EQ(c.sensorType, 7);
        text.clearFrames();
    }
    SimQs40TextSensor text{&clock};
};

TEST_F(NuvaSessionMetallTest, ManualConnectionFallsBackToTheTextProtocolAndRecordsThePort) {
    const NuvaSession::Connection c = session.connectManual(NuvaPortsProvider::kSensorPort);
    EXPECT_EQ(c.sensorType, 7);
    EXPECT_EQ(typePort[7], 3);
    EXPECT_EQ(c.identReply.rfind("QS40MNTB", 0), 0u) << c.identReply;
    const NuvaSession::ReadResult r = session.read();
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.pointCount, 4u);
    EXPECT_EQ(r.values.points[3], 5000);
    EXPECT_EQ(r.values.hysteresis[0], 300);
}

TEST_F(NuvaSessionMetallTest, WritesTheStraightFieldAndStores) {
    connect();
    auto p = points(9999);
    p[0] = 1000;
    p[1] = 1100;
    p[2] = 1200;
    p[3] = 1300;
    const NuvaSession::WriteResult r = session.write(p, {50, 60, 70, 80}, nullptr);
    EXPECT_TRUE(r.transferred());
    EXPECT_TRUE(r.stored);
    const std::vector<std::string> sent = textRequests(text);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), "IH1 50");
    EXPECT_EQ(sent.back(), "WPP");
    EXPECT_EQ(text.storedValues().switchL[4], 1300);
    EXPECT_EQ(text.storedValues().switchH[4], 80);
}

TEST_F(NuvaSessionMetallTest, LimitsTravelThroughUnlockWriteStoreAndRestart) {
    connect();
    const auto limits = session.readLimits();
    ASSERT_TRUE(limits);
    EXPECT_EQ(*limits, (std::array<long long, 8>{0, 0, 0, 180, 100, 0, 2800, 350}));
    const int restarts = text.restarts();
    const NuvaSession::LimitWrite w = session.writeLimits({0, 0, 0, 300, 120, 0, 2500, 400}, std::nullopt);
    EXPECT_TRUE(w.ok);
    EXPECT_TRUE(w.stored);
    EXPECT_EQ(text.storedValues().limitEN, 300);
    EXPECT_EQ(text.storedValues().limitND, 400);
    EXPECT_EQ(text.restarts(), restarts + 1);
}

TEST_F(NuvaSessionMetallTest, IsSupervisedOnItsMeasuredDistance) {
    connect();
    ASSERT_EQ(session.startSupervision(NuvaPortsProvider::kMonitorPort, 100), "");
    const NuvaSession::Poll p = session.poll();
    ASSERT_TRUE(p.ok);
    EXPECT_TRUE(p.teaching);
    EXPECT_GT(p.distance, 0);
    EXPECT_EQ(session.monitorSum(), p.distance);
    EXPECT_TRUE(p.energy);
}

} // namespace
