// The virtual ZYL24 sensors and the demo's devices, as the window and zylctl meet them.
#include "SimZyl24Bus.h"
#include "DemoDeviceProvider.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Qd20PixelData.h"

#include <gtest/gtest.h>

#include <algorithm>

using Bytes = std::vector<std::uint8_t>;

namespace {

class SimZyl24BusTest : public ::testing::Test {
protected:
    SimZyl24BusTest() : line(&clock), bus(&clock) {
        line.attach(&bus);
        line.setTimeouts({4, 2, 2000, 0, 0});
    }
    Qd20Result send(const Qd20Request& r) { return Qd20Transact(line, false, clock, history, r); }
    Qd20Result send(std::uint8_t address, char command) { return send(PlainRequest(address, command)); }
    Qd20ParameterBlock readBlock(std::uint8_t address) {
        const Qd20Result r = send(address, '?');
        EXPECT_TRUE(r.dataOk);
        return DecodeParameterBlock(r.data).value_or(Qd20ParameterBlock{});
    }
    FakeClock clock;
    LineHistory history;
    SimulatedLine line;
    SimZyl24Bus bus;
};

} // namespace

TEST_F(SimZyl24BusTest, OnlyCompleteCorrectFramesToItsAddressAreAnswered) {
    bus.addSensor(5, '0');
    auto writeRaw = [&](Bytes b) {
        line.purge(true, false);
        line.write(b.data(), b.size());
        return line.pending();
    };
    EXPECT_GT(writeRaw({0x85, 0x04, 0x41, 0x40}), 0u);
    EXPECT_EQ(writeRaw({0x85, 0x04, 0x41, 0x41}), 0u);                // wrong check byte
    EXPECT_EQ(writeRaw({0x86, 0x04, 0x41, 0x43}), 0u);                // another address
    EXPECT_EQ(writeRaw({0x85, 0x04, 0x41}), 0u);                      // incomplete ...
    EXPECT_GT(writeRaw({0x85, 0x04, 0x41, 0x40}), 0u);                // ... and a new frame restarts
    EXPECT_EQ(writeRaw({0x85, 0x0A, 0x41, 1, 2, 3, 4, 5, 6, 0}), 0u); // no frame is that long
    EXPECT_EQ(writeRaw({0x05, 0x04, 0x41, 0x40}), 0u);                // no address byte
    // Every complete frame is in the log, answered or not.
    ASSERT_EQ(bus.frames().size(), 4u);
    EXPECT_EQ(bus.frames()[1], (Bytes{0x85, 0x04, 0x41, 0x41}));
    EXPECT_EQ(bus.frames()[2], (Bytes{0x86, 0x04, 0x41, 0x43}));
}

TEST_F(SimZyl24BusTest, SensorsHearOnlyTheirBaudRateAndFraming) {
    bus.addSensor(5, '0');
    for (const auto& [baud, parity] :
         {std::pair{19200u, Parity::None}, {38400u, Parity::Even}, {38400u, Parity::None}}) {
        ASSERT_TRUE(line.applySettings({baud, 8, parity, StopBits::One, RtsControl::Enable}));
        EXPECT_EQ(send(5, 'A').dataOk, baud == 38400 && parity == Parity::None) << baud;
    }
    EXPECT_EQ(bus.frames().size(), 1u);
}

TEST_F(SimZyl24BusTest, SeveralSensorsShareTheBusAndAnswerWithTheirVariant) {
    bus.addSensor(5, '0');
    bus.addSensor(12, '3');
    bus.addSensor(128, 1);
    EXPECT_EQ(readBlock(5).variantCode, '0');
    EXPECT_EQ(readBlock(12).variantCode, '3');
    EXPECT_EQ(readBlock(128).variantCode, 1);
    EXPECT_FALSE(send(6, '?').dataOk);
}

