// Exchanges of the ZYL24 frame protocol against the simulated bus and against scripted replies.
#include "Q20_speziell.h"
#include "SimZyl24Bus.h"
#include "SimulatedLine.h"

#include <gtest/gtest.h>

#include <deque>

using Bytes = std::vector<std::uint8_t>;

namespace {

// Answers every complete request (any bytes) with the next scripted reply.
class ScriptedPeer : public SimPeer {
public:
    std::deque<Bytes> replies;
    Bytes heard;
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t byte, const LineSettings&, SimulatedLine& out) override {
        heard.push_back(byte);
        if (heard.size() >= 2 && heard.size() == heard[1] && !replies.empty()) {
            out.deliver(replies.front());
            replies.pop_front();
            heard.clear();
        }
    }
};

Qd20Request request(std::uint8_t address, char command, Bytes data = {}) {
    Qd20Request r;
    r.address = address;
    r.command = command;
    std::copy(data.begin(), data.end(), r.data.begin());
    return r;
}

// The simulated bus on `line`; `scripted` carries replies written out byte by byte.
class Qd20TransactTest : public ::testing::Test {
protected:
    Qd20TransactTest() : line(&clock), scripted(&clock), bus(&clock) {
        bus.addSensor(5, '0');
        bus.addSensor(12, '3');
        line.attach(&bus);
        line.setTimeouts({4, 2, 2000, 0, 0});
        scripted.attach(&peer);
        scripted.setTimeouts({4, 2, 2000, 0, 0});
        scripted.setPurgeKeepsBytesOnTheirWay(true);
    }
    Qd20Result transact(std::uint8_t address, char command, Bytes data = {}) {
        return Qd20Transact(line, line.echo(), clock, history, request(address, command, std::move(data)));
    }
    // A failed exchange: data_ok stays clear and the status panel shows `status`.
    static void expectFailure(const Qd20Result& r, Qd20Status status, const char* what = "") {
        EXPECT_FALSE(r.dataOk) << what;
        EXPECT_EQ(r.status, status) << what;
    }
    Qd20Result scriptedReply(Bytes reply, char command = 'A') {
        peer.replies.push_back(std::move(reply));
        return Qd20Transact(scripted, false, clock, history, request(5, command));
    }
    FakeClock clock;
    LineHistory history;
    SimulatedLine line;
    SimulatedLine scripted;
    SimZyl24Bus bus;
    ScriptedPeer peer;
};

} // namespace

TEST(Qd20FrameTest, RequestFramesAreByteExact) {
    EXPECT_EQ(BuildFrame(request(5, '?')), (Bytes{0x85, 0x04, 0x3F, 0x3E}));
    EXPECT_EQ(BuildFrame(request(128, 'A')), (Bytes{0x80, 0x04, 0x41, 0x45}));
    // Data stop at the first unused slot; the length counts the used slots.
    EXPECT_EQ(BuildFrame(request(5, 'V', {1})), (Bytes{0x85, 0x05, 0x56, 0x01, 0x57}));
    EXPECT_EQ(BuildFrame(request(1, '1', {0x3F, 0x3D, 0x03, 0x00, 0x02})),
              (Bytes{0x81, 0x09, 0x31, 0x3F, 0x3D, 0x03, 0x00, 0x02, 0x3A}));
    Qd20Request gap = request(7, 'H', {0x10, 0x20});
    gap.data[3] = 0x05; // behind the first unused slot: not sent
    EXPECT_EQ(BuildFrame(gap).size(), 6u);
    // A byte with bit 7 set can never travel as data.
    EXPECT_EQ(BuildFrame(request(7, 'L', {0x90})), (Bytes{0x87, 0x04, 0x4C, 0x4F}));
}

