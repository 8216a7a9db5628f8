// zylctl as a process against zylsim on a pseudo-terminal: the real serial layer end to end.
// With ZYL_WINE set (tools/test-win.sh) the same tests drive the Windows zylctl.exe under Wine:
// the simulator's terminal is then reached as the COM port that ZYL_WINE_PORT_LINK (a link
// named "comN", which the Wine prefix maps to COM N) is pointed at.
#include "ChildProgram.h"
#include "MeasurementExport.h"
#include "Qd20Variant.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Set when the tests drive zylctl.exe under Wine.
struct WineRun {
    std::string wine = environment("ZYL_WINE");
    std::string binaries = environment("ZYL_WIN_BIN_DIR");
    fs::path portLink = environment("ZYL_WINE_PORT_LINK");
    bool active() const { return !wine.empty(); }
    // "com5" -> "COM5"
    std::string portName() const { return "COM" + portLink.filename().string().substr(3); }
};

// Console output of a Windows program ends its lines with CR LF.
std::string withoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ZylCtlProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::path(::testing::TempDir()) /
                ("zylctl-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        m_sim.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    // Starts zylsim and returns the terminal it serves.
    std::string startSim(std::vector<std::string> options) {
        options.insert(options.begin(), {buildBinary("src/sim/zylsim"), "--log", log().string()});
        m_sim = std::make_unique<ChildProgram>(options, m_dir / "sim");
        const std::string tty = m_sim->firstLine();
        EXPECT_FALSE(tty.empty()) << "zylsim did not start: " << m_sim->err();
        if (!m_wine.active() || tty.empty())
            return tty;
        fs::remove(m_wine.portLink);
        fs::create_symlink(tty, m_wine.portLink);
        return m_wine.portName();
    }
    Outcome zylctl(std::vector<std::string> args) {
        if (m_wine.active())
            args.insert(args.begin(),
                        {m_wine.wine, (fs::path(m_wine.binaries) / "src/cli/zylctl.exe").string()});
        else
            args.insert(args.begin(), buildBinary("src/cli/zylctl"));
        ChildProgram ctl(args, m_dir / "ctl");
        Outcome o{ctl.wait(), {}, {}};
        EXPECT_NE(o.exitCode, -1) << "zylctl did not finish within 30 s";
        o.out = ctl.out();
        o.err = ctl.err();
        if (m_wine.active()) {
            o.out = withoutCarriageReturns(o.out);
            o.err = withoutCarriageReturns(o.err);
        }
        return o;
    }
    // Text files zylctl writes end their lines as text files do on its platform.
    CsvLineEnd textLineEnd() const { return m_wine.active() ? CsvLineEnd::CrLf : CsvLineEnd::Lf; }
    fs::path file(const std::string& name) const { return m_dir / name; }
    fs::path log() const { return m_dir / "frames.log"; }
    std::vector<std::string> loggedFrames() const {
        std::vector<std::string> lines;
        std::istringstream in(slurp(log()));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

private:
    WineRun m_wine;
    fs::path m_dir;
    std::unique_ptr<ChildProgram> m_sim;
};

} // namespace

