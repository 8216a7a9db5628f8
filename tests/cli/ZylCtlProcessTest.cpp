// zylctl as a process against zylsim on a pseudo-terminal: the real serial layer end to end.
// With ZYL_WINE set (tools/test-win.sh) the same tests drive the Windows zylctl.exe under Wine:
// the simulator's terminal is then reached as the COM port that ZYL_WINE_PORT_LINK (a link
// named "comN", which the Wine prefix maps to COM N) is pointed at.
#include "ChildProgram.h"
#include "MeasurementExport.h"
#include "NuvaProjectFile.h"
#include "Qd20Variant.h"
#include "Qs40_nuva_speziell.h"
#include "SRecordImage.h"
#include "SimQs40TextSensor.h"
#include "SpiFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <sys/stat.h>

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
        m_sim.reset(); // one at a time: they share their output files
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

    bool underWine() const { return m_wine.active(); }
    // zylsim with a QS40 sensor of the text protocol. A pseudo-terminal holds no parity bit
    // (Linux clears PARENB on it), and glibc's tcsetattr reports EINVAL when nothing else it was
    // asked for took effect. Wine's SetCommState sets the rate and then the line control in two
    // such calls, so once a search has set its first rate, the line control (even parity) of
    // every further rate fails, and so does every setting on a terminal that an earlier program
    // left in the same state; a real port keeps its parity. Under Wine the sensor therefore
    // talks at 9600 baud, the rate the search tries first, and each zylctl gets a fresh one.
    std::string startQs40Sim(std::vector<std::string> options) {
        options.insert(options.begin(), "--qs40");
        if (underWine())
            options.insert(options.end(), {"--baud", "9600"});
        return startSim(options);
    }
    // A text-protocol request as the simulator logs it: STX, the text, EOT.
    static std::string request(std::string_view text) {
        std::string line = "02";
        char hex[4];
        for (char c : text) {
            std::snprintf(hex, sizeof hex, " %02X", static_cast<unsigned char>(c));
            line += hex;
        }
        return line + " 04";
    }
    // The frames after the identification and the first reading of the switch points, which
    // every qs40 command starts with.
    std::vector<std::string> framesAfterConnecting() const {
        std::vector<std::string> frames = loggedFrames();
        const std::vector<std::string> connecting{request("GVE"), request("GH1"), request("GL1"),
                                                  request("GH2"), request("GL2"), request("GH3"),
                                                  request("GL3"), request("GH4"), request("GL4")};
        EXPECT_GE(frames.size(), connecting.size());
        if (frames.size() < connecting.size())
            return {};
        EXPECT_EQ(std::vector(frames.begin(), frames.begin() + 9), connecting);
        return std::vector(frames.begin() + 9, frames.end());
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
    EXPECT_EQ(o.err, "zylctl: Fehler in Datei " + file("bad.qel").string() + ":4 [BW]\n");
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
    const Outcome usage = zylctl({"--lang", "en", "--port", "COM3", "read"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("read needs --address N\nusage: zylctl"), std::string::npos) << usage.err;
    const Outcome german = zylctl({"--port", "COM3", "read", "--lang", "de"});
    EXPECT_EQ(german.exitCode, 2);
    EXPECT_NE(german.err.find("read braucht --address N\nAufruf: zylctl"), std::string::npos) << german.err;
    // An unusable entry of the port map is named in the language of the run.
    ::setenv("ZYLCONFIG_PORTS", "oops", 1);
    const Outcome warned = zylctl({"--lang", "de", "--port", file("no-such-tty").string(), "search"});
    ::unsetenv("ZYLCONFIG_PORTS");
    EXPECT_NE(warned.err.find("zylctl: ZYLCONFIG_PORTS: Eintrag \"oops\" nicht verwendet: erwartet NUMMER="),
              std::string::npos)
        << warned.err;
}

namespace {

// The loader talks at 57600 baud with the parity of the line: under Wine that setting fails on
// a pseudo-terminal (see startQs40Sim).
constexpr const char* kWineRefusesLoaderRate =
    "Wine's SetCommState fails on a terminal for 57600 baud with even parity: glibc's tcsetattr "
    "refuses the parity bit the terminal drops";

// The simulated QS40's factory set as a project file of the window would hold it.
SpiFile::Values qs40Factory() {
    const SimQs40TextSensor::Values f = SimQs40TextSensor::factoryValues();
    SpiFile::Values v;
    v.sensorType = 7;
    std::copy_n(f.switchL.begin() + 1, 4, v.switchL.begin());
    std::copy_n(f.switchH.begin() + 1, 4, v.switchH.begin());
    v.limitEN = f.limitEN;
    v.limitEF = f.limitEF;
    v.limitDT = f.limitDT;
    v.limitND = f.limitND;
    return v;
}

// An S-record file: a header, S2 records of `bytes` from `address` on, 32 bytes each, the end.
std::string sRecords(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
    auto record = [](char type, std::uint32_t at, int addressBytes, const std::uint8_t* data, std::size_t n) {
        std::vector<std::uint8_t> body{static_cast<std::uint8_t>(addressBytes + n + 1)};
        for (int i = addressBytes - 1; i >= 0; --i)
            body.push_back(static_cast<std::uint8_t>(at >> (8 * i)));
        body.insert(body.end(), data, data + n);
        unsigned sum = 0;
        std::string text = std::string("S") + type;
        char hex[4];
        for (std::uint8_t b : body) {
            sum += b;
            std::snprintf(hex, sizeof hex, "%02X", b);
            text += hex;
        }
        std::snprintf(hex, sizeof hex, "%02X", 0xFF - (sum & 0xFF));
        return text + hex + "\r\n";
    };
    std::string file = record('0', 0, 2, nullptr, 0);
    for (std::size_t i = 0; i < bytes.size(); i += 32)
        file += record('2', address + static_cast<std::uint32_t>(i), 3, bytes.data() + i,
                       std::min<std::size_t>(32, bytes.size() - i));
    return file + record('8', 0, 3, nullptr, 0);
}

} // namespace

TEST_F(ZylCtlProcessTest, Qs40ReadSendsTheWindowsSequenceAndSavesItsProjectFile) {
    const std::string tty = startQs40Sim({});
    const Outcome o = zylctl({"--port", tty, "qs40", "read", "-o", file("read.spi").string()});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "switch point 1: 2000 mm\nhysteresis 1: 300 mm\nswitch point 2: 3000 mm\n"
                     "hysteresis 2: 300 mm\nswitch point 3: 4000 mm\nhysteresis 3: 300 mm\n"
                     "switch point 4: 5000 mm\nhysteresis 4: 300 mm\n"
                     "energy far: 180\nenergy near: 100\ndistance near/far: 2800\nnear zone: 350\n");
    EXPECT_EQ(slurp(file("read.spi")), SpiFile::serialize(qs40Factory()));
    const std::vector<std::string> reading{
        request("GH1"), request("GL1"), request("GH2"), request("GL2"),      request("GH3"),
        request("GL3"), request("GH4"), request("GL4"), request("es!48217"), request("GEN"),
        request("GEF"), request("GDT"), request("GND"), request("twd")};
    EXPECT_EQ(framesAfterConnecting(), reading);
}