TEST_F(Qd20TransactTest, AcknowledgeSetsDataOkAndShowsTheReply) {
    const Qd20Result r = transact(5, 'S');
    EXPECT_EQ(bus.frames().back(), (Bytes{0x85, 0x04, 0x53, 0x52}));
    EXPECT_TRUE(r.dataOk);
    EXPECT_EQ(r.status, Qd20Status::Bytes);
    EXPECT_EQ(r.statusHex, "85 04 59 58");
    EXPECT_TRUE(r.data.empty()); // the check byte is no data
}

TEST_F(Qd20TransactTest, ParameterReadReturnsTheBlockWithoutItsCheckByte) {
    const Qd20Result r = transact(12, '?');
    ASSERT_TRUE(r.dataOk);
    ASSERT_EQ(r.data.size(), 18u);
    EXPECT_EQ(r.data[2], '3');
    EXPECT_EQ(r.statusHex.substr(0, 9), "8C 16 59 ");
}

TEST_F(Qd20TransactTest, RefusedReplyLeavesDataOkClearButShowsItsBytes) {
    const Qd20Result r = transact(5, 'x'); // unknown command
    expectFailure(r, Qd20Status::Bytes);
    EXPECT_EQ(r.statusHex, "85 04 4E 4F");
}

TEST_F(Qd20TransactTest, SilenceAndTheSecondProbeGiveNoData) {
    expectFailure(transact(9, 'A'), Qd20Status::NoData);
    EXPECT_EQ(bus.frames().back(), (Bytes{0x89, 0x04, 0x41, 0x4C}));
    expectFailure(transact(5, 'v'), Qd20Status::NoData);
    // Each wait ran on the fake clock: the constant read time-out per silent read.
    EXPECT_GE(clock.totalSleptMs(), 4000u);
}

TEST_F(Qd20TransactTest, EchoesAreDiscardedOnAnEchoingLine) {
    line.setEcho(true);
    const Qd20Result r = transact(5, 'A');
    EXPECT_TRUE(r.dataOk);
    EXPECT_EQ(r.data.size(), 2u);
    EXPECT_EQ(r.statusHex.substr(0, 9), "85 06 59 ");
    EXPECT_EQ(line.pending(), 0u);
}

TEST_F(Qd20TransactTest, EveryCommandOfTheWindowIsAnsweredByTheSimulatedBus) {
    for (char c : {'?', 'A', 'I', 'S', 'W', 'G', 'T', 'E', 'M', 'X', 'D', 'C', 'Z', '3'})
        EXPECT_TRUE(transact(5, c).dataOk) << c;
    const std::pair<char, Bytes> writes[] = {{'1', {0x20, 0x00, 0x01, 0x00, 0x00}},
                                             {'2', {0x20, 0x00, 0x02, 0x10, 0x00}},
                                             {'V', {1}},
                                             {'R', {0}},
                                             {'B', {6}},
                                             {'Q', {1}},
                                             {'N', {0x00, 0x00}},
                                             {'H', {0x3F, 0x3F}}};
    for (const auto& [c, data] : writes)
        EXPECT_TRUE(transact(5, c, data).dataOk) << c;
    EXPECT_FALSE(transact(5, 'B', {3}).dataOk); // no such averaging code
    EXPECT_TRUE(transact(5, 'L', {20}).dataOk);
    EXPECT_TRUE(transact(20, 'A').dataOk);
    EXPECT_FALSE(transact(5, 'A').dataOk);
}

TEST_F(Qd20TransactTest, PixelReplyIsCheckedOnTheLastOfItsExtraBytes) {
    const std::uint64_t before = clock.totalSleptMs();
    const Qd20Result r = transact(5, '6');
    ASSERT_TRUE(r.dataOk);
    EXPECT_GE(clock.totalSleptMs() - before, 100u);
    const std::size_t lengthByte = std::stoul(r.statusHex.substr(3, 2), nullptr, 16);
    EXPECT_EQ(r.data.size(), lengthByte - 4 + 128);
    // The extra bytes are covered by the check as well.
    line.corruptIncoming(3 + (lengthByte - 4) + 5, 0x01);
    EXPECT_FALSE(transact(5, '6').dataOk);
}

