// zylctl's commands in-process, against the simulated ZYL24 bus on a fake clock: exact
// frames, what reaches the sensor, and the failure paths that are hard to provoke from outside.
#include "ZylCtl.h"

#include "ChildProgram.h"
#include "CliArguments.h"
#include "Clock.h"
#include "DemoDeviceProvider.h"
#include "MeasurementExport.h"
#include "PortMap.h"
#include "Q20_speziell.h"
#include "Qd20ProjectFile.h"
#include "SimLineProvider.h"
#include "SimQs40TextSensor.h"
#include "SimZyl24Bus.h"
#include "SimulatedLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

constexpr int kBusPort = 1;

// Another device on the line that sends without being asked.
class ChattyPeer : public SimPeer {
public:
    std::uint32_t baud() const override { return 38400; }
    void receive(std::uint8_t, const LineSettings&, SimulatedLine&) override {}
    void idle(const LineSettings&, SimulatedLine& out) override { out.deliver({0x12}); }
};

// COM1 carries a simulated bus with a 220 mm sensor at address 5; COM3 is missing.
class ZylCtlTest : public ::testing::Test {
protected:
    ZylCtlTest() {
        bus.addSensor(5, '0');
        provider.plug(kBusPort, [this](SimulatedLine& line) {
            line.attach(&bus);
            bus.lineReset();
            if (prepare) // fault injection on every new line
                prepare(line);
        });
        provider.refuse(3, OpenError::Absent, "COM 3 (sim COM 3): no such device.");
    }
    int run(const std::vector<std::string>& argv, int com = kBusPort, std::function<bool()> stop = {}) {
        const CliParseResult parsed = ParseCliArguments(argv);
        EXPECT_TRUE(parsed.arguments.has_value()) << parsed.error;
        if (!parsed.arguments)
            return -1;
        out.str({});
        err.str({});
        return ZylCtl(*parsed.arguments, provider, com, clock, out, err, std::move(stop)).run();
    }
    std::vector<char> commandsSent() {
        std::vector<char> letters;
        for (const auto& frame : bus.frames())
            letters.push_back(static_cast<char>(frame.at(2)));
        return letters;
    }
    std::string tempFile(const std::string& name, const std::string& content = {}) {
        const auto path = std::filesystem::path(::testing::TempDir()) / name;
        if (!content.empty())
            std::ofstream(path, std::ios::binary) << content;
        else
            std::filesystem::remove(path);
        return path.string();
    }
    SimZyl24Sensor& sensor() { return *bus.sensors().front(); }
    FakeClock clock;
    SimZyl24Bus bus{&clock};
    SimLineProvider provider{clock};
    std::function<void(SimulatedLine&)> prepare;
    std::ostringstream out;
    std::ostringstream err;
};

} // namespace

