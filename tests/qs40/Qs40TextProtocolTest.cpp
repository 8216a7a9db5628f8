// The QS40 text protocol against the simulated sensor (requests, values, generations) and
// against scripted replies (refusals, short, cut and over-long replies).
#include "Qs40TextFixture.h"
#include "SimHandheld.h"

#include <functional>
#include <random>

namespace {

using Op = std::function<bool(Qs40Context&)>;
Op guarded(bool (*op)(Qs40Context&, std::uint8_t)) {
    return [op](Qs40Context& c) { return op(c, kQs40SensorType); };
}

std::vector<std::string> curveRequests(const char* command, std::function<std::string(int)> value) {
    std::vector<std::string> out;
    for (int k = 0; k < 256; ++k)
        out.push_back(command + value(k));
    return out;
}

} // namespace

class Qs40TextProtocolTest : public Qs40TextFixture {};

TEST_F(Qs40TextProtocolTest, RequestsOfBothGenerationsAreByteExact) {
    struct Case {
        const char* name;
        int revision;
        bool (*op)(Qs40Context&, std::uint8_t);
        std::vector<std::string> expected;
    };
    const std::vector<std::string> writeNew = {"IH1 300", "IL1 2000", "IH2 300", "IL2 3000",
                                               "IH3 300", "IL3 4000", "IH4 300", "IL4 5000"};
    const Case cases[] = {
        {"read new", 4, Qs40ReadSwitchPoints, {"GH1", "GL1", "GH2", "GL2", "GH3", "GL3", "GH4", "GL4"}},
        {"read old", 3, Qs40ReadSwitchPoints, {"?L1", "?L2", "?L3", "?L4"}},
        {"write new", 4, Qs40WriteSwitchPoints, writeNew},
        {"write old", 3, Qs40WriteSwitchPoints, {"IH1 300", "IL1 2000", "IL2 3000", "IL3 4000", "IL4 5000"}},
        {"measure new", 4, Qs40ReadMeasurement, {"INM1", "ESM"}},
        {"measure old", 2, Qs40ReadMeasurement, {"NOC1", "TSM"}},
        {"unlock", 4, Qs40Unlock, {"es!48217"}},
        {"store", 4, Qs40StoreEeprom, {"WPP"}},
        {"restart", 4, Qs40Restart, {"twd"}},
        {"user mode", 3, Qs40Sum, {"SUM"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        connectSensor(c.revision);
        params.SwitchL = {0, 2000, 3000, 4000, 5000};
        params.SwitchH = {0, 300, 300, 300, 300};
        EXPECT_TRUE(c.op(ctx, kQs40SensorType));
        EXPECT_EQ(frames(), c.expected);
        ports.ClosePort(kCom);
    }
}

TEST_F(Qs40TextProtocolTest, FramesGoOutAsStxTextEotAfterOneResynchronisation) {
    connectSensor();
    ASSERT_TRUE(Qs40Sum(ctx, kQs40SensorType));
    // SyncLine's single STX (the line is quiet), then the request.
    EXPECT_EQ(line->written(), (std::vector<std::uint8_t>{0x02, 0x02, 'S', 'U', 'M', 0x04}));
}

TEST_F(Qs40TextProtocolTest, ServiceParametersTravelAfterTheUnlock) {
    connectSensor();
    sensor->values().limitEN = 222;
    sensor->values().paramTO = 77;
    sensor->values().curve[255] = -5;
    ASSERT_TRUE(Qs40Unlock(ctx, kQs40SensorType));
    ASSERT_TRUE(Qs40ReadLimits(ctx, kQs40SensorType));
    ASSERT_TRUE(Qs40ReadSettings(ctx, kQs40SensorType));
    ASSERT_TRUE(Qs40ReadCurveTable(ctx, kQs40SensorType));
    EXPECT_EQ(params.LimitEN, 222);
    EXPECT_EQ(params.ParamTO, 77);
    EXPECT_EQ(params.CurveTable[255], -5);
    std::vector<std::string> expected = {"es!48217", "GEN", "GEF", "GDT", "GND", "GNR", "GTO", "GTC"};
    const auto grv = curveRequests("GRV", [](int k) { return std::to_string(128 + 2 * k); });
    expected.insert(expected.end(), grv.begin(), grv.end());
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(progress.position(), 256); // one step per table word

    sensor->clearFrames();
    params.LimitEF = 9;
    params.ParamNR = 1;
    params.ParamTC = 2;
    params.ParamTO = 3;
    for (std::size_t k = 0; k < 256; ++k)
        params.CurveTable[k] = std::int32_t(k) * 3;
    ASSERT_TRUE(Qs40WriteLimits(ctx, kQs40SensorType));
    ASSERT_TRUE(Qs40WriteSettings(ctx, kQs40SensorType));
    ASSERT_TRUE(Qs40WriteCurveTable(ctx, kQs40SensorType));
    expected = {"IEN222", "IEF9", "IDT2800", "IND350", "INR1", "ITC2", "ITO3"};
    const auto icv = curveRequests("ICV", [](int k) { return std::to_string(3 * k); });
    expected.insert(expected.end(), icv.begin(), icv.end());
    EXPECT_EQ(frames(), expected);
    EXPECT_EQ(sensor->values().limitEF, 9);
    EXPECT_EQ(sensor->values().curve[200], 600);
    EXPECT_EQ(progress.position(), 512);
    // Without the unlock (a restart locks again) the sensor refuses the first limit.
    ASSERT_TRUE(Qs40Restart(ctx, kQs40SensorType));
    sensor->clearFrames();
    EXPECT_FALSE(Qs40ReadLimits(ctx, kQs40SensorType));
    EXPECT_EQ(frames(), (std::vector<std::string>{"GEN"}));
}

TEST_F(Qs40TextProtocolTest, SwitchPointsAndMeasurementComeFromTheSensor) {
    connectSensor();
    sensor->values().switchL = {0, 1234, 2000, 5999, 100};
    sensor->values().switchH = {0, 150, 0, 4000, 9};
    ASSERT_TRUE(Qs40ReadSwitchPoints(ctx, kQs40SensorType));
    EXPECT_EQ(params.SwitchL, sensor->values().switchL);
    EXPECT_EQ(params.SwitchH, sensor->values().switchH);
    EXPECT_EQ(progress.position(), 32);
    params.SwitchL[2] = 2500;
    ASSERT_TRUE(Qs40WriteSwitchPoints(ctx, kQs40SensorType));
    EXPECT_EQ(sensor->values().switchL[2], 2500);
    EXPECT_EQ(progress.position(), 32 + 64);
    clock.advance(5000); // the target at 2 / 3 of its way out
    ASSERT_TRUE(Qs40ReadMeasurement(ctx, kQs40SensorType));
    const std::int32_t d = sensor->distanceAt(clock.nowMs());
    EXPECT_EQ(params.MeasDistance, d);
    EXPECT_EQ(params.MeasEnergy, 1100 - d / 6);
    EXPECT_EQ(params.MeasState, 0b0100); // only switch point 3 lies beyond the target
}

TEST_F(Qs40TextProtocolTest, OldGenerationKeepsHysteresesItCannotRead) {
    connectSensor(3);
    params.SwitchH = {0, 11, 22, 33, 44};
    ASSERT_TRUE(Qs40ReadSwitchPoints(ctx, kQs40SensorType));
    EXPECT_EQ(params.SwitchH, (std::array<std::int32_t, 5>{0, 11, 22, 33, 44}));
    ASSERT_TRUE(Qs40WriteSwitchPoints(ctx, kQs40SensorType));
    EXPECT_EQ(sensor->values().switchH, (std::array<std::int32_t, 5>{0, 11, 300, 300, 300}));
}

TEST_F(Qs40TextProtocolTest, NothingIsSentOrReportedDoneWithoutAQs40OnAnOpenPort) {
    const std::pair<const char*, bool (*)(Qs40Context&, std::uint8_t)> ops[] = {
        {"read switch points", Qs40ReadSwitchPoints},
        {"write switch points", Qs40WriteSwitchPoints},
        {"read limits", Qs40ReadLimits},
        {"write limits", Qs40WriteLimits},
        {"measure", Qs40ReadMeasurement},
        {"unlock", Qs40Unlock},
        {"store", Qs40StoreEeprom},
        {"restart", Qs40Restart},
        {"read settings", Qs40ReadSettings},
        {"write settings", Qs40WriteSettings},
        {"read table", Qs40ReadCurveTable},
        {"write table", Qs40WriteCurveTable},
        {"user mode", Qs40Sum},
    };
    connectSensor();
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(op(ctx, 12)); // a NUVA sensor's type
        EXPECT_TRUE(line->written().empty());
        typePort[kQs40SensorType] = 4; // a port that is not open
        EXPECT_FALSE(op(ctx, kQs40SensorType));
        typePort[kQs40SensorType] = kCom;
    }
    EXPECT_TRUE(sensor->frames().empty());
}

TEST_F(Qs40TextProtocolTest, RepliesCountOnlyWhenCompleteAndWellFormed) {
    struct Case {
        const char* name;
        std::map<std::string, std::string> replies;
        Op op;
        bool ok;
        std::function<std::int32_t(const Qs40ParameterSet&)> field;
        std::int32_t expected;
    };
    auto L1 = [](const Qs40ParameterSet& p) { return p.SwitchL[1]; };
    auto H1 = [](const Qs40ParameterSet& p) { return p.SwitchH[1]; };
    auto dist = [](const Qs40ParameterSet& p) { return p.MeasDistance; };
    auto en = [](const Qs40ParameterSet& p) { return p.LimitEN; };
    const std::map<std::string, std::string> goodPoints = {
        {"GH1", "150\r\n"}, {"GL1", "1500\r\n"}, {"GH2", "1\n"}, {"GL2", "0002\n"},
        {"GH3", "1\n"},     {"GL3", "0003\n"},   {"GH4", "1\n"}, {"GL4", "0004\n"}};
    auto points = [&](std::string key, std::string reply) {
        auto r = goodPoints;
        r[key] = reply;
        return r;
    };
    const Op read = guarded(Qs40ReadSwitchPoints);
    const Op measure = guarded(Qs40ReadMeasurement);
    const Op limits = guarded(Qs40ReadLimits);
    const Case cases[] = {
        {"all answered", goodPoints, read, true, L1, 1500},
        {"GL short but ended by LF", points("GL1", "123\n"), read, true, L1, 77},
        {"GL refused", points("GL1", "\x15"), read, false, L1, 2000},
        {"GH refused", points("GH1", "\x15"), read, false, H1, 300},
        {"GL silent", points("GL1", ""), read, false, L1, 77},
        {"GL cut before LF", points("GL1", "1500"), read, false, L1, 77},
        {"GL not digits", points("GL1", "15x0\n"), read, false, L1, 77},
        {"GH cut before LF", points("GH1", "150"), read, false, H1, 66},
        {"GH not a number", points("GH1", "abc\n"), read, false, H1, 66},
        {"GH beyond 32 bits", points("GH1", "4294967296\n"), read, false, H1, 66},
        {"GH over-long", points("GH1", std::string(200, '7')), read, false, H1, 66},
        {"GH hexadecimal", points("GH1", "0x1F\n"), read, true, H1, 31},
        {"measurement", {{"INM1", "\x06"}, {"ESM", "812 0 640 1 5\r\n"}}, measure, true, dist, 812},
        {"start refused zeroes", {{"INM1", "\x15"}}, measure, false, dist, 0},
        {"start answered by !", {{"INM1", "!"}, {"ESM", "9 0 9 0 9\n"}}, measure, true, dist, 9},
        {"fetch refused keeps", {{"INM1", "\x06"}, {"ESM", "\x15"}}, measure, false, dist, 55},
        {"fetch not ready keeps", {{"INM1", "\x06"}, {"ESM", "?"}}, measure, false, dist, 55},
        {"fetch of four numbers", {{"INM1", "\x06"}, {"ESM", "812 0 640 1\r\n"}}, measure, false, dist, 55},
        {"fetch silent", {{"INM1", "\x06"}}, measure, false, dist, 55},
        {"unlock wants ACK", {{"es!48217", "!"}}, guarded(Qs40Unlock), false, en, 44},
        {"store takes !", {{"WPP", "!"}}, guarded(Qs40StoreEeprom), true, en, 44},
        {"limits stop at refusal", {{"GEN", "\x15"}}, limits, false, en, 44},
        {"limit value",
         {{"GEN", "-17\n"}, {"GEF", "1\n"}, {"GDT", "1\n"}, {"GND", "1\n"}},
         limits,
         true,
         en,
         -17},
    };
    connect(scripted);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        params.SwitchL[1] = 77;
        params.SwitchH[1] = 66;
        params.MeasDistance = 55;
        params.LimitEN = 44;
        scripted.replies = c.replies;
        EXPECT_EQ(c.op(ctx), c.ok);
        EXPECT_EQ(c.field(params), c.expected);
    }
}