TEST_F(Qd20TransactTest, LongDumpWaitsASecondAndReturnsRawBytes) {
    const std::uint64_t before = clock.totalSleptMs();
    const Qd20Result r = transact(5, 'K');
    expectFailure(r, Qd20Status::Untouched);
    EXPECT_EQ(r.data.size(), SimZyl24Sensor::kDumpBytes);
    EXPECT_GE(clock.totalSleptMs() - before, 1000u);
}

TEST_F(Qd20TransactTest, DamagedRepliesNeverSetDataOk) {
    struct Fault {
        const char* what;
        std::function<void()> inject;
        Qd20Status status;
    };
    const std::vector<Fault> faults{
        {"address byte lost", [&] { line.dropIncoming(1); }, Qd20Status::NoData},
        {"length byte marks a new frame", [&] { line.corruptIncoming(1, 0x80); }, Qd20Status::Untouched},
        {"foreign address", [&] { line.corruptIncoming(0, 0x03); }, Qd20Status::Bytes},
        {"data bit flipped", [&] { line.corruptIncoming(3, 0x04); }, Qd20Status::Bytes},
        {"check byte flipped", [&] { line.corruptIncoming(5, 0x01); }, Qd20Status::Bytes},
        {"status not Y or N", [&] { line.corruptIncoming(2, 0x02); }, Qd20Status::Bytes},
        {"data byte with bit 7", [&] { line.corruptIncoming(4, 0x80); }, Qd20Status::Bytes},
        {"reply too late", [&] { line.delayIncoming(5000); }, Qd20Status::NoData},
    };
    for (const Fault& f : faults) {
        f.inject();
        expectFailure(transact(5, 'A'), f.status, f.what);
        line.delayIncoming(0);
        line.purge(true, true);
    }
    // Afterwards the line works again.
    EXPECT_TRUE(transact(5, 'A').dataOk);
}

TEST_F(Qd20TransactTest, NoiseBeforeTheReplyIsNotTakenForIt) {
    line.injectNoise({0x12, 0x85, 0x04});
    // The receive buffer is cleared before sending, so old noise does no harm.
    EXPECT_TRUE(transact(5, 'A').dataOk);
    // Another frame starting in place of the length byte ends the exchange silently.
    expectFailure(scriptedReply({0x85, 0x8C, 0x04, 0x59}), Qd20Status::Untouched);
    // A first byte without bit 7 is no address: nothing to show.
    expectFailure(scriptedReply({0x05, 0x04, 0x59, 0x58}, 'S'), Qd20Status::NoData);
}

TEST_F(Qd20TransactTest, TruncatedReplyIsRefusedEvenWhenItsLastByteMatchesTheCheck) {
    // Length 6 announces two data bytes and a check byte; only one byte comes, equal to the
    // running check value of address, length and status.
    Qd20Result r = scriptedReply({0x85, 0x06, 0x59, 0x05 ^ 0x06 ^ 0x59});
    EXPECT_FALSE(r.dataOk);
    EXPECT_EQ(r.statusHex, "85 06 59 5A");
    // A length byte below 3 must not turn into a huge read.
    r = scriptedReply({0x85, 0x02, 0x59});
    EXPECT_FALSE(r.dataOk);
    EXPECT_TRUE(r.data.empty());
}

TEST_F(Qd20TransactTest, ReplyOfAnotherLengthThanItsCommandsFails) {
    const std::pair<char, std::size_t> commands[] = {{'A', 2}, {'I', 2}, {'?', 18}, {'3', 8},  {'S', 0},
                                                     {'1', 0}, {'L', 0}, {'T', 0},  {'6', 208}};
    for (const auto& [command, length] : commands) {
        for (std::size_t wrong :
             {std::size_t(0), std::size_t(1), length - 1, length + 1, std::size_t(17), std::size_t(119)}) {
            if (wrong == length || wrong > length + 200)
                continue;
            // '6' carries 128 bytes beyond its length byte; the others none.
            const std::size_t uncounted = command == '6' ? std::min<std::size_t>(wrong, 128) : 0;
            if (command == '6' && wrong < 128)
                continue; // no such frame: the length byte cannot count fewer than nothing
            const Bytes data(wrong, 0x21);
            const Qd20Result r = scriptedReply(BuildReplyFrame(5, 'Y', data, uncounted), command);
            EXPECT_FALSE(r.dataOk) << command << " with " << wrong << " data bytes";
            EXPECT_TRUE(r.data.empty());
        }
        const Bytes right(length, 0x21);
        EXPECT_TRUE(scriptedReply(BuildReplyFrame(5, 'Y', right, command == '6' ? 128 : 0), command).dataOk)
            << command;
    }
}

