#include "NuvaLine.h"

#include <string>

namespace {

std::vector<long long> wide(const NuvaLimits& limits) {
    return {limits.begin(), limits.end()};
}

TEST(NuvaRequestTest, FramesOfEveryCommandAreByteExact) {
    const NuvaLimits iva4 = NuvaPresets()[0].limits;
    ASSERT_EQ(NuvaPresets()[0].caption, "Zavoziz IVA4");
    const std::vector<long long> limits = wide(iva4);
    const struct {
        std::optional<NuvaRequest> request;
        Bytes frame;
    } cases[] = {
        {NuvaIdentifyRequest(), {0xDE, 0x01, 0x05, 0x58, 0x82}},
        {NuvaReadSwitchPointsRequest(), {0xDE, 0x01, 0x05, 0x55, 0x8F}},
        {NuvaWriteSwitchPointRequest(0, 1408), {0xDE, 0x01, 0x08, 0x4C, 0x11, 0x05, 0x80, 0x0F}},
        {NuvaWriteSwitchPointRequest(15, 5300), {0xDE, 0x01, 0x08, 0x4C, 0x44, 0x14, 0xB4, 0x7F}},
        {NuvaWriteHysteresisRequest(3, 48), {0xDE, 0x01, 0x08, 0x48, 0x04, 0x00, 0x30, 0xAB}},
        {NuvaSelectFieldRequest(2), {0xDE, 0x01, 0x06, 0x41, 0x82, 0x1A}},
        {NuvaMeasureRequest(false), {0xDE, 0x01, 0x05, 0x43, 0x99}},
        {NuvaMeasureRequest(true), {0xDE, 0x01, 0x05, 0x50, 0x8A}},
        {NuvaStoreRequest(), {0xDE, 0x01, 0x05, 0x53, 0x89}},
        {NuvaReadNearSwitchRequest(), {0xDE, 0x01, 0x06, 0x3A, 0xAA, 0x49}},
        {NuvaSetNearSwitchRequest(true), {0xDE, 0x01, 0x07, 0x2A, 0xAA, 0x00, 0x58}},
        {NuvaSetNearSwitchRequest(false), {0xDE, 0x01, 0x07, 0x2A, 0xAA, 0x01, 0x59}},
        {NuvaReadLimitsRequest(), {0xDE, 0x01, 0x06, 0x36, 0xAA, 0x45}},
        {NuvaWriteLimitsRequest(std::span<const long long, kNuvaLimitCount>(limits.data(), kNuvaLimitCount)),
         {0xDE, 0x01, 0x16, 0x35, 0xAA, 0x00, 0x05, 0x00, 0x03, 0x00, 0x14,
          0x00, 0x50, 0x00, 0x19, 0x00, 0x05, 0x07, 0xD0, 0x0B, 0xB8, 0x6C}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(c.request);
        EXPECT_EQ(NuvaRequestFrame({}, c.request->command, c.request->data), c.frame) << c.request->command;
    }
}

TEST(NuvaRequestTest, ValuesThatDoNotFitAreRefusedNotCut) {
    std::vector<long long> limits(kNuvaLimitCount, 0);
    const auto limitsRequest = [&] {
        return NuvaWriteLimitsRequest(
            std::span<const long long, kNuvaLimitCount>(limits.data(), kNuvaLimitCount));
    };
    EXPECT_TRUE(NuvaWriteSwitchPointRequest(0, 65535));
    EXPECT_FALSE(NuvaWriteSwitchPointRequest(0, 65536));
    EXPECT_FALSE(NuvaWriteSwitchPointRequest(0, -1));
    EXPECT_FALSE(NuvaWriteSwitchPointRequest(16, 100));
    EXPECT_FALSE(NuvaWriteHysteresisRequest(1, 70000));
    EXPECT_FALSE(NuvaWriteHysteresisRequest(4, 10));
    EXPECT_FALSE(NuvaSelectFieldRequest(4));
    EXPECT_FALSE(NuvaSelectFieldRequest(-1));
    EXPECT_TRUE(limitsRequest());
    limits[7] = 65536;
    EXPECT_FALSE(limitsRequest());
    EXPECT_TRUE(NuvaRequestFrame({}, 'X', Bytes(70)).size() == 75);
    EXPECT_TRUE(NuvaRequestFrame({}, 'X', Bytes(71)).empty());
}

TEST(NuvaRequestTest, DecodersRefuseRepliesTooShortForWhatTheyRead) {
    EXPECT_FALSE(NuvaDecodeSwitchPoints(Bytes(40)));
    EXPECT_TRUE(NuvaDecodeSwitchPoints(Bytes(41)));
    // Twelve bytes were once enough for the limits, though the eighth word ends at d[16].
    EXPECT_FALSE(NuvaDecodeLimits(Bytes(12)));
    EXPECT_FALSE(NuvaDecodeLimits(Bytes(16)));
    EXPECT_TRUE(NuvaDecodeLimits(Bytes(17)));
    EXPECT_FALSE(NuvaDecodeEnergy(Bytes(2)));
    EXPECT_EQ(NuvaDecodeEnergy(Bytes{'P', 0x0B, 0xB8}), 3000);
    EXPECT_FALSE(NuvaDecodeNearSwitch(Bytes(1)));
    const auto near = NuvaDecodeNearSwitch(Bytes{0x11, 0x00});
    ASSERT_TRUE(near);
    EXPECT_TRUE(near->present && near->active);
    EXPECT_FALSE(NuvaDecodeNearSwitch(Bytes{0x10, 0x01})->present);
    const struct {
        std::uint8_t code;
        int type;
    } kinds[] = {{1, 12}, {2, 12}, {3, 13}, {5, 13}, {0, 0}, {4, 0}, {6, 0}};
    for (const auto& k : kinds)
        EXPECT_EQ(NuvaKindOf(k.code).sensorType, k.type) << int(k.code);
}

// Logs the calls an exchange makes on its line.
class CallLog : public SimulatedLine {
public:
    using SimulatedLine::SimulatedLine;
    bool setParity(Parity p) override {
        calls.push_back(p == Parity::Mark ? "mark" : p == Parity::Space ? "space" : "parity?");
        return SimulatedLine::setParity(p);
    }
    void purge(bool rx, bool tx) override {
        calls.push_back(std::string("purge") + (rx ? " rx" : "") + (tx ? " tx" : ""));
        SimulatedLine::purge(rx, tx);
    }
    std::size_t write(const std::uint8_t* data, std::size_t count) override {
        calls.push_back("write " + std::to_string(count));
        return SimulatedLine::write(data, count);
    }
    std::size_t read(std::uint8_t* buf, std::size_t max) override {
        const std::size_t n = SimulatedLine::read(buf, max);
        calls.push_back("read " + std::to_string(n));
        return n;
    }
    void waitTransmitEmpty() override { calls.push_back("drain"); }
    std::vector<std::string> calls;
};

TEST_F(NuvaLineTest, AddressByteLeavesWithMarkParityBeforeTheRestGoesWithSpace) {
    ParityRecorder recorder;
    line.attach(&recorder);
    const NuvaReply r = send(NuvaIdentifyRequest().command);
    ASSERT_TRUE(r.ok()) << r.failure;
    const std::vector<std::pair<std::uint8_t, Parity>> expected{{0xDE, Parity::Mark},
                                                                {0x01, Parity::Space},
                                                                {0x05, Parity::Space},
                                                                {0x58, Parity::Space},
                                                                {0x82, Parity::Space}};
    EXPECT_EQ(recorder.heard, expected);
    EXPECT_EQ(line.settings().parity, Parity::Space);

    CallLog log(&clock);
    log.setTimeouts(kNuvaTimeouts);
    log.applySettings({57600, 8, Parity::Space, StopBits::One, RtsControl::Disable});
    log.setEcho(true);
    log.attach(&sensor);
    ASSERT_TRUE(NuvaExchange(log, true, clock, options, 'C', {}, false).ok());
    // The echo of the address byte, one byte more (none comes), then the rest and its echo.
    const std::vector<std::string> steps{"mark",   "purge rx", "purge tx", "write 1", "read 1", "read 0",
                                         "drain",  "space",    "write 4",  "read 4",  "read 1", "read 1",
                                         "read 1", "read 1",   "read 1",   "read 1",  "read 1"};
    EXPECT_EQ(log.calls, steps);
}

TEST_F(NuvaLineTest, RepliesAreCheckedBeforeTheyCount) {
    ScriptedSensor scripted;
    line.detach(&sensor);
    line.attach(&scripted);
    const Bytes good = NuvaReplyFrame(1, 222, Bytes{'C', 0x05, 0x80});
    Bytes badSum = good;
    badSum.back() ^= 0x40;
    const struct {
        const char* what;
        std::uint8_t master;
        Bytes reply;
        int errors;
        int count;
    } cases[] = {
        {"good", 1, good, 0, 3},
        {"silence", 1, {}, 1, 0},
        // The '2' of a reply text left standing in a buffer must not pass for master 50.
        {"silence, master 50", 50, {}, 1, 0},
        {"another master", 1, NuvaReplyFrame(2, 222, Bytes{'C', 0, 0}), 1, 0},
        {"another sensor", 1, NuvaReplyFrame(1, 221, Bytes{'C', 0, 0}), 1, 0},
        {"too long", 1, {1, 222, 80}, kNuvaTooLong, 76},
        {"length 4", 1, {1, 222, 4, 0xDB}, 1, 0},
        {"length 2", 1, {1, 222, 2, 0xDD}, 1, 0},
        {"wrong checksum", 1, badSum, 1, 3},
        {"cut short", 1, Bytes(good.begin(), good.end() - 2), 1, 3},
        // A good frame that lacks what the command reads: "C" needs its distance word.
        {"one data byte", 1, NuvaReplyFrame(1, 222, Bytes{'C'}), 1, 1},
    };
    for (const auto& c : cases) {
        options.master = c.master;
        if (c.reply.empty())
            scripted.answer = nullptr;
        else
            scripted.reply(c.reply);
        const NuvaReply r = send('C');
        EXPECT_EQ(r.errors, c.errors) << c.what;
        EXPECT_EQ(r.count, c.count) << c.what;
        EXPECT_EQ(r.linkWord.has_value(), c.errors == 0) << c.what;
        EXPECT_EQ(r.failure.empty(), c.errors == 0) << c.what << ": " << r.failure;
    }
    options.master = 1;
    scripted.reply(good);
    EXPECT_EQ(send('C').linkWord, 1408);
    // The reply's first byte decides at once: the rest is left unread.
    scripted.reply(NuvaReplyFrame(9, 222, Bytes{'C', 0, 0}));
    EXPECT_EQ(send('C').received, Bytes{9});
    EXPECT_EQ(line.pending(), 6u);
}

TEST_F(NuvaLineTest, RepliesCarryWhatTheirCommandUses) {
    ScriptedSensor scripted;
    line.detach(&sensor);
    line.attach(&scripted);
    const struct {
        NuvaRequest request;
        std::size_t needed;
    } cases[] = {{NuvaIdentifyRequest(), 4},       {NuvaReadSwitchPointsRequest(), 41},
                 {NuvaReadLimitsRequest(), 17},    {NuvaMeasureRequest(true), 3},
                 {NuvaReadNearSwitchRequest(), 2}, {NuvaMeasureRequest(false), 2}};
    for (const auto& c : cases) {
        scripted.expectLength = c.request.data.size() + 5;
        scripted.reply(NuvaReplyFrame(1, 222, Bytes(c.needed - 1, 0x11)));
        EXPECT_EQ(send(c.request).errors, 1) << c.request.command;
        scripted.reply(NuvaReplyFrame(1, 222, Bytes(c.needed, 0x11)));
        EXPECT_TRUE(send(c.request).ok()) << c.request.command;
    }
}

TEST_F(NuvaLineTest, ParityErrorsCountOnlyWithEightBitModeOff) {
    for (bool eightBitSensor : {false, true}) {
        sensor.setEightBitReplies(eightBitSensor);
        for (bool eightBitMode : {false, true}) {
            options.eightBit = eightBitMode;
            const NuvaReply r = send('C');
            // An 8-bit sensor's stop bit stands where space parity wants a 0: the length (with
            // the slave address before it), three data bytes and the checksum each count.
            const int expected = eightBitSensor && !eightBitMode ? 5 : 0;
            EXPECT_EQ(r.errors, expected) << eightBitSensor << eightBitMode;
            EXPECT_EQ(r.count, 3);
        }
    }
}

TEST_F(NuvaLineTest, EchoOfTheRequestIsNotTakenForTheReply) {
    line.setEcho(true);
    EXPECT_TRUE(NuvaExchange(line, true, clock, options, 'X', {}, false).ok());
    EXPECT_FALSE(NuvaExchange(line, false, clock, options, 'X', {}, false).ok());
}

TEST_F(NuvaLineTest, StoreWaitsLongAndALateReplyIsNotTakenForTheNextRequest) {
    const NuvaReply stored = send(NuvaStoreRequest(), true);
    EXPECT_TRUE(stored.ok()) << stored.failure;
    // The sensor needs 600 ms: the reply is there in the second round of 500 ms.
    EXPECT_GE(clock.nowMs(), 1000u);
    EXPECT_LT(clock.nowMs(), 1500u);
    EXPECT_EQ(sensor.stores(), 1);
    const NuvaReply hurried = send(NuvaStoreRequest(), false);
    EXPECT_EQ(hurried.errors, 1);
    EXPECT_EQ(hurried.failure, "no reply");
    const NuvaReply next = send('C');
    ASSERT_TRUE(next.ok());
    EXPECT_EQ(next.data.front(), 'C');
}

TEST_F(NuvaLineTest, AReplyTricklingInPastTheDeadlineFails) {
    line.setTimeouts({100, 5, 100, 5, 200}); // each byte alone would be in time
    ScriptedSensor scripted;
    line.detach(&sensor);
    line.attach(&scripted);
    scripted.answer = [](SimulatedLine& out) {
        const Bytes reply = NuvaReplyFrame(1, 222, Bytes(41, 0));
        for (std::size_t i = 0; i < reply.size(); ++i)
            out.deliver({reply[i]}, {i == 0, static_cast<std::uint32_t>(90 * i)});
    };
    const NuvaReply r = send('U');
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.failure, "reply too late");
}

TEST_F(NuvaLineTest, DeviceErrorEndsTheExchangeWithItsReason) {
    line.failFromNow("adapter removed");
    const NuvaReply r = send('C');
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.deviceError, "adapter removed");
}

TEST_F(NuvaLineTest, CorruptedOrCutRepliesNeverSucceed) {
    const std::size_t replyLength = 47; // "U": 43 data bytes
    for (std::size_t at = 0; at < replyLength; ++at) {
        for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
            line.corruptIncoming(at, mask);
            const NuvaReply r = send('U');
            EXPECT_NE(r.errors, 0) << at << " " << int(mask);
            EXPECT_LE(r.data.size(), kNuvaMaxData);
        }
        line.dropIncoming(at + 1);
        EXPECT_NE(send('U').errors, 0) << "first " << at + 1 << " bytes lost";
    }
    EXPECT_TRUE(send('U').ok());
}

} // namespace