TEST_F(Qs40TextProtocolTest, ALateReplyIsNotTakenForTheNextRequest) {
    connect(scripted);
    line->setPurgeKeepsBytesOnTheirWay(true); // a purge cannot reach what is still on the wire
    // GH1's value comes after its read gave up, but while GH2 (which gets no answer) waits.
    scripted.replies = {{"GH1", "150\n"}, {"GL1", "1500\n"}};
    scripted.delaysMs = {{"GH1", 150}};
    params.SwitchH = {0, 66, 55, 0, 0};
    EXPECT_FALSE(Qs40ReadSwitchPoints(ctx, kQs40SensorType));
    EXPECT_EQ(params.SwitchH[1], 66);
    EXPECT_EQ(params.SwitchL[1], 1500);
    EXPECT_EQ(params.SwitchH[2], 55);
}

TEST_F(Qs40TextProtocolTest, AReplyTrickledOutPastTheDeadlineIsARefusal) {
    connect(scripted);
    scripted.replies = {{"GEN", "1234567\n"}, {"GEF", "1\n"}, {"GDT", "1\n"}, {"GND", "1\n"}};
    // Each byte comes within the read time-out, but the whole reply takes 400 ms.
    scripted.trickleMs = {{"GEN", 50}};
    EXPECT_FALSE(Qs40ReadLimits(ctx, kQs40SensorType));
    scripted.trickleMs = {{"GEN", 2}};
    EXPECT_TRUE(Qs40ReadLimits(ctx, kQs40SensorType));
    EXPECT_EQ(params.LimitEN, 1234567);
}