TEST_F(ZylCtlProcessTest, Qs40WriteAndCopySendTheFileAsTheWindowLimitsIt) {
    SpiFile::Values values = qs40Factory();
    values.switchL = {1500, 2500, 3500, 5900};
    values.switchH = {50, 200, 300, 400}; // 50 is below the least hysteresis, 5900 + 400 beyond the range
    values.limitEN = 170;
    std::ofstream(file("set.spi"), std::ios::binary) << SpiFile::serialize(values);
    const std::vector<std::string> points{request("IH1 100"),  request("IL1 1500"), request("IH2 200"),
                                          request("IL2 2500"), request("IH3 300"),  request("IL3 3500"),
                                          request("IH4 400"),  request("IL4 5600")};

    const std::string tty = startQs40Sim({});
    const Outcome written = zylctl({"--port", tty, "qs40", "write", file("set.spi").string()});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    std::vector<std::string> expected = points;
    expected.push_back(request("WPP"));
    EXPECT_EQ(framesAfterConnecting(), expected);

    // On a sensor of its own: a terminal keeps the line setting of the program before, and under
    // Wine a setting that changes nothing but the parity fails (see startQs40Sim).
    const std::string copyTty = startQs40Sim({});
    std::ofstream(log(), std::ios::trunc).close();
    const Outcome copied = zylctl({"--port", copyTty, "qs40", "copy", file("set.spi").string()});
    ASSERT_EQ(copied.exitCode, 0) << copied.err;
    expected = points;
    for (const char* r : {"es!48217", "IEN170", "IEF100", "IDT2800", "IND350", "WPP", "twd"})
        expected.push_back(request(r));
    EXPECT_EQ(framesAfterConnecting(), expected);
}

