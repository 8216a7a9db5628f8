// The write commands with the window's limits, and the order in which groups go out.
#include "Qd20Commands.h"
#include "SimZyl24Bus.h"

#include <gtest/gtest.h>

#include <cmath>

using Bytes = std::vector<std::uint8_t>;

namespace {

const Qd20Variant& v220() {
    return *VariantForSensorType(1);
}

Bytes dataOf(const Qd20Request& r) {
    Bytes b;
    for (std::uint8_t x : r.data) {
        if (x == kQd20Unused)
            break;
        b.push_back(x);
    }
    return b;
}

// Records what is sent and answers from a script (true when the script is exhausted).
struct RecordingSender {
    std::vector<Qd20Request> sent;
    std::vector<bool> answers;
    Qd20Sender sender() {
        return [this](const Qd20Request& r) {
            sent.push_back(r);
            if (sent.size() <= answers.size())
                return bool(answers[sent.size() - 1]);
            return true;
        };
    }
    std::string commands() const {
        std::string s;
        for (const auto& r : sent)
            s += r.command;
        return s;
    }
};

} // namespace

TEST(Qd20CommandsTest, SwitchPointsAreSentWithinTwoTo4093) {
    const Qd20Variant& v = v220();
    EXPECT_EQ(SwitchPointRaw(300.0f, v), 2);   // exactly the range end
    EXPECT_EQ(SwitchPointRaw(400.0f, v), 2);   // beyond it
    EXPECT_EQ(SwitchPointRaw(299.9f, v), 2);   // ToRaw gives 1
    EXPECT_EQ(SwitchPointRaw(80.0f, v), 4093); // the range start
    EXPECT_EQ(SwitchPointRaw(10.0f, v), 4093); // before it
    EXPECT_EQ(SwitchPointRaw(190.0f, v), 2047);
    // The 1000 mm variant resolves finer than 0.1 mm near its start: 4094 is still too high.
    EXPECT_EQ(SwitchPointRaw(250.1f, *VariantForSensorType(10)), 4093);
}

TEST(Qd20CommandsTest, OutputWritesCarryPointsFlagsAndTheFunctionLetter) {
    Qd20Settings s{.SwitchPointQ1A = 80.0f, .SwitchPointQ1B = 190.0f, .fktQ1 = 0, .osQ1 = 0, .ivQ1 = 1};
    Qd20Request r = Q1Request(5, s, v220());
    EXPECT_EQ(r.command, '1');
    EXPECT_EQ(r.address, 5);
    EXPECT_EQ(dataOf(r), (Bytes{0x3F, 0x3D, 0x01, 0x00, 0x00})); // one point: second value 0
    s.fktQ1 = 1;
    s.ivQ1 = 0;
    EXPECT_EQ(dataOf(Q1Request(5, s, v220())), (Bytes{0x3F, 0x3D, 0x03, 0x1F, 0x3F}));
    s.SwitchPointQ2A = s.SwitchPointQ2B = 300.0f;
    s.fktQ2 = 2, s.osQ2 = 1, s.ivQ2 = 0;
    r = Q2Request(9, s, v220());
    EXPECT_EQ(r.command, '2');
    EXPECT_EQ(dataOf(r), (Bytes{0x00, 0x02, 0x02, 0x00, 0x02}));
    const std::string letters = "TEMXDFCZ";
    for (int pos = 0; pos < 10; ++pos)
        EXPECT_EQ(Q1FunctionLetter(pos), pos < 2 ? std::nullopt : std::optional<char>(letters[pos - 2]));
    EXPECT_EQ(Q2FunctionLetter(2), 'G');
    EXPECT_FALSE(Q2FunctionLetter(1));
}

TEST(Qd20CommandsTest, SingleByteSettingsFollowTheSliderPositions) {
    // Soft trigger 0 is "set Q1 high", 1 "set Q1 low".
    const std::pair<Qd20Request, int> cases[] = {{KeyLockRequest(1, 0), 1},
                                                 {KeyLockRequest(1, 1), 0},
                                                 {HoldRequest(1, 0), 1},
                                                 {AveragingRequest(1, 0, false), 2},
                                                 {AveragingRequest(1, 1, false), 1},
                                                 {AveragingRequest(1, 2, true), 4},
                                                 {AveragingRequest(1, 0, true), 6},
                                                 {SoftTriggerRequest(1, 0), 1},
                                                 {SoftTriggerRequest(1, 1), 0},
                                                 {AddressChangeRequest(5, 44), 44}};
    for (const auto& [request, byte] : cases)
        EXPECT_EQ(dataOf(request), Bytes{std::uint8_t(byte)}) << request.command;
    EXPECT_EQ(HoldRequest(1, 0).command, 'R');
    for (int pos : {0, 1, 2, 9})
        EXPECT_EQ(SoftTriggerAllowed(pos), pos >= 2) << pos;
    EXPECT_EQ(BuildFrame(PlainRequest(5, 'W')), (Bytes{0x85, 0x04, 'W', 0x05 ^ 0x04 ^ 'W'}));
}

