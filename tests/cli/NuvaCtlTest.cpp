// zylctl's ZYL 36 commands in-process, against a simulated NUVA sensor on a fake clock: what
// reaches the sensor and the failure paths that are hard to provoke from outside.
#include "ZylCtl.h"

#include "ChildProgram.h"
#include "CliArguments.h"
#include "Clock.h"
#include "SimLineProvider.h"
#include "SimNuvaSensor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

namespace {

constexpr int kPort = 1;

class NuvaCtlTest : public ::testing::Test {
protected:
    NuvaCtlTest() {
        use(std::make_unique<SimNuvaSensor>(12, 222, &clock));
        provider.plug(kPort, [this](SimulatedLine& line) {
            sensor->lineReset();
            line.attach(sensor.get());
            if (prepare)
                prepare(line);
        });
    }
    void use(std::unique_ptr<SimNuvaSensor> s) {
        sensor = std::move(s);
        sensor->setStoreDelayMs(0);
        sensor->setFixedDistance(1234);
    }
    int run(std::vector<std::string> argv, std::function<bool()> stop = {}) {
        argv.insert(argv.begin(), {"--lang", "en", "--port", "1"});
        const CliParseResult parsed = ParseCliArguments(argv);
        EXPECT_TRUE(parsed.arguments.has_value()) << parsed.error;
        if (!parsed.arguments)
            return -1;
        out.str({});
        err.str({});
        return ZylCtl(*parsed.arguments, provider, kPort, clock, out, err, std::move(stop)).run();
    }
    std::string commandsHeard() const {
        std::string commands;
        for (const auto& frame : sensor->frames())
            commands += static_cast<char>(frame.at(3));
        return commands;
    }
    // A project file of the window with the sensor's factory set.
    static std::string goodFile() {
        std::string text = "x\r\nQS40MNTx\r\n";
        for (const char* header : {"[straight]", "[right]", "[left]", "[full area]"})
            text += std::string(header) + "\r\n800\r\n1200\r\n2000\r\n2800\r\n";
        return text + "[Hysterese]\r\n48\r\n48\r\n48\r\n48\r\n";
    }
    std::string tempFile(const std::string& name, const std::string& content = {}) {
        const auto path = std::filesystem::path(::testing::TempDir()) / name;
        std::filesystem::remove(path);
        if (!content.empty())
            std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    FakeClock clock;
    std::unique_ptr<SimNuvaSensor> sensor;
    SimLineProvider provider{clock};
    std::function<void(SimulatedLine&)> prepare;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace

TEST_F(NuvaCtlTest, PollReportsAMissedMeasurementAndKeepsTheOthers) {
    // The "X" reply is 10 bytes, each "C" reply 7: the second one loses its checksum.
    prepare = [](SimulatedLine& line) { line.corruptIncoming(10 + 7 + 6, 0x01); };
    EXPECT_EQ(run({"nuva", "poll", "--count", "3", "--interval", "10"}), ZylCtl::kExitSensor);
    EXPECT_EQ(out.str(), "1234\n1234\n");
    EXPECT_EQ(err.str(), "zylctl: error during dataread 2\n");
    EXPECT_EQ(commandsHeard(), "XCCC");
}

TEST_F(NuvaCtlTest, InterruptedPollStillSavesWhatItMeasured) {
    const std::string csv = tempFile("nuva-interrupted.csv");
    // Ctrl+C after the second measurement, during the wait of an hour for the third.
    EXPECT_EQ(run({"nuva", "poll", "--count", "5", "--interval", "3600000", "--csv", csv},
                  [this] { return sensor->frames().size() >= 3; }),
              ZylCtl::kExitInterrupted);
    EXPECT_EQ(out.str(), "1234\n1234\n");
    EXPECT_EQ(slurp(csv), "Abstand [mm]\n1234\n1234\n");
}

TEST_F(NuvaCtlTest, FieldIsSelectedWithTheGivenAddressesOnTheSensorWithFourFieldsOnly) {
    use(std::make_unique<SimNuvaSensor>(12, 7, &clock));
    EXPECT_EQ(run({"nuva", "field", "2", "--slave", "7", "--master", "9"}), ZylCtl::kExitOk) << err.str();
    EXPECT_EQ(sensor->activeField(), 2);
    ASSERT_EQ(sensor->frames().size(), 2u);
    EXPECT_EQ(sensor->frames()[1], (std::vector<std::uint8_t>{7, 9, 6, 'A', 0x82, 7 ^ 9 ^ 6 ^ 'A' ^ 0x82}));

    // The QS40MNTB has the "Gerade" field only; the window never selects one there.
    use(std::make_unique<SimNuvaSensor>(13, 222, &clock));
    EXPECT_EQ(run({"nuva", "field", "0"}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: the QS40MNTB has the protection field straight only\n");
    EXPECT_EQ(commandsHeard(), "X");
}

TEST_F(NuvaCtlTest, WriteStoresInTheSensorUnlessToldNotTo) {
    const std::string path = tempFile("nuva-good.qel", goodFile());
    EXPECT_EQ(run({"nuva", "write", path}), ZylCtl::kExitOk) << err.str();
    EXPECT_EQ(commandsHeard(), "X" + std::string(16, 'L') + "HHHHUS");
    sensor->clearFrames();
    EXPECT_EQ(run({"nuva", "write", "--no-store", path}), ZylCtl::kExitOk) << err.str();
    EXPECT_EQ(commandsHeard(), "X" + std::string(16, 'L') + "HHHHU");
    EXPECT_EQ(sensor->stores(), 1);
}

TEST_F(NuvaCtlTest, PointTheSensorDidNotTakeFailsWithTheWindowsMaskAndIsNotStored) {
    // The read-back says 2801 mm for the last point: its low byte and the distance's low byte
    // arrive changed alike, so the checksum still holds. Before the "U" reply come the "X"
    // reply (10 bytes) and 20 acknowledgements of 7 bytes; in it the low byte of word 15 is
    // byte 35, that of the distance byte 45.
    prepare = [](SimulatedLine& line) {
        line.corruptIncoming(150 + 35, 0x01);
        line.corruptIncoming(150 + 45, 0x01);
    };
    EXPECT_EQ(run({"nuva", "write", tempFile("nuva-refused.qel", goodFile())}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: error during transfer 00008000\n");
    EXPECT_EQ(commandsHeard(), "X" + std::string(16, 'L') + "HHHHU");
}

TEST_F(NuvaCtlTest, ProjectFilesThatCannotBeSentSendNothing) {
    const std::string good = goodFile();
    std::string skipped = good;
    skipped.replace(skipped.find("[left]"), 6, "[links]");
    std::string bad = good;
    bad.replace(bad.find("1200"), 4, "12OO");
    const struct {
        std::string name;
        std::string content;
        std::string message;
    } cases[] = {
        {"nuva-missing.qel", "", "cannot read file"},
        {"nuva-other.qel", "[Q1]\r\n300\r\n", "no QS40 file"},
        {"nuva-skipped.qel", skipped, "file error"},
        {"nuva-bad.qel", bad, "file error"},
    };
    const char* const details[] = {": ", "\n", ": [left]\n", ":5\n"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string path = tempFile(cases[i].name, cases[i].content);
        EXPECT_EQ(run({"nuva", "write", path}), ZylCtl::kExitUsage) << cases[i].name;
        EXPECT_TRUE(err.str().starts_with("zylctl: " + cases[i].message + " " + path + details[i]))
            << err.str();
    }
    EXPECT_EQ(provider.opens(), 0);
}