TEST_F(SimZyl24BusTest, WritesChangeWhatTheNextReadReturns) {
    SimZyl24Sensor& sensor = bus.addSensor(5, '0');
    const Qd20Variant& v = *VariantForSensorType(1);
    Qd20Settings s{.SwitchPointQ1A = 150.0f, .SwitchPointQ1B = 250.0f, .fktQ1 = 0, .osQ1 = 0};
    ASSERT_TRUE(send(Q1Request(5, s, v)).dataOk);
    Qd20ParameterBlock b = readBlock(5);
    EXPECT_EQ(b.q1Function, 0);
    EXPECT_EQ(b.q1SecondRaw, SwitchPointRaw(150.0f, v)); // the only point sits in the second pair
    EXPECT_TRUE(b.q1NormallyClosed);
    Qd20Settings read = SettingsFromBlock(b, v, Qd20Settings{});
    EXPECT_NEAR(read.SwitchPointQ1A, 150.0f, 0.06f);
    EXPECT_FLOAT_EQ(read.SwitchPointQ1B, 300.0f);
    s.fktQ1 = 8;
    ASSERT_TRUE(SendQ1([&](const Qd20Request& r) { return send(r).dataOk; }, 5, s, v));
    b = readBlock(5);
    EXPECT_EQ(b.q1Function, 8);
    EXPECT_EQ(b.q1FirstRaw, SwitchPointRaw(150.0f, v));
    EXPECT_EQ(b.q1SecondRaw, SwitchPointRaw(250.0f, v));
    // Not permanent until stored; the factory preset undoes the working set only.
    EXPECT_NE(sensor.stored(), sensor.parameters());
    ASSERT_TRUE(send(5, 'S').dataOk);
    EXPECT_EQ(sensor.stored(), sensor.parameters());
    ASSERT_TRUE(send(5, 'W').dataOk);
    EXPECT_EQ(sensor.parameters(), sensor.factoryPreset());
    EXPECT_EQ(readBlock(5).q1Function, 0);
    EXPECT_EQ(sensor.stored().q1Function, 8);
}

TEST_F(SimZyl24BusTest, AddressChangeIsAcknowledgedFromTheOldAddress) {
    SimZyl24Sensor& sensor = bus.addSensor(5, '0');
    const Qd20Result r = send(AddressChangeRequest(5, 44));
    EXPECT_TRUE(r.dataOk);
    EXPECT_EQ(r.statusHex.substr(0, 2), "85");
    EXPECT_EQ(sensor.address(), 44);
    EXPECT_TRUE(send(44, 'A').dataOk);
    EXPECT_FALSE(send(AddressChangeRequest(44, 0)).dataOk);
    EXPECT_EQ(sensor.address(), 44);
}

TEST_F(SimZyl24BusTest, MeasurementsMoveAndReportQ1AgainstTheSwitchPoint) {
    SimZyl24Sensor& sensor = bus.addSensor(5, '0');
    const Qd20Variant& v = sensor.variant();
    std::vector<int> values;
    for (int i = 0; i < 50; ++i) {
        const Qd20Result r = send(5, 'A');
        ASSERT_TRUE(r.dataOk);
        const auto m = DecodeMeasurement(r.data);
        ASSERT_TRUE(m);
        EXPECT_TRUE(m->goodTarget);
        values.push_back(m->value);
        clock.advance(200);
    }
    // It moves, slowly, and stays inside the range.
    EXPECT_GT(*std::max_element(values.begin(), values.end()) -
                  *std::min_element(values.begin(), values.end()),
              500);
    for (std::size_t i = 1; i < values.size(); ++i)
        EXPECT_LT(std::abs(values[i] - values[i - 1]), 200);
    // Factory preset: one switch point at mid-range, normally open.
    sensor.setFixedDistance(100.0f);
    EXPECT_TRUE(DecodeMeasurement(send(5, 'I').data)->q1On);
    sensor.setFixedDistance(280.0f);
    EXPECT_FALSE(DecodeMeasurement(send(5, 'I').data)->q1On);
    EXPECT_EQ(DecodeMeasurement(send(5, 'A').data)->value, ToRaw(280.0f, v));
}

TEST_F(SimZyl24BusTest, Q1BitFollowsTheWindowModeAndTheNormallyClosedOutput) {
    SimZyl24Sensor& sensor = bus.addSensor(5, '0');
    const Qd20Variant& v = sensor.variant();
    struct Case {
        bool window;
        bool normallyClosed;
        float distanceMm;
        bool q1On;
    };
    // One switch point at 200 mm, or the window from 150 to 250 mm.
    for (const Case c :
         {Case{false, false, 120, true}, Case{false, false, 260, false}, Case{false, true, 120, false},
          Case{false, true, 260, true}, Case{true, false, 200, true}, Case{true, false, 120, false},
          Case{true, false, 280, false}, Case{true, true, 200, false}, Case{true, true, 120, true}}) {
        const int first = ToRaw(c.window ? 150.0f : 200.0f, v);
        const int second = c.window ? ToRaw(250.0f, v) : 0;
        Qd20Request q1 = PlainRequest(5, '1');
        q1.data = {std::uint8_t(first >> 6), std::uint8_t(first & 0x3F),
                   std::uint8_t(c.normallyClosed ? 1 : 0), std::uint8_t(second >> 6),
                   std::uint8_t(second & 0x3F)};
        ASSERT_TRUE(send(q1).dataOk);
        sensor.setFixedDistance(c.distanceMm);
        EXPECT_EQ(DecodeMeasurement(send(5, 'A').data)->q1On, c.q1On)
            << "window " << c.window << ", normally closed " << c.normallyClosed << ", " << c.distanceMm
            << " mm";
    }
}