TEST_F(ZylCtlProcessTest, SearchFindsTheSensorBehindAnEchoingConverter) {
    const std::string tty = startSim({"--sensor", "9:500", "--echo"});
    const Outcome o = zylctl({"--port", tty, "--timeout", "20", "search"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "address 9\n");
}

TEST_F(ZylCtlProcessTest, ReadPrintsTheSetAndSavesTheProjectFile) {
    const std::string tty = startSim({"--sensor", "9:500"});
    std::ofstream(file("read.qel")) << "the file the set replaces";
    const Outcome o = zylctl({"--port", tty, "read", "--address", "9", "-o", file("read.qel").string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    // The simulated sensor's factory preset of the 500 mm variant.
    EXPECT_EQ(o.out, "variant: ZYL24_500\nrange: 250.0 .. 750.0 mm\n"
                     "q1 function: 0 (switch point)\nq1 normally closed: off\nq1 pulse stretching: off\n"
                     "q1 point 1: 499.9 mm\nq1 point 2: 750.0 mm\n"
                     "q2 function: 0 (switch point)\nq2 normally closed: off\nq2 pulse stretching: off\n"
                     "q2 point 1: 625.0 mm\nq2 point 2: 750.0 mm\n"
                     "analog 4 mA: 250.0 mm\nanalog 20 mA: 750.0 mm\n"
                     "key lock: off\nhold: off\naveraging: 40 ms\nlowlight: off\n");
    EXPECT_EQ(slurp(file("read.qel")),
              "[Q1]\r\n499\r\n750\r\n[Q2]\r\n625\r\n750\r\n[QA]\r\n250\r\n750\r\n"
              "[IV1]\r\nOff\r\n[IV2]\r\nOff\r\n[OEFFNER1]\r\nOff\r\n[OEFFNER2]\r\nOff\r\n"
              "[VERRIEGELUNG]\r\nOff\r\n[BW]\r\n10\r\n[Typ Q1]\r\n0\r\n[Typ Q2]\r\n0\r\n");
}

TEST_F(ZylCtlProcessTest, WriteSendsTheWriteAllSequenceAndStores) {
    const std::string tty = startSim({"--sensor", "9:500"});
    std::ofstream(file("set.qel")) << "[Q1]\n300\n400\n[Q2]\n60\n800\n[QA]\n260\n740\n[IV1]\nOff\n[IV2]\nOn\n"
                                      "[OEFFNER1]\nOff\n[OEFFNER2]\nOn\n[VERRIEGELUNG]\nOff\n[BW]\n1000\n"
                                      "[Typ Q1]\n2\n[Typ Q2]\n1\n";
    const Outcome o = zylctl({"--port", tty, "write", "--address", "9", file("set.qel").string(), "--store"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    const std::vector<std::string> expected{
        "89 04 41 4C",                // probe 'A'
        "89 04 76 7B",                // probe 'v'
        "89 04 3F 32",                // '?': hold and lowlight come from the sensor
        "89 09 31 39 25 00 2C 32 33", // '1': 300 mm, 400 mm, no flags
        "89 04 54 59",                // 'T': trigger function
        "89 09 32 3F 3D 03 00 02 31", // '2': 60 mm and 800 mm, limited to the range: 4093 and 2
        "89 05 56 00 5A",             // 'V' off
        "89 05 42 00 4E",             // 'B' 0.4 ms
        "89 05 52 00 5E",             // 'R' off
        "89 06 48 01 11 57",          // 'H' 740 mm
        "89 06 4E 3E 2D 52",          // 'N' 260 mm
        "89 04 53 5E",                // 'S'
    };
    EXPECT_EQ(loggedFrames(), expected);
}

TEST_F(ZylCtlProcessTest, BadProjectFileSendsNothing) {
    const std::string tty = startSim({"--sensor", "9:500"});
    std::ofstream(file("bad.qel")) << "[Q1]\n300\n400\n[BW]\n";
    const Outcome o =
        zylctl({"--lang", "de", "--port", tty, "write", "--address", "9", file("bad.qel").string()});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_EQ(o.err, "zylctl: Fehler in Datei " + file("bad.qel").string() + ":4\n");
    EXPECT_TRUE(loggedFrames().empty());
}

TEST_F(ZylCtlProcessTest, PollPrintsKSamplesAndExportsTheSameAsTheWindow) {
    const std::string tty = startSim({"--sensor", "9:500"});
    const Outcome o = zylctl({"--port", tty, "poll", "--address", "9", "--count", "5", "--interval", "10",
                              "--csv", file("poll.csv").string()});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    std::vector<std::uint16_t> samples;
    std::istringstream lines(o.out);
    const Qd20Variant& v500 = *VariantForSensorType(11);
    for (std::string line; std::getline(lines, line);) {
        const auto semicolon = line.find(';');
        ASSERT_NE(semicolon, std::string::npos) << line;
        samples.push_back(static_cast<std::uint16_t>(std::stoi(line.substr(0, semicolon))));
        EXPECT_EQ(line.substr(semicolon + 1),
                  MeasurementExport::formatOneDecimal(ToMillimetresInt(samples.back(), v500)));
    }
    EXPECT_EQ(samples.size(), 5u);
    EXPECT_EQ(slurp(file("poll.csv")), MeasurementExport::toCsv(samples, v500, textLineEnd()));
}

TEST_F(ZylCtlProcessTest, PortThatIsMissingOrNoSerialLineGivesExitThree) {
    const Outcome missing = zylctl({"--port", file("no-such-tty").string(), "search"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_NE(missing.err.find("no such device"), std::string::npos) << missing.err;
    std::ofstream(file("plain")) << "not a terminal";
    const Outcome plain = zylctl({"--port", file("plain").string(), "read", "--address", "5"});
    EXPECT_EQ(plain.exitCode, 3);
    EXPECT_NE(plain.err.find("is not a serial line"), std::string::npos) << plain.err;
    const Outcome usage = zylctl({"--port", "COM3", "read"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("read needs --address N\nusage: zylctl"), std::string::npos) << usage.err;
}