TEST_F(Qs40TextProtocolTest, RandomRepliesNeverCrashAndGarbageNeverSucceeds) {
    connect(scripted);
    const Op readers[] = {guarded(Qs40ReadSwitchPoints), guarded(Qs40ReadMeasurement),
                          guarded(Qs40ReadLimits),       guarded(Qs40ReadSettings),
                          guarded(Qs40Unlock),           Qs40ReadFromHandheld};
    const std::vector<std::string> requests = {"GH1", "GL1", "GH2",  "GL2", "GH3", "GL3",
                                               "GH4", "GL4", "INM1", "ESM", "GEN", "GEF",
                                               "GDT", "GND", "GNR",  "GTO", "GTC", "es!48217"};
    std::mt19937 random(14);
    for (int round = 0; round < 200; ++round) {
        // Letters only (no digit, LF or ACK) can never make a valid reply.
        const bool garbage = round % 2 == 0;
        for (const std::string& r : requests) {
            std::string reply(random() % 120, '\0');
            for (char& c : reply)
                c = garbage ? char('a' + random() % 26) : char(random() % 256);
            scripted.replies[r] = reply;
        }
        for (const Op& op : readers) {
            const bool ok = op(ctx);
            if (garbage) {
                EXPECT_FALSE(ok) << "round " << round;
            }
        }
    }
}