TEST_F(ZylCtlTest, SearchWithoutSensorReportsNoSensorInTheChosenLanguage) {
    sensor().setAddress(128); // beyond what the search probes
    EXPECT_EQ(run({"--lang", "de", "search"}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: kein Sensor verfügbar\nComPort richtig?\nSensor angeschlossen?\n");
    EXPECT_EQ(bus.frames().size(), 127u);
    EXPECT_EQ(run({"--lang", "en", "read", "--address", "7"}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: no sensor available\n");
}

TEST_F(ZylCtlTest, WriteStopsAtTheRefusedGroupAndUpdateAtABadImageSayingWhyInEitherLanguage) {
    // Reply bytes before the '2' acknowledge: 'A' 6, '?' 22, '1' 4; its check byte is the 4th.
    prepare = [](SimulatedLine& line) { line.corruptIncoming(6 + 22 + 4 + 3, 0x01); };
    const std::string qel = tempFile("refused.qel", "[Q1]\n100\n150\n[Typ Q2]\n2\n");
    // A bad image is refused before any port opens, with the line and what is wrong with it.
    const std::string mot = tempFile("refused.mot", "S0030000FC\r\nnot a record\r\n");
    const struct {
        const char* lang;
        std::string refusedGroup;
        std::string badImage;
    } cases[] = {
        {"en", "error in sending data or wrong parameter (Q2)",
         "not a usable S-record image " + mot + ": line 2: not an S-record of a known type"},
        {"de", "Fehler beim Daten senden oder ungültige Parameter (Ausgang Q2)",
         "kein brauchbares S-Record-Abbild " + mot + ": Zeile 2: kein S-Record eines bekannten Typs"}};
    for (const auto& c : cases) {
        bus.clearFrames();
        EXPECT_EQ(run({"--lang", c.lang, "write", "--address", "5", qel, "--store"}), ZylCtl::kExitSensor);
        EXPECT_EQ(err.str(), "zylctl: " + c.refusedGroup + "\n");
        EXPECT_EQ(commandsSent(), (std::vector<char>{'A', 'v', '?', '1', '2'}));
        EXPECT_EQ(run({"--lang", c.lang, "qs40", "update", mot}), ZylCtl::kExitUsage);
        EXPECT_EQ(err.str(), "zylctl: " + c.badImage + "\n");
    }
}

TEST_F(ZylCtlTest, WriteSendsPointsTheFileLeavesAloneAsTheWindowWould) {
    // Raw 1023 is 245.04 mm. The window's editor holds it as 245.0 mm and sends 1023 again; the
    // unrounded value would go back as 1022, one LSB lower with every write.
    sensor().parameters().q2SecondRaw = 1023;
    const std::string qel = tempFile("q1only.qel", "[Q1]\n150\n300\n");
    EXPECT_EQ(run({"write", "--address", "5", qel}), ZylCtl::kExitOk) << err.str();
    ASSERT_GE(bus.frames().size(), 5u);
    EXPECT_EQ(bus.frames()[4], (std::vector<std::uint8_t>{0x85, 0x09, '2', 0x0F, 0x3F, 0, 0, 0, 0x0E}));
}

TEST_F(ZylCtlTest, SavingThroughALinkFillsTheFileItNamesAndKeepsTheLink) {
    const std::string real = tempFile("real.qel", "old");
    const std::string link = tempFile("link.qel");
    std::filesystem::create_symlink(real, link);
    EXPECT_EQ(run({"read", "--address", "5", "-o", link}), ZylCtl::kExitOk) << err.str();
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(slurp(real).substr(0, 6), "[Q1]\r\n");
}

TEST_F(ZylCtlTest, BadProjectFilesAreRefusedBeforeAnythingIsSent) {
    const std::pair<std::string, std::string> cases[] = {
        {std::string("\177ELF\0\0\1", 7), "not a project file: no key found"},
        {"[Q1]\n100\n150\n[BW]\n", "error in file"},
        {"[Q1]\r\n100\r\n150\r\n[Q2]\r\n150.5\r\n200\r\n", "bad.qel:5 [Q2]\n"},
        {"[Typ Q2]\r\n1\r\n[QA]\r\n65536\r\n200\r\n", "bad.qel:4 [QA]\n"},
        {"[QA]\r\n80\r\n30", "bad.qel:3 [QA]\n"}}; // cut short
    for (const auto& [content, message] : cases) {
        const std::string qel = tempFile("bad.qel", content);
        EXPECT_EQ(run({"--lang", "en", "write", "--address", "5", qel}), ZylCtl::kExitUsage);
        EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    }
    EXPECT_EQ(run({"--lang", "en", "write", "--address", "5", tempFile("missing.qel")}), ZylCtl::kExitUsage);
    EXPECT_NE(err.str().find("cannot read file"), std::string::npos) << err.str();
    EXPECT_TRUE(bus.frames().empty());
}

TEST_F(ZylCtlTest, PollTakesKSamplesAtTheIntervalAndExportsThem) {
    sensor().setFixedDistance(190.0f);
    std::vector<std::uint64_t> starts;
    bus.setFrameListener([&](const std::vector<std::uint8_t>& frame) {
        if (frame.at(2) == 'I')
            starts.push_back(clock.nowMs());
    });
    const std::string csv = tempFile("poll.csv");
    EXPECT_EQ(
        run({"poll", "--address", "5", "--count", "3", "--interval", "100", "--command", "I", "--csv", csv}),
        ZylCtl::kExitOk)
        << err.str();
    EXPECT_EQ(out.str(), "2047;190.0\n2047;190.0\n2047;190.0\n");
    EXPECT_EQ(slurp(csv), "Rohdaten [LSB];Skaliert [mm]\n2047; 190.0\n2047; 190.0\n2047; 190.0\n");
    // The polls start 100 ms apart on the clock, whatever each exchange took.
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_EQ(starts[1] - starts[0], 100u);
    EXPECT_EQ(starts[2] - starts[1], 100u);
}

TEST_F(ZylCtlTest, PollReportsMissedSamplesAndFailsWithoutDroppingTheOthers) {
    sensor().setFixedDistance(300.0f);
    // The reply to the second measurement loses its check byte: 'A' 6, '?' 22, 'A' 6, then 6.
    prepare = [](SimulatedLine& line) { line.corruptIncoming(6 + 22 + 6 + 5, 0x01); };
    EXPECT_EQ(run({"--lang", "en", "poll", "--address", "5", "--count", "3"}), ZylCtl::kExitSensor);
    EXPECT_EQ(out.str(), "0;300.0\n0;300.0\n");
    EXPECT_EQ(err.str(), "zylctl: no answer to measurement 2\n");
}

TEST_F(ZylCtlTest, InterruptedPollStillSavesWhatItMeasured) {
    sensor().setFixedDistance(300.0f);
    const std::string csv = tempFile("interrupted.csv");
    // Ctrl+C after the second measurement: 'A', 'v', '?' and two 'A' went out.
    EXPECT_EQ(run({"poll", "--address", "5", "--count", "1000", "--csv", csv}, kBusPort,
                  [&] { return bus.frames().size() >= 5; }),
              ZylCtl::kExitInterrupted);
    EXPECT_EQ(out.str(), "0;300.0\n0;300.0\n");
    EXPECT_EQ(slurp(csv), "Rohdaten [LSB];Skaliert [mm]\n0; 300.0\n0; 300.0\n");
}

TEST_F(ZylCtlTest, AddressChangeWaitsASecondAndConfirmsAtTheNewAddress) {
    std::uint64_t sentAt = 0;
    std::uint64_t confirmedAt = 0;
    bus.setFrameListener([&](const std::vector<std::uint8_t>& frame) {
        if (frame.at(2) == 'L')
            sentAt = clock.nowMs();
        if (frame.at(0) == 0x94 && frame.at(2) == 'A')
            confirmedAt = clock.nowMs();
    });
    EXPECT_EQ(run({"set-address", "--address", "5", "20"}), ZylCtl::kExitOk) << err.str();
    EXPECT_EQ(out.str(), "address 20\n");
    EXPECT_EQ(bus.frames()[2], (std::vector<std::uint8_t>{0x94, 0x04, 'A', 0x51})); // nobody there yet
    EXPECT_EQ(bus.frames()[3], (std::vector<std::uint8_t>{0x85, 0x05, 'L', 20, 0x58}));
    EXPECT_GE(confirmedAt - sentAt, 1000u);
    EXPECT_EQ(sensor().address(), 20);
}

TEST_F(ZylCtlTest, StoreAndFactoryPresetSendTheirCommandAfterTheProbe) {
    sensor().parameters().averaging = 2;
    EXPECT_EQ(run({"store", "--address", "5"}), ZylCtl::kExitOk);
    EXPECT_EQ(sensor().stored().averaging, 2);
    EXPECT_EQ(run({"factory", "--address", "5"}), ZylCtl::kExitOk);
    EXPECT_EQ(sensor().parameters().averaging, 0);
    EXPECT_EQ(commandsSent(), (std::vector<char>{'A', 'v', 'S', 'A', 'v', 'W'}));
}

TEST_F(ZylCtlTest, RefusedLineSettingOrBusyLineGivesExitThreeAndSendsNothing) {
    prepare = [](SimulatedLine& line) {
        line.setSettingsFilter([](const LineSettings& s) { return s.baud != 57600; });
    };
    EXPECT_EQ(run({"--lang", "en", "--baud", "57600", "search"}), ZylCtl::kExitPort);
    EXPECT_EQ(err.str(),
              "zylctl: comport error: COM 1 (sim COM 1) does not take the line setting 57600 baud, 8 "
              "data bits, parity none, 1 stop bit.\n");
    EXPECT_EQ(run({"--lang", "de", "--baud", "57600", "search"}), ZylCtl::kExitPort);
    EXPECT_EQ(err.str(),
              "zylctl: comport error: COM 1 (sim COM 1) nimmt die Einstellung 57600 Baud, 8 Datenbits, "
              "Parität keine, 1 Stoppbit nicht an.\n");
    ChattyPeer chatty;
    prepare = [&chatty](SimulatedLine& line) { line.attach(&chatty); };
    EXPECT_EQ(run({"search"}), ZylCtl::kExitPort);
    EXPECT_EQ(err.str(), "zylctl: comport is busy\n");
    EXPECT_TRUE(bus.frames().empty());
}

TEST_F(ZylCtlTest, PortsListsEveryNumberWithItsDeviceAndWhetherItOpens) {
    EXPECT_EQ(run({"ports"}), ZylCtl::kExitOk);
    std::istringstream lines(out.str());
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows[0], "COM1  sim COM 1               opens");
    EXPECT_EQ(rows[2], "COM3  sim COM 3               no such device.");
    EXPECT_EQ(rows[19].substr(0, 6), "COM20 ");
}

// Reasons of the port layer and the device list speak the language asked for.
TEST_F(ZylCtlTest, PortReasonsAndTheDeviceListFollowTheLanguage) {
    DemoDeviceProvider demo(clock);
    const auto zylctl = [&](const std::vector<std::string>& argv, int com) {
        out.str({});
        err.str({});
        return ZylCtl(*ParseCliArguments(argv).arguments, demo, com, clock, out, err, {}).run();
    };
    EXPECT_EQ(zylctl({"--lang", "de", "search"}, 9), ZylCtl::kExitPort);
    EXPECT_EQ(err.str(), "zylctl: COM 9 (demo: nothing attached): dieses Gerät gibt es nicht.\n");
    EXPECT_EQ(zylctl({"--lang", "en", "search"}, 9), ZylCtl::kExitPort);
    EXPECT_EQ(err.str(), "zylctl: COM 9 (demo: nothing attached): no such device.\n");

    EXPECT_EQ(zylctl({"--lang", "de", "ports"}, 1), ZylCtl::kExitOk);
    const std::string listed = out.str();
    const std::string devices = listed.substr(listed.find("\n\n") + 2);
    EXPECT_TRUE(devices.starts_with(
        "serielle Geräte:\n"
        "COM1  demo:zyl24-bus  demo: ZYL24 bus (ZYL24_220 at address 5, ZYL24_1000 at address 12)  frei\n"))
        << devices;
    EXPECT_NE(devices.find("\nCOM5  demo:halvern  demo: Halvern sensor (type 15)  frei\n"), std::string::npos)
        << devices;
    // The state stands in one column after the longest device.
    const std::string busRow =
        "COM1  demo: ZYL24 bus (ZYL24_220 at address 5, ZYL24_1000 at address 12)  öffnet sich\n";
    EXPECT_TRUE(listed.starts_with(busRow)) << listed;
    const std::size_t stateColumn = busRow.find("öffnet");
    const std::size_t row7 = listed.find("\nCOM7  demo: nothing attached ") + 1;
    EXPECT_EQ(listed.substr(row7 + stateColumn, 29), "dieses Gerät gibt es nicht.\n") << listed;
}

// A COM number on its default device that is not there: every family says so alike, with how to
// put another device behind the number.
TEST_F(ZylCtlTest, PortThatDoesNotOpenIsReportedAlikeByEveryFamily) {
    LinkReason absent;
    absent.code = LinkReasonCode::NoSuchDevice;
    absent.com = 3;
    absent.device = "/dev/ttyS2";
    absent.defaultDevice = true;
    provider.refuse(3, OpenError::Absent, absent.english(), absent);
    const std::string expected = "zylctl: " + absent.text(false) +
                                 " Ein anderes Gerät wählen Sie im Portdialog des Programms oder setzen zum "
                                 "Beispiel ZYLCONFIG_PORTS=3=" +
                                 PortMap::kExampleDevice + ".\n";
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"search"}, {"qs40", "identify"}, {"nuva", "search"}}) {
        std::vector<std::string> argv{"--lang", "de", "--port", "3"};
        argv.insert(argv.end(), command.begin(), command.end());
        EXPECT_EQ(run(argv, 3), ZylCtl::kExitPort) << command.front();
        EXPECT_EQ(err.str(), expected) << command.front();
    }
}

