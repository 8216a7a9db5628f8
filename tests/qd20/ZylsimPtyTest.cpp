// Whole exchanges through the real serial layer: zylsim on a pseudo-terminal, opened with
// PosixSerialDevice. These tests run in real time (bounded, well under a second each).
#include "PosixSerialDevice.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "ZylsimProcess.h"
#include "ZylsimUsage.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<PosixSerialDevice> openLine(const std::string& path) {
    int error = 0;
    auto device = PosixSerialDevice::open(path, error);
    if (device)
        device->setTimeouts({4, 2, 300, 0, 0});
    return device;
}

} // namespace

TEST(ZylsimPtyTest, ExchangesThroughTheRealSerialLayerAreLoggedByteExact) {
    const std::string log = scratch("zylsim-frames-").string();
    Zylsim sim({"--sensor", "5:220", "--sensor", "12:1000", "--log", log});
    ASSERT_FALSE(sim.path.empty()) << "zylsim did not start: " << sim.err();
    auto line = openLine(sim.path);
    ASSERT_TRUE(line);
    SystemClock clock;
    LineHistory history;
    const Qd20Result block = Qd20Transact(*line, false, clock, history, PlainRequest(5, '?'));
    ASSERT_TRUE(block.dataOk) << block.statusHex;
    EXPECT_EQ(block.data[2], '0');
    const Qd20Result other = Qd20Transact(*line, false, clock, history, PlainRequest(12, '?'));
    ASSERT_TRUE(other.dataOk);
    EXPECT_EQ(other.data[2], '3');
    EXPECT_TRUE(Qd20Transact(*line, false, clock, history, KeyLockRequest(5, 0)).dataOk);
    EXPECT_FALSE(Qd20Transact(*line, false, clock, history, PlainRequest(5, 'v')).dataOk);
    // At another baud rate the sensors hear nothing (and log nothing).
    ASSERT_TRUE(line->applySettings({19200, 8, Parity::None, StopBits::One, RtsControl::Enable}));
    EXPECT_FALSE(Qd20Transact(*line, false, clock, history, PlainRequest(5, 'A')).dataOk);
    EXPECT_EQ(slurp(log), "85 04 3F 3E\n8C 04 3F 37\n85 05 56 01 57\n85 04 76 77\n");
    std::filesystem::remove(log);
}

TEST(ZylsimPtyTest, EchoingConverterAndFastModeStream) {
    Zylsim sim({"--echo", "--sensor", "7:70"});
    ASSERT_FALSE(sim.path.empty()) << sim.err();
    auto line = openLine(sim.path);
    ASSERT_TRUE(line);
    SystemClock clock;
    LineHistory history;
    const Qd20Result r = Qd20Transact(*line, true, clock, history, PlainRequest(7, 'A'));
    ASSERT_TRUE(r.dataOk) << r.statusHex;
    EXPECT_EQ(r.statusHex.substr(0, 9), "87 06 59 ");
    ASSERT_TRUE(Qd20Transact(*line, true, clock, history, PlainRequest(7, 'F')).dataOk);
    std::vector<std::uint16_t> samples(400);
    const Qd20StreamResult stream = ReadStream(*line, samples);
    ASSERT_TRUE(stream.ok);
    EXPECT_EQ(stream.byteCount, 800u);
    for (std::size_t i = 0; i < stream.valueCount; ++i)
        ASSERT_LE(samples[i], 4095);
    // Closing the port ends the stream: once zylsim has noticed the close, the line is quiet when
    // it is opened again. How soon it notices depends on the machine, so the port stays closed a
    // little longer at each attempt until the reopened line is quiet (within a bound).
    bool quiet = false;
    for (int attempt = 1; attempt <= 12 && !quiet; ++attempt) {
        line.reset();
        std::this_thread::sleep_for(std::chrono::milliseconds(10 * attempt));
        line = openLine(sim.path);
        ASSERT_TRUE(line);
        line->purge(true, false);
        std::uint8_t byte = 0;
        quiet = line->read(&byte, 1) == 0;
    }
    EXPECT_TRUE(quiet);
    const Qd20Result again = Qd20Transact(*line, true, clock, history, PlainRequest(7, 'A'));
    EXPECT_TRUE(again.dataOk) << again.statusHex << " " << again.deviceError;
}