TEST_F(ZylCtlProcessTest, Qs40FileThatCannotBeSentSendsNothing) {
    const std::string tty = startQs40Sim({});
    // Without HY4 the window would send what the sensor had; without the window nobody sees it.
    std::ofstream(file("short.spi")) << "SensorTyp: 7\r\nSP1: 2000mm\r\nHY1: 300mm\r\nSP2: 2000mm\r\n"
                                        "HY2: 300mm\r\nSP3: 2000mm\r\nHY3: 300mm\r\nSP4: 2000mm\r\n";
    SpiFile::Values other = qs40Factory();
    other.sensorType = 12;
    std::ofstream(file("mntd.spi")) << SpiFile::serialize(other);
    std::ofstream(file("text.mot")) << "S0030000FC\r\nnot a record\r\n";
    const struct {
        std::string command;
        std::string file;
        std::string message;
    } cases[] = {{"write", "short.spi", "Fehler in Datei"},
                 {"copy", "mntd.spi", "Anderer Sensortyp\nals angeschlossener"},
                 {"write", "missing.spi", "Datei kann nicht gelesen werden"},
                 {"update", "text.mot", "kein brauchbares S-Record-Abbild"}};
    for (const auto& c : cases) {
        const Outcome o = zylctl({"--lang", "de", "--port", tty, "qs40", c.command, file(c.file).string()});
        EXPECT_EQ(o.exitCode, 2) << c.file;
        EXPECT_TRUE(o.err.starts_with("zylctl: " + c.message + " " + file(c.file).string())) << o.err;
    }
    EXPECT_TRUE(loggedFrames().empty());
}

TEST_F(ZylCtlProcessTest, Qs40PollPrintsDistanceEnergyAndState) {
    const std::string tty = startQs40Sim({});
    const Outcome o = zylctl({"--port", tty, "qs40", "poll", "--count", "3", "--interval", "10"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::istringstream lines(o.out);
    int samples = 0;
    for (std::string line; std::getline(lines, line); ++samples) {
        int distance = -1;
        int energy = -1;
        int state = -1;
        char end = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "%d;%d;%d%c", &distance, &energy, &state, &end), 3) << line;
        EXPECT_GE(distance, 0) << line;
        EXPECT_LE(distance, 6000) << line;
    }
    EXPECT_EQ(samples, 3);
    const std::vector<std::string> polls{request("INM1"), request("ESM"),  request("INM1"),
                                         request("ESM"),  request("INM1"), request("ESM")};
    EXPECT_EQ(framesAfterConnecting(), polls);
}