TEST_F(ZylCtlTest, AddressChangeIsRefusedWhenTheNewAddressIsTakenOrTheSensorSaysNo) {
    bus.addSensor(12, '3');
    EXPECT_EQ(run({"--lang", "en", "set-address", "--address", "5", "12"}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: address already in use: 12\n");
    EXPECT_EQ(commandsSent(), (std::vector<char>{'A', 'v', 'A'}));
    EXPECT_EQ(sensor().address(), 5);
    // 127 is free, but the acknowledge of 'L' comes back as a refusal: reply bytes 'A' 6, the
    // silent 'v' and 'A' at 127, then the status letter of the acknowledge ('Y' ^ 'N' = 0x17).
    prepare = [](SimulatedLine& line) { line.corruptIncoming(6 + 2, 0x17); };
    EXPECT_EQ(run({"--lang", "en", "set-address", "--address", "5", "127"}), ZylCtl::kExitSensor);
    EXPECT_EQ(err.str(), "zylctl: error in sending data or wrong parameter (L)\n");
}

TEST_F(ZylCtlTest, LostPortEndsThePollAtOnceWithItsReasonAndSavesWhatWasMeasured) {
    sensor().setFixedDistance(300.0f);
    SimulatedLine* current = nullptr;
    prepare = [&current](SimulatedLine& line) { current = &line; };
    int polls = 0;
    bus.setFrameListener([&](const std::vector<std::uint8_t>& frame) {
        if (frame.at(2) == 'A' && ++polls == 3) // the probe and two measurements
            current->failFromNow("Input/output error");
    });
    const std::string csv = tempFile("lost.csv");
    EXPECT_EQ(run({"poll", "--address", "5", "--count", "1000", "--csv", csv}), ZylCtl::kExitSensor);
    EXPECT_EQ(out.str(), "0;300.0\n");
    EXPECT_EQ(err.str(),
              "zylctl: sim COM 1: the device is no longer there (unplugged?): Input/output error\n");
    EXPECT_EQ(polls, 3);
    EXPECT_EQ(slurp(csv), "Rohdaten [LSB];Skaliert [mm]\n0; 300.0\n");
}

// The QS40 poll likewise, told in the user's language even when --verbose traces the port.
TEST_F(ZylCtlTest, LostQs40PortEndsThePollAtOnceWithItsReasonInTheUsersLanguage) {
    SimQs40TextSensor qs40(&clock);
    SimulatedLine* line = nullptr;
    provider.plug(2, [&](SimulatedLine& opened) {
        line = &opened;
        opened.attach(&qs40);
    });
    int measurements = 0;
    qs40.setFrameListener([&](const std::vector<std::uint8_t>& frame) {
        if (std::string(frame.begin(), frame.end()).find("INM1") != std::string::npos && ++measurements == 3)
            line->failFromNow("Input/output error");
    });
    EXPECT_EQ(run({"--lang", "de", "--verbose", "--port", "2", "qs40", "poll", "--count", "50"}, 2),
              ZylCtl::kExitSensor);
    const std::string samples = out.str();
    EXPECT_EQ(std::count(samples.begin(), samples.end(), '\n'), 2) << samples;
    const std::string errors = err.str();
    EXPECT_NE(
        errors.find("\nzylctl: sim COM 2: das Gerät ist nicht mehr da (abgezogen?): Input/output error\n"),
        std::string::npos)
        << errors;
    EXPECT_EQ(errors.find("zylctl:"), errors.rfind("zylctl:")) << errors;
    EXPECT_EQ(measurements, 3);
}

// A line that is lost while the search talks to it is named beside "not found".
TEST_F(ZylCtlTest, SearchThatLosesItsLineSaysSoBesideNotFound) {
    provider.plug(2, [](SimulatedLine& opened) { opened.failFromNow("Input/output error"); });
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"qs40", "identify"}, {"nuva", "search"}}) {
        std::vector<std::string> argv{"--lang", "de", "--port", "2", "--timeout", "50"};
        argv.insert(argv.end(), command.begin(), command.end());
        EXPECT_EQ(run(argv, 2), ZylCtl::kExitSensor) << command.front();
        EXPECT_NE(err.str().find("(sim COM 2: das Gerät ist nicht mehr da (abgezogen?): Input/output error)\n"),
                  std::string::npos)
            << err.str();
    }
}

TEST_F(ZylCtlTest, OutputThatCouldNotBeWrittenIsRefusedBeforeThePortIsOpened) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "zylctl-targets";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string readOnly = (dir / "kept.qel").string();
    std::ofstream(readOnly) << "old";
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"poll", "--address", "5", "--count", "3", "--csv", (dir / "typo" / "x.csv").string()},
         "there is no folder"},
        {{"read", "--address", "5", "-o", readOnly}, "is read-only"},
        {{"read", "--address", "5", "-o", dir.string()}, "is a directory"},
        {{"write", "--address", "5", dir.string()}, "is a directory"},
    };
    for (const auto& [argv, reason] : cases) {
        EXPECT_EQ(run(argv), ZylCtl::kExitUsage) << reason;
        EXPECT_NE(err.str().find(reason), std::string::npos) << err.str();
    }
    EXPECT_TRUE(bus.frames().empty());
    EXPECT_EQ(slurp(readOnly), "old");
}