TEST(ZylsimPtyTest, HalvernSensorAnswersItsProbe) {
    Zylsim sim({"--halvern", "14"});
    ASSERT_FALSE(sim.path.empty()) << sim.err();
    auto line = openLine(sim.path);
    ASSERT_TRUE(line);
    // The line's usual 300 ms: on a busy machine zylsim may need more than a few milliseconds.
    EXPECT_EQ(ProbeHalvern(*line, false), 14);
    const auto d = ReadHalvernDistance(*line, false, 14);
    ASSERT_TRUE(d);
    EXPECT_GE(*d, 10000u);
    EXPECT_LE(*d, 50000u);
}

// A wrong option ends zylsim before it serves anything; a rate no terminal can be set to would
// leave the sensors silent for good, so it is refused too.
TEST(ZylsimPtyTest, WrongOptionsAreUsageErrorsThatNameTheProblem) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--baud", "12345"},
         "--baud takes 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200 or 230400, not '12345'"},
        {{"--sensor", "5:300"},
         "--sensor takes ADDR:VARIANT with ADDR 1..128 and VARIANT 70, 220, 500 or 1000, not '5:300'"},
        {{"--sensor", "0:220"},
         "--sensor takes ADDR:VARIANT with ADDR 1..128 and VARIANT 70, 220, 500 or 1000, not '0:220'"},
        {{"--halvern", "13"}, "--halvern takes 14 or 15, not '13'"},
        {{"--echo", "--log"}, "option --log needs a value"},
        {{"--sim"}, "unknown option '--sim'"},
    };
    for (const auto& c : cases) {
        ChildProgram sim(zylsimCommand(c.args), scratch("zylsim-usage-"));
        EXPECT_EQ(sim.wait(5000), 2) << c.message;
        EXPECT_EQ(sim.out(), "");
        EXPECT_TRUE(sim.err().starts_with("zylsim: " + std::string(c.message) + "\nusage: zylsim"))
            << sim.err();
    }
}

// The options are read in order, so "OPTION VALUE --help" ends with the help exactly when the
// option was taken: every option --help and the manual page show must be.
TEST(ZylsimPtyTest, EveryOptionTheHelpShowsIsAccepted) {
    for (const UsageItem& option : ZylsimUsage().sections.at(0).items) {
        std::vector<std::vector<std::string>> values{{}};
        if (option.value == ValueKind::Choice)
            values = {{std::string(option.argument.substr(0, option.argument.find('|')))}};
        else if (option.value == ValueKind::Number)
            values = {{"1"}, {"38400"}}; // an address or a rate
        else if (option.value != ValueKind::None)
            values = {{"5:220"}, {scratch("zylsim-log-").string()}};
        for (std::string_view name : itemNames(option)) {
            bool accepted = false;
            for (const std::vector<std::string>& value : values) {
                std::vector<std::string> args{std::string(name)};
                args.insert(args.end(), value.begin(), value.end());
                args.push_back("--help");
                accepted =
                    accepted || ChildProgram(zylsimCommand(args), scratch("zylsim-help-")).wait(5000) == 0;
            }
            EXPECT_TRUE(accepted) << name;
        }
    }
}

TEST(ZylsimPtyTest, TalksAtTheRateGivenAndEndsWithZeroOnASignal) {
    for (const int signal : {SIGINT, SIGTERM}) {
        Zylsim sim({"--baud", "19200"});
        ASSERT_FALSE(sim.path.empty()) << sim.err();
        auto line = openLine(sim.path);
        ASSERT_TRUE(line);
        SystemClock clock;
        LineHistory history;
        EXPECT_FALSE(Qd20Transact(*line, false, clock, history, PlainRequest(5, 'A')).dataOk); // 38400
        ASSERT_TRUE(line->applySettings({19200, 8, Parity::None, StopBits::One, RtsControl::Enable}));
        EXPECT_TRUE(Qd20Transact(*line, false, clock, history, PlainRequest(5, 'A')).dataOk);
        sim.signal(signal);
        EXPECT_EQ(sim.wait(5000), 0) << signal;
    }
}

TEST(ZylsimPtyTest, LogThatCannotBeCreatedEndsWithOne) {
    const auto log = scratch("zylsim-no-such-dir-") / "frames.log";
    ChildProgram sim(zylsimCommand({"--log", log.string()}), scratch("zylsim-nolog-"));
    EXPECT_EQ(sim.wait(5000), 1);
    EXPECT_NE(sim.err().find("cannot open the log"), std::string::npos) << sim.err();
}