TEST(Qd20CommandsTest, AnalogPointsAreLimitedToTheRange) {
    const Qd20Variant& v = v220();
    Qd20AnalogPoint p = LimitAnalogPoint(350.0f, v);
    EXPECT_TRUE(p.limited);
    EXPECT_FLOAT_EQ(p.mm, 300.0f);
    EXPECT_EQ(p.raw, 0);
    p = LimitAnalogPoint(12.0f, v);
    EXPECT_TRUE(p.limited);
    EXPECT_EQ(p.raw, 4095);
    p = LimitAnalogPoint(190.0f, v);
    EXPECT_FALSE(p.limited);
    EXPECT_EQ(p.raw, 2047);
    EXPECT_TRUE(LimitAnalogPoint(std::nanf(""), v).limited);
    EXPECT_EQ(dataOf(AnalogRequest(3, 'H', 4095)), (Bytes{0x3F, 0x3F}));
}

TEST(Qd20CommandsTest, FunctionLetterFollowsOnlyAnAcceptedWriteUnlessSimulating) {
    Qd20Settings s;
    s.fktQ1 = 7;
    RecordingSender refused{{}, {false}};
    EXPECT_FALSE(SendQ1(refused.sender(), 5, s, v220()));
    EXPECT_EQ(refused.commands(), "1");
    RecordingSender simulating{{}, {false, false}};
    EXPECT_FALSE(SendQ1(simulating.sender(), 5, s, v220(), true));
    EXPECT_EQ(simulating.commands(), "1F");
    RecordingSender q2{};
    s.fktQ2 = 2;
    EXPECT_TRUE(SendQ2(q2.sender(), 5, s, v220()));
    EXPECT_EQ(q2.commands(), "2G");
    EXPECT_EQ(q2.sent[1].address, 5);
}

TEST(Qd20CommandsTest, AnalogWriteRetriesLowThenHighAfterARefusal) {
    const Qd20AnalogPoint p20 = LimitAnalogPoint(100.0f, v220());
    const Qd20AnalogPoint p4 = LimitAnalogPoint(250.0f, v220());
    RecordingSender accepted{};
    EXPECT_TRUE(SendAnalog(accepted.sender(), 5, p20, p4));
    EXPECT_EQ(accepted.commands(), "HN");
    RecordingSender retried{{}, {false, true, true}};
    EXPECT_TRUE(SendAnalog(retried.sender(), 5, p20, p4));
    EXPECT_EQ(retried.commands(), "HNH");
    EXPECT_EQ(dataOf(retried.sent[2]), dataOf(retried.sent[0]));
    RecordingSender stillRefused{{}, {false, true, false}};
    EXPECT_FALSE(SendAnalog(stillRefused.sender(), 5, p20, p4));
}

TEST(Qd20CommandsTest, WriteAllSendsTheGroupsInOrderAndStopsAtTheFirstRefusal) {
    Qd20Settings s;
    PresetPoints(s, v220());
    s.fktQ1 = 3;
    s.fktQ2 = 2;
    RecordingSender all{};
    EXPECT_TRUE(SendAll(all.sender(), 5, s, v220()).ok);
    EXPECT_EQ(all.commands(), "1E2GVBRHN");
    RecordingSender stopped{{}, {true, true, true, true, false}};
    const Qd20WriteAllResult r = SendAll(stopped.sender(), 5, s, v220());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failed, Qd20Group::KeyLock);
    EXPECT_EQ(stopped.commands(), "1E2GV");
}

TEST(Qd20CommandsTest, WriteAllReachesTheSimulatedSensor) {
    FakeClock clock;
    SimulatedLine line(&clock);
    SimZyl24Bus bus(&clock);
    SimZyl24Sensor& sensor = bus.addSensor(5, '0');
    line.attach(&bus);
    line.setTimeouts({4, 2, 2000, 0, 0});
    LineHistory history;
    const Qd20Sender send = [&](const Qd20Request& r) {
        return Qd20Transact(line, false, clock, history, r).dataOk;
    };
    // A falling analog characteristic is allowed.
    const Qd20Settings s{.SwitchPointQ1A = 120.0f,
                         .SwitchPointQ1B = 150.0f,
                         .SwitchPointQ2A = 200.0f,
                         .SwitchPointQ2B = 210.0f,
                         .AnalogPoint1 = 300.0f,
                         .AnalogPoint2 = 80.0f,
                         .fktQ1 = 1,
                         .osQ1 = 0,
                         .fktQ2 = 2,
                         .tv = 0,
                         .hold = 0,
                         .bw = 2};
    ASSERT_TRUE(SendAll(send, 5, s, v220()).ok);
    EXPECT_EQ(bus.frames().front(), BuildFrame(Q1Request(5, s, v220())));
    const Qd20ParameterBlock expected = BlockFromSettings(s, v220(), '0');
    Qd20ParameterBlock got = sensor.parameters();
    EXPECT_EQ(got.q1Function, 1);
    EXPECT_EQ(got.q2Function, 2);
    EXPECT_EQ(got.q1FirstRaw, expected.q1FirstRaw);
    EXPECT_EQ(got.q1SecondRaw, expected.q1SecondRaw);
    EXPECT_TRUE(got.q1NormallyClosed);
    EXPECT_TRUE(got.keyLockOn);
    EXPECT_TRUE(got.holdOn);
    EXPECT_EQ(got.averaging, 2);
    EXPECT_EQ(got.analogPoint1Raw, 0);
    EXPECT_EQ(got.analogPoint2Raw, 4095);
    // The factory preset had 4 mA at the start and 20 mA at the end: turning the characteristic
    // round needed the retry ("H" refused against the old 4 mA point, then "N", "H").
    std::string sequence;
    for (const Bytes& f : bus.frames())
        sequence += char(f[2]);
    EXPECT_EQ(sequence, "12GVBRHNH");
}
