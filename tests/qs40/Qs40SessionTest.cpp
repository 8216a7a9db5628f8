#include "Qs40Session.h"

#include "SimIdentDevice.h"
#include "SimLineProvider.h"
#include "SimQs40TextSensor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Connect = Qs40Session::Connect;
using Load = Qs40Session::Load;
using Points = std::array<std::int32_t, 5>;

struct Qs40SessionTest : ::testing::Test {
    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    std::array<std::uint8_t, 256> typePort{};
    std::uint8_t sensorType = 7;
    Qs40ParameterSet params;
    Qs40Session session{ports, typePort, sensorType, params};
    SimQs40TextSensor sensor{&clock};
    SimIdentDevice otherFamily; // answers as a type 5 sensor

    void plug(int com, SimPeer& peer) {
        provider.plug(com, [&peer](SimulatedLine& line) { line.attach(&peer); });
    }
    std::vector<std::string> frames() const {
        std::vector<std::string> out;
        for (const auto& f : sensor.frames())
            out.emplace_back(f.begin(), f.end());
        return out;
    }
    Qs40Session::LineChoice onPort(int com) {
        Qs40Session::LineChoice c;
        c.port = com;
        c.baud = 38400;
        c.parityEntry = 0;
        return c;
    }
};

} // namespace

TEST_F(Qs40SessionTest, SearchTakesTheFirstPortWhereASensorAnswers) {
    plug(3, sensor);
    sensorType = 0;
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    EXPECT_EQ(session.PortNumber(), 3);
    EXPECT_EQ(sensorType, 7);
    EXPECT_EQ(typePort[7], 3);
    EXPECT_EQ(ports.device(3)->settings().parity, Parity::Even);
    EXPECT_EQ(params.SwitchL, (Points{0, 2000, 3000, 4000, 5000})); // read from the sensor
    EXPECT_FALSE(session.connectedManually());

    // Searching again first releases the window's own port, so the sensor is found again.
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    EXPECT_EQ(session.PortNumber(), 3);

    // A sensor of another family on an earlier port ends the search: released, type kept.
    plug(2, otherFamily);
    sensorType = 7;
    EXPECT_EQ(session.search(nullptr), Connect::NothingFound);
    EXPECT_FALSE(ports.isOpen(2));
    EXPECT_FALSE(ports.isOpen(3));
    EXPECT_EQ(sensorType, 7);
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.PortNumber(), 0);
}

TEST_F(Qs40SessionTest, PortsHeldElsewhereAreLeftAlone) {
    plug(3, sensor);
    ASSERT_TRUE(ports.OpenBusPort(3, 38400, 0, 0, 8, 50)); // another window's port
    EXPECT_EQ(session.search(nullptr), Connect::NothingFound);
    EXPECT_TRUE(ports.isOpen(3));
}

TEST_F(Qs40SessionTest, ManualConnectionRefusesImpossibleSettingsWithoutOpening) {
    plug(3, sensor);
    for (auto change : std::vector<void (*)(Qs40Session::LineChoice&)>{
             [](auto& c) { c.port = 0; }, [](auto& c) { c.port = 21; }, [](auto& c) { c.baud = 0; },
             [](auto& c) { c.timeoutMs = 0; }, [](auto& c) { c.timeoutMs = 600000; }}) {
        auto choice = onPort(3);
        change(choice);
        EXPECT_EQ(session.connect(choice, nullptr), Connect::BadSettings);
    }
    EXPECT_EQ(provider.opens(), 0);
}

TEST_F(Qs40SessionTest, ManualConnectionMapsTheDialogsParityEntries) {
    plug(3, sensor);
    struct Case {
        int entry;
        Parity parity;
    } cases[] = {
        {0, Parity::Even}, {1, Parity::Odd}, {2, Parity::None}, {3, Parity::Mark}, {-1, Parity::Odd}};
    for (const auto& c : cases) {
        auto choice = onPort(3);
        choice.parityEntry = c.entry;
        session.connect(choice, nullptr);
        ASSERT_TRUE(ports.isOpen(3));
        EXPECT_EQ(ports.device(3)->settings().parity, c.parity) << c.entry;
    }
}