TEST_F(ZylCtlProcessTest, Qs40UpdateReproducesTheImageInTheLoaderAndShowsEveryPage) {
    if (underWine())
        GTEST_SKIP() << kWineRefusesLoaderRate;
    // Two pages of data above the loader's own 64 KiB, the second only half filled.
    std::vector<std::uint8_t> data(384);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + 3);
    const std::string mot = sRecords(0xD0000, data);
    std::ofstream(file("image.mot"), std::ios::binary) << mot;
    const SRecordImage image =
        ReadSRecordImage(std::span(reinterpret_cast<const std::uint8_t*>(mot.data()), mot.size()));
    ASSERT_EQ(image.pages.size(), 258u);

    const std::string tty = startQs40Sim({});
    const Outcome o = zylctl({"--port", tty, "qs40", "update", file("image.mot").string(), "--reduced"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::string pages;
    for (int page = 1; page <= 258; ++page)
        pages += "page " + std::to_string(page) + "/258\n";
    EXPECT_EQ(o.err, pages);

    // The flash as the loader's log writes it: "-" passes a page, "D" and 256 bytes fill one.
    std::vector<std::vector<std::uint8_t>> written;
    std::size_t page = 0;
    bool inLoader = false;
    for (const std::string& frame : loggedFrames()) {
        inLoader = inLoader || frame == "42";
        if (!inLoader)
            continue;
        if (frame == "2D")
            ++page;
        if (frame.starts_with("44 ")) {
            std::vector<std::uint8_t> bytes;
            std::istringstream hex(frame.substr(3));
            for (unsigned b = 0; hex >> std::hex >> b;)
                bytes.push_back(static_cast<std::uint8_t>(b));
            EXPECT_EQ(page, written.size() + 256) << "a data page out of place";
            written.push_back(bytes);
            ++page;
        }
    }
    EXPECT_EQ(page, 258u);
    ASSERT_EQ(written.size(), 2u);
    for (std::size_t i = 0; i < written.size(); ++i)
        EXPECT_EQ(written[i], std::vector<std::uint8_t>(image.pages[256 + i].bytes.begin(),
                                                        image.pages[256 + i].bytes.end()));
}

TEST_F(ZylCtlProcessTest, Qs40OnALineWithoutOneAndSearchAllOnTheBus) {
    const std::string tty = startSim({"--sensor", "5:220", "--sensor", "40:70", "--sensor", "12:1000"});
    const Outcome all = zylctl({"--port", tty, "--timeout", "20", "search", "--all"});
    EXPECT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(all.out,
              "address 5 variant ZYL24_220\naddress 12 variant ZYL24_1000\naddress 40 variant ZYL24_70\n");
    const Outcome qs40 = zylctl({"--lang", "en", "--port", tty, "qs40", "identify"});
    EXPECT_EQ(qs40.exitCode, 1);
    EXPECT_EQ(qs40.err, "zylctl: no QS40MNTB available\nHotSync closed?\n");
}

TEST_F(ZylCtlProcessTest, Qs40IdentifyNamesTheSensorAndVerboseShowsTheBytes) {
    const std::string tty = startQs40Sim({"--revision", "3"});
    const Outcome o = zylctl({"--port", tty, "--verbose", "qs40", "identify"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_TRUE(o.out.starts_with("port: COM")) << o.out;
    EXPECT_NE(o.out.find("\nsensor: QS40MNTB\nidentification: QS40MNTB $Revision: 3.1 $\ngeneration: old\n"),
              std::string::npos)
        << o.out;
    // The identification as sent (after the STX that resynchronises the line) and the sensor's
    // reply ("QS40..."), one line each.
    EXPECT_NE(o.err.find("-> 02 " + request("GVE") + "\n<- 51 53 34 30"), std::string::npos) << o.err;
}

TEST_F(ZylCtlProcessTest, Qs40WithoutPortSearchesTheComNumbersAndWithPortTriesOnlyThatOne) {
    if (underWine())
        GTEST_SKIP() << "the COM numbers of the Wine prefix are not mapped through ZYLCONFIG_PORTS";
    const std::string tty = startQs40Sim({});
    // COM 1 leads nowhere, COM 2 to the sensor.
    ::setenv("ZYLCONFIG_PORTS", ("1=" + file("nothing").string() + ",2=" + tty).c_str(), 1);
    const Outcome searched = zylctl({"qs40", "identify"});
    const Outcome one = zylctl({"--port", "1", "qs40", "identify"});
    ::unsetenv("ZYLCONFIG_PORTS");
    EXPECT_EQ(searched.exitCode, 0) << searched.err;
    EXPECT_TRUE(searched.out.starts_with("port: COM2\n")) << searched.out;
    EXPECT_EQ(one.exitCode, 3);
    EXPECT_NE(one.err.find("no such device"), std::string::npos) << one.err;
}

TEST_F(ZylCtlProcessTest, PipesAreRefusedAndSigtermEndsAWaitingPollWithItsSamplesSaved) {
    if (underWine())
        GTEST_SKIP() << "pipes and SIGTERM are matters of the POSIX build";
    const std::string tty = startSim({"--sensor", "9:500"});
    ASSERT_EQ(::mkfifo(file("pipe.qel").c_str(), 0600), 0);
    const Outcome pipe = zylctl({"--port", tty, "write", "--address", "9", file("pipe.qel").string()});
    EXPECT_EQ(pipe.exitCode, 2);
    EXPECT_NE(pipe.err.find("is not a regular file"), std::string::npos) << pipe.err;
    EXPECT_EQ(
        zylctl({"--port", tty, "poll", "--address", "9", "--count", "2", "--csv", file("pipe.qel").string()})
            .exitCode,
        2);
    EXPECT_TRUE(loggedFrames().empty());

    // Ctrl+C and SIGTERM alike.
    for (const int signal : {SIGINT, SIGTERM}) {
        ChildProgram poll({buildBinary("src/cli/zylctl"), "--port", tty, "poll", "--address", "9", "--count",
                           "2", "--interval", "600000", "--csv", file("poll.csv").string()},
                          file("poll"));
        ASSERT_FALSE(poll.firstLine().empty()) << poll.err(); // the first sample, then a ten-minute wait
        poll.signal(signal);
        EXPECT_EQ(poll.wait(5000), 130) << signal;
        const std::string csv = slurp(file("poll.csv"));
        EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2) << csv; // the header and the one sample
    }
}

TEST_F(ZylCtlProcessTest, VerboseShowsEveryFrameBothWays) {
    const std::string tty = startSim({"--sensor", "5:220"});
    const Outcome o = zylctl({"--port", tty, "--verbose", "store", "--address", "5"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    // The probe 'A' with its answer, 'v' unanswered, then 'S' acknowledged.
    EXPECT_NE(o.err.find("-> 85 04 41 40\n<- 85 06 59 "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("-> 85 04 76 77\n<- "), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("-> 85 04 53 52\n<- 85 04 59 58\n"), std::string::npos) << o.err;
}

namespace {

// A NUVA request as the simulator logs it, for the default addresses 222 and 1.
std::string nuvaFrame(std::uint8_t command, std::vector<std::uint8_t> data = {}) {
    std::string line;
    char hex[4];
    for (std::uint8_t b : NuvaRequestFrame({}, command, data)) {
        std::snprintf(hex, sizeof hex, "%02X ", b);
        line += hex;
    }
    line.pop_back();
    return line;
}

// The simulated NUVA sensor's factory set: 800, 1200, 2000 and 2800 mm in every field,
// hysteresis 48 mm.
NuvaProjectValues nuvaFactory() {
    NuvaProjectValues v;
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k)
        v.points[k] = std::array{800, 1200, 2000, 2800}[k % 4];
    v.hysteresis = {48, 48, 48, 48};
    return v;
}

// zylsim is another process: on a busy machine it may answer later than the window's 50 ms.
// Every exchange waits this long once for a byte that does not come, so it is no longer.
const std::vector<std::string> kNuvaSlowLine{"--timeout", "200"};

} // namespace

TEST_F(ZylCtlProcessTest, NuvaReadPrintsTheSetAndSavesTheWindowsProjectFile) {
    const std::string tty = startSim({"--nuva", "12"});
    std::vector<std::string> args{"--lang", "de",   "--port", tty,
                                  "nuva",   "read", "-o",     file("read.qel").string()};
    args.insert(args.end(), kNuvaSlowLine.begin(), kNuvaSlowLine.end());
    const Outcome o = zylctl(args);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::string expected;
    for (const char* field : {"straight", "right", "left", "full area"})
        expected += std::string(field) + " near 1: 800 mm\n" + field + " near 2: 1200 mm\n" + field +
                    " far 1: 2000 mm\n" + field + " far 2: 2800 mm\n";
    expected += "hysteresis near 1: 48 mm\nhysteresis near 2: 48 mm\nhysteresis far 1: 48 mm\n"
                "hysteresis far 2: 48 mm\nnear-range switch-off: active\n";
    EXPECT_EQ(o.out, expected);
    // What the window's "Speichern" writes for these values, in German.
    EXPECT_EQ(slurp(file("read.qel")), NuvaProjectFileText(nuvaFactory(), false));
    EXPECT_EQ(loggedFrames(),
              (std::vector<std::string>{"DE 01 05 58 82", nuvaFrame(':', {0xAA}), nuvaFrame('U')}));
}

TEST_F(ZylCtlProcessTest, NuvaWriteSendsThePointsOnTheWindowsScaleReadsBackAndStores) {
    const std::string tty = startSim({"--nuva", "13"});
    NuvaProjectValues values = nuvaFactory();
    values.points[0] = 1410;  // the window's editors hold it on its 16 mm step: 1408
    values.points[15] = 6016; // and at the QS40MNTB's 6000 mm at most
    std::ofstream(file("far.qel"), std::ios::binary) << NuvaProjectFileText(values, true);
    std::vector<std::string> args{"--lang", "en", "--port", tty, "nuva", "write", file("far.qel").string()};
    args.insert(args.end(), kNuvaSlowLine.begin(), kNuvaSlowLine.end());
    const Outcome o = zylctl(args);
    EXPECT_EQ(o.exitCode, 0) << o.err;
    values.points[0] = 1408;
    values.points[15] = 6000;
    std::vector<std::string> expected{"DE 01 05 58 82"};
    for (std::size_t k = 0; k < kNuvaSwitchPointCount; ++k) {
        const auto mm = static_cast<std::uint16_t>(values.points[k]);
        expected.push_back(
            nuvaFrame('L', {NuvaSwitchPointIndex(k), std::uint8_t(mm >> 8), std::uint8_t(mm)}));
    }
    for (std::uint8_t n = 1; n <= 4; ++n)
        expected.push_back(nuvaFrame('H', {n, 0, 48}));
    expected.push_back(nuvaFrame('U'));
    expected.push_back(nuvaFrame('S'));
    EXPECT_EQ(loggedFrames(), expected);
}

TEST_F(ZylCtlProcessTest, NuvaLimitsAreWrittenStoredAndReadBack) {
    const std::string tty = startSim({"--nuva", "12", "--no-near-switch"});
    std::vector<std::string> args{"--port", tty,  "nuva", "limits", "--set", "5",   "3",
                                  "20",     "80", "25",   "5",      "2000",  "3000"};
    args.insert(args.end(), kNuvaSlowLine.begin(), kNuvaSlowLine.end());
    const Outcome o = zylctl(args);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "hysteresis count: 5\nhysteresis level: 3\nminimum count: 20\nminimum level 1: 80\n"
                     "minimum level 2: 25\nminimum level 3: 5\nthreshold 1: 2000\nthreshold 2: 3000\n");
    EXPECT_EQ(loggedFrames(), (std::vector<std::string>{"DE 01 05 58 82",
                                                        nuvaFrame('5', {0xAA, 0, 5, 0, 3, 0, 20, 0, 80, 0, 25,
                                                                        0, 5, 0x07, 0xD0, 0x0B, 0xB8}),
                                                        nuvaFrame('S'), nuvaFrame('6', {0xAA})}));
}

TEST_F(ZylCtlProcessTest, NuvaPollPrintsTheDistancesAndExportsThem) {
    const std::string tty = startSim({"--nuva", "13"});
    std::vector<std::string> args{"--port", tty,          "nuva", "poll",  "--count",
                                  "3",      "--interval", "10",   "--csv", file("poll.csv").string()};
    args.insert(args.end(), kNuvaSlowLine.begin(), kNuvaSlowLine.end());
    const Outcome o = zylctl(args);
    ASSERT_EQ(o.exitCode, 0) << o.err;
    std::istringstream lines(o.out);
    std::string csv = "Abstand [mm]\n";
    int samples = 0;
    for (std::string line; std::getline(lines, line); ++samples) {
        EXPECT_GE(std::stoi(line), 400) << line; // the simulated target stays within 400 .. 5600 mm
        EXPECT_LE(std::stoi(line), 5600) << line;
        csv += line + "\n";
    }
    EXPECT_EQ(samples, 3);
    if (textLineEnd() == CsvLineEnd::CrLf)
        csv = std::regex_replace(csv, std::regex("\n"), "\r\n");
    EXPECT_EQ(slurp(file("poll.csv")), csv);
    EXPECT_EQ(loggedFrames(),
              (std::vector<std::string>{"DE 01 05 58 82", nuvaFrame('C'), nuvaFrame('C'), nuvaFrame('C')}));
}

TEST_F(ZylCtlProcessTest, NuvaWithoutPortSearchesTheComNumbersAndWithPortTriesOnlyThatOne) {
    if (underWine())
        GTEST_SKIP() << "the COM numbers of the Wine prefix are not mapped through ZYLCONFIG_PORTS";
    const std::string tty = startSim({"--nuva", "13", "--slave", "7"});
    ::setenv("ZYLCONFIG_PORTS", ("1=" + file("nothing").string() + ",2=" + tty).c_str(), 1);
    const Outcome searched = zylctl({"--timeout", "300", "nuva", "search", "--slave", "7"});
    const Outcome one = zylctl({"--port", "1", "nuva", "search"});
    ::unsetenv("ZYLCONFIG_PORTS");
    EXPECT_EQ(searched.exitCode, 0) << searched.err;
    EXPECT_EQ(searched.out, "port: COM2\nsensor: QS40MNTB\nversion: 3.1\n");
    EXPECT_EQ(loggedFrames(), std::vector<std::string>{"07 01 05 58 5B"});
    EXPECT_EQ(one.exitCode, 3);
    EXPECT_NE(one.err.find("no such device"), std::string::npos) << one.err;
}

namespace {

// An environment variable set (or, with nullptr, removed) for the programs started while the
// object lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { m_old ? ::setenv(m_name, m_old->c_str(), 1) : ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

} // namespace

TEST_F(ZylCtlProcessTest, PortMapWarningsArePrintedOnceAndTheGoodEntriesStillCount) {
    if (underWine())
        GTEST_SKIP() << "the Windows zylctl reads its Ports group from the registry";
    const std::string tty = startSim({"--sensor", "5:220"});
    fs::create_directories(file("config/qel"));
    std::ofstream(file("config/qel/Vantrisco.conf"))
        << "[Ports]\nCOM0=/dev/ttyUSB0\nDrucker=/dev/lp0\nCOM3=ttyUSB1\nCOM4=" << tty << "\n";
    const ScopedVariable config("XDG_CONFIG_HOME", file("config").c_str());
    const ScopedVariable list("ZYLCONFIG_PORTS", "21=/dev/ttyUSB2");
    const Outcome o = zylctl({"--port", "4", "search"});
    EXPECT_EQ(o.exitCode, 0) << o.err;
    EXPECT_EQ(o.out, "address 5\n");
    for (const char* entry : {"\"COM0=/dev/ttyUSB0\"", "\"Drucker=/dev/lp0\"", "\"COM3=ttyUSB1\"",
                              "ZYLCONFIG_PORTS: entry \"21=/dev/ttyUSB2\""})
        EXPECT_EQ(occurrences(o.err, entry), 1u) << entry << " in\n" << o.err;
    EXPECT_EQ(occurrences(o.err, "zylctl: "), 4u) << o.err;
}

TEST_F(ZylCtlProcessTest, MessagesComeInTheLanguageOfTheFirstLocaleVariableSet) {
    const std::string tty = startSim({"--sensor", "5:220"});
    struct Case {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        const char* message;
    };
    for (const Case& c : {Case{nullptr, nullptr, "de_DE.UTF-8", "zylctl: kein Sensor verfügbar"},
                          Case{nullptr, "de_AT", "en_GB.UTF-8", "zylctl: kein Sensor verfügbar"},
                          Case{"en_US.UTF-8", "de_DE", "de_DE", "zylctl: no sensor available"}}) {
        const ScopedVariable all("LC_ALL", c.lcAll);
        const ScopedVariable messages("LC_MESSAGES", c.lcMessages);
        const ScopedVariable lang("LANG", c.lang);
        const Outcome o = zylctl({"--port", tty, "read", "--address", "7"});
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_TRUE(o.err.starts_with(c.message)) << c.message << ":\n" << o.err;
    }
}