TEST_F(SimZyl24BusTest, PixelDataShowsASpotThatFollowsTheTarget) {
    SimZyl24Sensor& sensor = bus.addSensor(5, '2');
    auto brightest = [&] {
        const Qd20Result r = send(5, '6');
        EXPECT_TRUE(r.dataOk);
        const auto curve = DecodePixelCurve(r.data);
        EXPECT_TRUE(curve);
        return curve ? int(std::max_element(curve->begin(), curve->end()) - curve->begin()) : -1;
    };
    sensor.setFixedDistance(300.0f);
    const int near = brightest();
    sensor.setFixedDistance(700.0f);
    const int far = brightest();
    EXPECT_GT(far, near + 30);
    const Qd20Result service = send(5, '3');
    ASSERT_TRUE(service.dataOk);
    const auto q = DecodeServiceNumbers(service.data);
    ASSERT_TRUE(q);
    EXPECT_EQ((*q)[2], ToRaw(700.0f, sensor.variant()));
}

TEST_F(SimZyl24BusTest, ReopeningThePortEndsTheStreamAndDropsHalfFrames) {
    bus.addSensor(5, '0');
    ASSERT_TRUE(send(5, 'F').dataOk);
    EXPECT_TRUE(bus.streaming());
    const Bytes half{0x85, 0x04};
    line.write(half.data(), half.size());
    bus.lineReset();
    EXPECT_FALSE(bus.streaming());
    const Bytes rest{0x41, 0x40};
    line.write(rest.data(), rest.size());
    EXPECT_EQ(line.pending(), 0u);
    EXPECT_EQ(bus.frames().size(), 1u);
}

TEST(DemoDeviceProviderTest, DemoPortsCarryTheirSensorsAndKeepThemAcrossReopen) {
    FakeClock clock;
    LineHistory history;
    DemoDeviceProvider demo(clock);
    EXPECT_EQ(demo.describe(1), "demo: ZYL24 bus (ZYL24_220 at address 5, ZYL24_1000 at address 12)");
    EXPECT_EQ(demo.describe(5), "demo: Halvern sensor (type 15)");
    EXPECT_EQ(demo.open(7).error, OpenError::Absent);
    EXPECT_FALSE(demo.open(7).message.empty());
    EXPECT_EQ(demo.open(21).error, OpenError::NotMapped);
    OpenResult com1 = demo.open(1);
    ASSERT_EQ(com1.error, OpenError::None);
    ASSERT_TRUE(com1.device);
    EXPECT_EQ(demo.open(1).error, OpenError::Busy); // still open
    com1.device->setTimeouts({4, 2, 2000, 0, 0});
    ASSERT_TRUE(Qd20Transact(*com1.device, false, clock, history, AddressChangeRequest(12, 30)).dataOk);
    Qd20Request hold = HoldRequest(5, 0);
    ASSERT_TRUE(Qd20Transact(*com1.device, false, clock, history, hold).dataOk);
    com1.device.reset();
    OpenResult again = demo.open(1);
    ASSERT_TRUE(again.device);
    again.device->setTimeouts({4, 2, 2000, 0, 0});
    EXPECT_TRUE(Qd20Transact(*again.device, false, clock, history, PlainRequest(30, 'A')).dataOk);
    const Qd20Result block = Qd20Transact(*again.device, false, clock, history, PlainRequest(5, '?'));
    ASSERT_TRUE(block.dataOk);
    EXPECT_TRUE(DecodeParameterBlock(block.data)->holdOn);
    EXPECT_EQ(demo.describe(1), "demo: ZYL24 bus (ZYL24_220 at address 5, ZYL24_1000 at address 30)");
    OpenResult com5 = demo.open(5);
    ASSERT_TRUE(com5.device);
    com5.device->setTimeouts({4, 2, 10, 0, 0});
    EXPECT_EQ(ProbeHalvern(*com5.device, false), 15);
    EXPECT_FALSE(Qd20Transact(*com5.device, false, clock, history, PlainRequest(5, 'A')).dataOk);
}