TEST_F(Qs40TextProtocolTest, APulledAdapterEndsTheOperationWithItsReason) {
    connectSensor();
    ASSERT_TRUE(Qs40Unlock(ctx, kQs40SensorType));
    sensor->clearFrames();
    line->failFromNow("the adapter was pulled");
    EXPECT_FALSE(Qs40ReadCurveTable(ctx, kQs40SensorType));
    EXPECT_EQ(ctx.lineError, "the adapter was pulled");
    EXPECT_TRUE(sensor->frames().empty());
}

class Qs40HandheldTest : public Qs40TextFixture {
protected:
    SimHandheld handheld;
};

TEST_F(Qs40HandheldTest, SwitchPointsGoToTheHandheldWithFourDigits) {
    connect(handheld);
    params.SwitchL = {0, 2000, 150, 4321, 9999};
    params.SwitchH = {0, 300, 5, 100, 0};
    ASSERT_TRUE(Qs40SendToHandheld(ctx, kQs40SensorType));
    const std::vector<std::string> sent = texts(handheld.frames());
    EXPECT_EQ(std::vector<std::string>(sent.end() - 8, sent.end()),
              (std::vector<std::string>{"ih1 0300", "il1 2000", "ih2 0005", "il2 0150", "ih3 0100",
                                        "il3 4321", "ih4 0000", "il4 9999"}));
    // Reading back loses the last digit, as the handheld keeps centimetres.
    params = {};
    ASSERT_TRUE(Qs40ReadFromHandheld(ctx));
    EXPECT_EQ(params.SwitchL, (std::array<std::int32_t, 5>{0, 2000, 150, 4320, 9990}));
    EXPECT_EQ(params.SwitchH, (std::array<std::int32_t, 5>{0, 300, 0, 100, 0}));
}