TEST_F(Qs40SessionTest, ManualConnectionKeepsWhatItReadsAndTheGeneration) {
    SimQs40TextSensor oldSensor(&clock, 3);
    oldSensor.values().switchL = {0, 1111, 2222, 3333, 4444};
    plug(4, oldSensor);
    ASSERT_EQ(session.connect(onPort(4), nullptr), Connect::Connected);
    EXPECT_TRUE(session.connectedManually());
    EXPECT_TRUE(session.initialised());
    EXPECT_EQ(params.SwitchL, (Points{0, 1111, 2222, 3333, 4444})); // not the start values
    EXPECT_TRUE(session.commonHysteresis());                        // old generation
}

TEST_F(Qs40SessionTest, ManualConnectionToAnUnknownTypeLeavesNothingBehind) {
    plug(2, otherFamily);
    EXPECT_EQ(session.connect(onPort(2), nullptr), Connect::UnknownType);
    EXPECT_FALSE(ports.isOpen(2));
    EXPECT_EQ(sensorType, 7);
    EXPECT_FALSE(session.connected());
    EXPECT_EQ(session.connect(onPort(5), nullptr), Connect::NothingFound); // nothing on COM 5

    plug(3, sensor);
    ASSERT_TRUE(ports.OpenBusPort(3, 38400, 0, 0, 8, 50)); // another window's port
    EXPECT_EQ(session.connect(onPort(3), nullptr), Connect::NothingFound);
    EXPECT_TRUE(ports.isOpen(3));
}

TEST_F(Qs40SessionTest, ReadWriteAndCopyRunTheirSequences) {
    plug(3, sensor);
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    sensor.values().limitDT = 2500;
    sensor.clearFrames();
    ASSERT_TRUE(session.readParameters(nullptr));
    EXPECT_EQ(params.LimitDT, 2500);
    EXPECT_EQ(frames(), (std::vector<std::string>{"GH1", "GL1", "GH2", "GL2", "GH3", "GL3", "GH4", "GL4",
                                                  "es!48217", "GEN", "GEF", "GDT", "GND", "twd"}));

    params.SwitchL[2] = 2500;
    params.LimitND = 400;
    sensor.clearFrames();
    ASSERT_TRUE(session.copyParameters(nullptr));
    EXPECT_EQ(frames(), (std::vector<std::string>{"IH1 300", "IL1 2000", "IH2 300", "IL2 2500", "IH3 300",
                                                  "IL3 4000", "IH4 300", "IL4 5000", "es!48217", "IEN180",
                                                  "IEF100", "IDT2500", "IND400", "WPP", "twd"}));
    EXPECT_EQ(sensor.storedValues().switchL[2], 2500);
    EXPECT_EQ(sensor.storedValues().limitND, 400);

    sensor.clearFrames();
    params.SwitchL[1] = 1000;
    ASSERT_TRUE(session.writeSwitchPoints(nullptr));
    EXPECT_EQ(frames().back(), "WPP");
    EXPECT_EQ(sensor.storedValues().switchL[1], 1000);

    session.disconnect();
    EXPECT_FALSE(session.writeSwitchPoints(nullptr)); // nothing connected: no success
    EXPECT_FALSE(session.readMeasurement());
}

