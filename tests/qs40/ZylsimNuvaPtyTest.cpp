// The NUVA sensor of zylsim on a pseudo-terminal, through the real serial layer. These tests run
// in real time (bounded, about a second each).
#include "NuvaCommands.h"
#include "PosixSerialDevice.h"
#include "Qs40_nuva_speziell.h"
#include "Schnittstelle.h"
#include "ZylsimProcess.h"

#include <gtest/gtest.h>

namespace {

// COM 1 is the terminal zylsim serves.
class TerminalProvider : public DeviceProvider {
public:
    explicit TerminalProvider(std::string path) : m_path(std::move(path)) {}
    OpenResult open(int com) override {
        int error = 0;
        auto device = com == 1 ? PosixSerialDevice::open(m_path, error) : nullptr;
        if (!device)
            return {nullptr, OpenError::Absent, "no terminal"};
        return {std::move(device), OpenError::None, {}};
    }
    std::string describe(int) const override { return m_path; }

private:
    std::string m_path;
};

TEST(ZylsimNuvaPtyTest, SensorIsFoundAndItsFramesAreLoggedByteExact) {
    const std::string log = scratch("zylsim-nuva-frames-").string();
    Zylsim sim({"--nuva", "13", "--slave", "7", "--no-near-switch", "--log", log});
    ASSERT_FALSE(sim.path.empty()) << "zylsim did not start: " << sim.err();
    SystemClock clock;
    TerminalProvider provider(sim.path);
    Schnittstelle ports(provider, clock);
    const NuvaLinkOptions options{7, 1, true};
    // Three times the window's 100 ms: zylsim is another process, and on a busy machine it may
    // answer late.
    const NuvaOpenResult found = NuvaOpen(ports, 1, 57600, 0, 300, 8, options);
    ASSERT_EQ(found.sensorType, 13) << ports.lastOpenError();
    EXPECT_EQ(found.version, "3.1");
    const NuvaReply near = NuvaExchange(ports, 1, options, ':', NuvaReadNearSwitchRequest().data, false);
    ASSERT_TRUE(near.ok()) << near.failure;
    EXPECT_FALSE(NuvaDecodeNearSwitch(near.data)->present);
    // Another slave address is not answered (and its frame still logged).
    EXPECT_EQ(NuvaExchange(ports, 1, {}, 'X', {}, false).failure, "no reply");
    EXPECT_EQ(slurp(log), "07 01 05 58 5B\n07 01 06 3A AA 90\nDE 01 05 58 82\n");
    std::filesystem::remove(log);
}

TEST(ZylsimNuvaPtyTest, BadNuvaOptionsAreRefused) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--nuva", "14"},
                                          {"--nuva", "12", "--slave", "0"},
                                          {"--nuva", "12", "--slave", "256"}}) {
        EXPECT_EQ(ChildProgram(zylsimCommand(args), scratch("zylsim-nuva-bad-")).wait(5000), 2) << args[1];
    }
}

} // namespace