TEST_F(Qs40HandheldTest, WhatTheHandheldCannotTakeIsNotSent) {
    connect(handheld);
    const std::size_t before = handheld.frames().size();
    params.SwitchL = {0, 2000, 2000, 2000, 2000};
    params.SwitchH = {0, 300, 300, 300, 300};
    EXPECT_FALSE(Qs40SendToHandheld(ctx, 12));
    params.SwitchL[3] = 10000;
    EXPECT_FALSE(Qs40SendToHandheld(ctx, kQs40SensorType));
    params.SwitchL[3] = 2000;
    params.SwitchH[2] = -1;
    EXPECT_FALSE(Qs40SendToHandheld(ctx, kQs40SensorType));
    EXPECT_EQ(handheld.frames().size(), before);
    ports.ClosePort(kCom);
    params.SwitchH[2] = 300;
    EXPECT_FALSE(Qs40SendToHandheld(ctx, kQs40SensorType));
    EXPECT_FALSE(Qs40ReadFromHandheld(ctx));
}

TEST_F(Qs40HandheldTest, HandheldRepliesNeedFourDigits) {
    connect(scripted);
    auto all = [](std::string reply) {
        std::map<std::string, std::string> r;
        for (int n = 1; n <= 4; ++n)
            r["GH" + std::to_string(n)] = r["GL" + std::to_string(n)] = reply;
        return r;
    };
    scripted.replies = all("1234");
    ASSERT_TRUE(Qs40ReadFromHandheld(ctx));
    EXPECT_EQ(params.SwitchL[4], 1230);
    EXPECT_EQ(params.SwitchH[1], 1230);
    scripted.replies["GL3"] = "123";
    EXPECT_FALSE(Qs40ReadFromHandheld(ctx));
    EXPECT_EQ(params.SwitchL[4], 1230); // the others were still read
    scripted.replies = all("12a4");
    EXPECT_FALSE(Qs40ReadFromHandheld(ctx));
    scripted.replies = all("\x15");
    EXPECT_FALSE(Qs40ReadFromHandheld(ctx));
}

TEST_F(Qs40HandheldTest, MotFileGoesOverInAcknowledgedPieces) {
    connect(handheld);
    const std::string file = "S00600004844521B\r\nS9030000FC\r\n!"; // odd length
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    ASSERT_TRUE(Qs40SendMotFile(ctx, bytes));
    EXPECT_EQ(handheld.motFile(), bytes);
    EXPECT_EQ(texts(handheld.frames()).back(), "mot");
    connect(scripted); // acknowledges "mot" but not the pieces
    scripted.replies = {{"mot", "\x06"}};
    EXPECT_FALSE(Qs40SendMotFile(ctx, bytes));
    scripted.replies = {};
    EXPECT_FALSE(Qs40SendMotFile(ctx, bytes));
}