TEST_F(Qd20TransactTest, LateReplyIsNeverTakenForTheNextRequest) {
    // The sensor answers the first 'A' 2.6 s late (the time-out is 2 s), the second after 0.7 s:
    // without care the late reply would arrive first and pass for the second.
    const Bytes late = BuildReplyFrame(5, 'Y', Bytes{0x41, 0x01});
    const Bytes fresh = BuildReplyFrame(5, 'Y', Bytes{0x42, 0x02});
    scripted.setIncomingFate([&](std::size_t index, std::uint8_t) {
        return SimulatedLine::ByteFate{.delayMs = index < late.size() ? 2600u : 700u};
    });
    EXPECT_FALSE(scriptedReply(late).dataOk);
    const std::uint64_t secondStart = clock.nowMs();
    const Qd20Result r = scriptedReply(fresh);
    ASSERT_TRUE(r.dataOk) << r.statusHex;
    EXPECT_EQ(r.data, (Bytes{0x42, 0x02}));
    // The wait ended when the late reply had come, before one more time-out.
    EXPECT_LT(clock.nowMs() - secondStart, 600u + 700u + 20u);
}

TEST_F(Qd20TransactTest, FailedExchangeDelaysOnlyTheNextRequestToTheSameAddress) {
    expectFailure(transact(9, 'A'), Qd20Status::NoData);
    std::uint64_t start = clock.nowMs();
    EXPECT_TRUE(transact(5, 'A').dataOk);
    EXPECT_LT(clock.nowMs() - start, 10u); // another address: its reply cannot be mistaken
    expectFailure(transact(9, 'A'), Qd20Status::NoData);
    start = clock.nowMs();
    expectFailure(transact(9, 'A'), Qd20Status::NoData);
    // One more time-out of quiet before the request, then the exchange's own.
    EXPECT_GE(clock.nowMs() - start, 4000u);
    // A good exchange costs nothing more.
    start = clock.nowMs();
    EXPECT_TRUE(transact(5, 'A').dataOk);
    EXPECT_TRUE(transact(5, 'A').dataOk);
    EXPECT_LT(clock.nowMs() - start, 10u);
}

TEST_F(Qd20TransactTest, TricklingReplyEndsAtTheExchangeDeadline) {
    // Every byte of the reply comes 1.9 s after the one before: within each read's time-out.
    scripted.setIncomingFate([](std::size_t index, std::uint8_t) {
        return SimulatedLine::ByteFate{.delayMs = static_cast<std::uint32_t>(1900 * (index + 1))};
    });
    const std::uint64_t start = clock.nowMs();
    EXPECT_FALSE(scriptedReply(BuildReplyFrame(5, 'Y', Bytes{0x41, 0x01})).dataOk);
    // 2000 ms and 2 ms for each of the six reply bytes.
    EXPECT_LE(clock.nowMs() - start, 2012u);
    EXPECT_EQ(scripted.timeouts(), (Timeouts{4, 2, 2000, 0, 0})); // the port's own again
}

TEST_F(Qd20TransactTest, FailedDeviceGivesItsReason) {
    line.failFromNow("the device is no longer there");
    const Qd20Result r = transact(5, 'A');
    expectFailure(r, Qd20Status::NoData);
    EXPECT_EQ(r.deviceError, "the device is no longer there");
}
