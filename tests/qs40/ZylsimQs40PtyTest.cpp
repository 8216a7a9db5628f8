// The QS40 text sensor and the handheld of zylsim, through the real serial layer on a
// pseudo-terminal. These run in real time, each well under a few seconds.
#include "DemoDeviceProvider.h"
#include "PosixDeviceProvider.h"
#include "Qs40Loader.h"
#include "SRecordText.h"
#include "SimLineProvider.h"
#include "ZylsimProcess.h"

#include <gtest/gtest.h>

namespace {

// COM 3 mapped to the simulator's terminal, opened at a fixed rate. Without parity: the serial
// layer refuses the search's even parity on a pseudo-terminal.
struct Connection {
    static constexpr int kCom = 3;
    SystemClock clock;
    PosixDeviceProvider provider;
    Schnittstelle ports{provider, clock};
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet params;
    Qs40Context ctx{ports, typePort, params};
    int type = 0;

    explicit Connection(const std::string& path) : provider(mapped(path)) {
        // Three times the window's 100 ms: zylsim is another process, and on a busy machine it
        // may answer late.
        type = ports.OpenAndIdentify(kCom, 38400, 0, 0, 8, 300);
        typePort[kQs40SensorType] = kCom;
    }
    static PortMap mapped(const std::string& path) {
        PortMap map(PortMap::Naming::Posix);
        map.addSetting("3", path);
        return map;
    }
};

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

TEST(ZylsimQs40PtyTest, TextSensorAnswersAndTakesFirmware) {
    const std::string log = scratch("zylsim-qs40-frames-").string();
    Zylsim sim({"--qs40", "--log", log});
    ASSERT_FALSE(sim.path.empty()) << sim.err();
    Connection c(sim.path);
    ASSERT_EQ(c.type, 7);
    EXPECT_TRUE(c.ports.NewProtocol);
    ASSERT_TRUE(Qs40ReadSwitchPoints(c.ctx, kQs40SensorType));
    EXPECT_EQ(c.params.SwitchL, (std::array<std::int32_t, 5>{0, 2000, 3000, 4000, 5000}));
    // Two pages above 0xD0000: 256 skipped pages, then two written.
    const std::string image = SRecordFile({{0xD0000, PatternBytes(512)}});
    const Qs40UpdateResult r = Qs40FirmwareUpdate(c.ctx, kQs40SensorType, bytesOf(image), true);
    EXPECT_EQ(r.code, 0);
    const std::string frames = slurp(log);
    EXPECT_EQ(frames.substr(0, 15), "02 47 56 45 04\n");
    EXPECT_NE(frames.find("\n02 55 50 46 34 38 32 31 37 04\n42\n2D\n"), std::string::npos);
    EXPECT_NE(frames.find("\n02 57 50 50 04\n"), std::string::npos);
    std::filesystem::remove(log);
}

TEST(ZylsimQs40PtyTest, OldRevisionSpeaksTheOldCommands) {
    Zylsim sim({"--revision", "3", "--qs40"});
    ASSERT_FALSE(sim.path.empty()) << sim.err();
    Connection c(sim.path);
    ASSERT_EQ(c.type, 7);
    EXPECT_TRUE(c.ports.OldProtocol);
    EXPECT_TRUE(Qs40ReadSwitchPoints(c.ctx, kQs40SensorType));
    EXPECT_TRUE(Qs40ReadMeasurement(c.ctx, kQs40SensorType));
    EXPECT_GT(c.params.MeasDistance, 0);
}

TEST(ZylsimQs40PtyTest, HandheldTakesSwitchPointsAndAFile) {
    Zylsim sim({"--handheld"});
    ASSERT_FALSE(sim.path.empty()) << sim.err();
    Connection c(sim.path);
    ASSERT_EQ(c.type, 7);
    c.params.SwitchL = {0, 1234, 2000, 3000, 4000};
    c.params.SwitchH = {0, 100, 200, 300, 400};
    ASSERT_TRUE(Qs40SendToHandheld(c.ctx, kQs40SensorType));
    c.params = {};
    ASSERT_TRUE(Qs40ReadFromHandheld(c.ctx));
    EXPECT_EQ(c.params.SwitchL, (std::array<std::int32_t, 5>{0, 1230, 2000, 3000, 4000}));
    EXPECT_TRUE(Qs40SendMotFile(c.ctx, bytesOf("S9030000FC\r\n!")));
}

TEST(ZylsimQs40PtyTest, ConflictingOptionsAreRefused) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--revision", "3"},
                                          {"--qs40", "--handheld"},
                                          {"--qs40", "--revision", "x"},
                                          {"--handheld", "--halvern", "15"}}) {
        EXPECT_EQ(ChildProgram(zylsimCommand(args), scratch("zylsim-qs40-bad-")).wait(5000), 2) << args[0];
    }
}

TEST(DemoQs40Test, DemoServesTheTextSensorOnCom3AndTheHandheldOnCom6) {
    FakeClock clock;
    DemoDeviceProvider demo(clock);
    Schnittstelle ports(demo, clock);
    EXPECT_EQ(demo.describe(3), "demo: QS40MNTB text sensor (revision 4)");
    EXPECT_EQ(demo.describe(6), "demo: handheld in PC connection mode");
    std::array<std::uint8_t, 256> typePort{};
    Qs40ParameterSet params;
    Qs40Context ctx(ports, typePort, params);
    ASSERT_EQ(ports.OpenAndIdentify(3, 0, 0, 2, 8, 100), 7); // the window's baud-rate search
    typePort[kQs40SensorType] = 3;
    EXPECT_TRUE(Qs40ReadSwitchPoints(ctx, kQs40SensorType));
    ASSERT_EQ(ports.OpenAndIdentify(6, 0, 0, 2, 8, 100), 7);
    EXPECT_TRUE(Qs40SendToHandheld(ctx, kQs40SensorType));
    EXPECT_EQ(demo.handheld().switchL[1], 2000);
}