TEST_F(Qs40SessionTest, ALineThatFailsEndsTheConnectionAndIsToldOnce) {
    SimulatedLine* line = nullptr;
    provider.plug(3, [&](SimulatedLine& l) {
        l.attach(&sensor);
        line = &l;
    });
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    ASSERT_TRUE(session.readMeasurement());
    ASSERT_NE(params.MeasDistance, 0);
    line->failFromNow("Input/output error");
    EXPECT_FALSE(session.readMeasurement());
    EXPECT_FALSE(session.connected());
    EXPECT_FALSE(ports.isOpen(3));
    EXPECT_EQ(session.display().distance, 0); // no measurement is shown as if it were current
    EXPECT_EQ(session.lineError(), "Input/output error");
    const std::optional<LinkReason> why = session.takeLostLine();
    ASSERT_TRUE(why);
    EXPECT_EQ(why->code, LinkReasonCode::DeviceGone);
    EXPECT_FALSE(session.takeLostLine());

    // The next search opens the port afresh.
    EXPECT_EQ(session.search(nullptr), Connect::Connected);
    EXPECT_TRUE(session.readMeasurement());
}

TEST_F(Qs40SessionTest, DisplayFollowsTheMeasurement) {
    struct Case {
        std::int32_t energy;
        int reserve;
    } reserves[] = {{100, 0}, {1100, 100}, {50, 0}, {105, 0}, {600, 50}, {5000, 100}};
    for (const auto& c : reserves)
        EXPECT_EQ(Qs40Session::reservePercent(c.energy), c.reserve) << c.energy;

    params.MeasState = 0b0110;
    params.MeasDistance = 7000;
    const auto d = session.display();
    EXPECT_EQ(d.connector, 2);
    EXPECT_EQ(d.leds, (std::array<bool, 4>{false, true, true, false}));
    EXPECT_TRUE(d.pin2); // switch point 3
    EXPECT_TRUE(d.pin4); // switch point 2
    EXPECT_EQ(d.distance, 6000);
}

TEST_F(Qs40SessionTest, ProjectFileRoundTrip) {
    session.SetSensor();
    params.SwitchL = {0, 100, 200, 300, 400};
    params.SwitchH = {0, 110, 120, 130, 140};
    params.LimitEN = 1;
    params.LimitEF = 2;
    params.LimitDT = 3;
    params.LimitND = 4;
    const Qs40ParameterSet saved = params;
    const std::string text = session.projectFile();
    params = Qs40ParameterSet{};
    bool asked = false;
    const auto outcome = session.load(SpiFile::parse(text), [&] { return asked = true; });
    EXPECT_EQ(outcome.result, Load::Loaded);
    EXPECT_FALSE(asked); // nothing connected
    EXPECT_EQ(params, saved);
}

TEST_F(Qs40SessionTest, LoadingAFileOfAnotherTypeAsksBeforeItEndsTheConnection) {
    plug(3, sensor);
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    const auto mntd = SpiFile::parse("SensorTyp: 12\r\nSP1: 1500mm\r\n");
    const Qs40ParameterSet before = params;

    EXPECT_EQ(session.load(mntd, [] { return false; }).result, Load::Aborted);
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(sensorType, 7);
    EXPECT_EQ(params, before);

    const auto outcome = session.load(mntd, [] { return true; });
    EXPECT_EQ(outcome.result, Load::Incomplete); // only one of the eight lines
    EXPECT_TRUE(outcome.disconnected);
    EXPECT_FALSE(ports.isOpen(3));
    EXPECT_EQ(sensorType, 12);
    EXPECT_EQ(params.SwitchL[1], 1500);
}

TEST_F(Qs40SessionTest, AFileOfNoQs40TypeChangesNothing) {
    plug(3, sensor);
    ASSERT_EQ(session.search(nullptr), Connect::Connected);
    const Qs40ParameterSet before = params;
    for (const char* type : {"263", "5", "-249"}) { // 263 and -249 are 7 in their low eight bits
        bool asked = false;
        const auto parsed = SpiFile::parse(std::string("SensorTyp: ") + type + "\r\nSP1: 1500mm\r\n");
        EXPECT_EQ(session.load(parsed, [&] { return asked = true; }).result, Load::UnknownType) << type;
        EXPECT_FALSE(asked);
    }
    EXPECT_TRUE(session.connected());
    EXPECT_EQ(sensorType, 7);
    EXPECT_EQ(params, before);
}
