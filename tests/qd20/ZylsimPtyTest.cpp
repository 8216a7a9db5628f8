// Whole exchanges through the real serial layer: zylsim on a pseudo-terminal, opened with
// PosixSerialDevice. These tests run in real time (bounded, well under a second each).
#include "PosixSerialDevice.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

std::string zylsimPath() {
    const char* dir = std::getenv("ZYL_BIN_DIR");
    return std::string(dir ? dir : ".") + "/src/sim/zylsim";
}

// zylsim as a child process; the first line it prints is the terminal to open.
class Zylsim {
public:
    explicit Zylsim(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), zylsimPath());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        // Wait at most five seconds for the path line.
        char c = 0;
        pollfd p{out[0], POLLIN, 0};
        while (m_pid > 0 && ::poll(&p, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            m_path += c;
        ::close(out[0]);
    }
    ~Zylsim() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    const std::string& path() const { return m_path; }

private:
    pid_t m_pid = -1;
    std::string m_path;
};

std::unique_ptr<PosixSerialDevice> openLine(const std::string& path) {
    int error = 0;
    auto device = PosixSerialDevice::open(path, error);
    if (device)
        device->setTimeouts({4, 2, 300, 0, 0});
    return device;
}

std::vector<std::string> logLines(const std::string& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string tempLog(const char* name) {
    const auto path =
        std::filesystem::temp_directory_path() / (std::string(name) + std::to_string(::getpid()));
    std::filesystem::remove(path);
    return path.string();
}

} // namespace

TEST(ZylsimPtyTest, ExchangesThroughTheRealSerialLayerAreLoggedByteExact) {
    const std::string log = tempLog("zylsim-frames-");
    Zylsim sim({"--sensor", "5:220", "--sensor", "12:1000", "--log", log});
    ASSERT_FALSE(sim.path().empty()) << "zylsim did not start: " << zylsimPath();
    auto line = openLine(sim.path());
    ASSERT_TRUE(line);
    SystemClock clock;

    const Qd20Result block = Qd20Transact(*line, false, clock, PlainRequest(5, '?'));
    ASSERT_TRUE(block.dataOk) << block.statusHex;
    EXPECT_EQ(block.data[2], '0');
    const Qd20Result other = Qd20Transact(*line, false, clock, PlainRequest(12, '?'));
    ASSERT_TRUE(other.dataOk);
    EXPECT_EQ(other.data[2], '3');
    EXPECT_TRUE(Qd20Transact(*line, false, clock, KeyLockRequest(5, 0)).dataOk);
    EXPECT_FALSE(Qd20Transact(*line, false, clock, PlainRequest(5, 'v')).dataOk);

    // At another baud rate the sensors hear nothing (and log nothing).
    LineSettings s = line->settings();
    s.baud = 19200;
    ASSERT_TRUE(line->applySettings(s));
    EXPECT_FALSE(Qd20Transact(*line, false, clock, PlainRequest(5, 'A')).dataOk);

    EXPECT_EQ(logLines(log),
              (std::vector<std::string>{"85 04 3F 3E", "8C 04 3F 37", "85 05 56 01 57", "85 04 76 77"}));
    std::filesystem::remove(log);
}

TEST(ZylsimPtyTest, EchoingConverterAndFastModeStream) {
    Zylsim sim({"--echo", "--sensor", "7:70"});
    ASSERT_FALSE(sim.path().empty());
    auto line = openLine(sim.path());
    ASSERT_TRUE(line);
    SystemClock clock;
    const Qd20Result r = Qd20Transact(*line, true, clock, PlainRequest(7, 'A'));
    ASSERT_TRUE(r.dataOk) << r.statusHex;
    EXPECT_EQ(r.statusHex.substr(0, 9), "87 06 59 ");

    ASSERT_TRUE(Qd20Transact(*line, true, clock, PlainRequest(7, 'F')).dataOk);
    std::vector<std::uint16_t> samples(400);
    const Qd20StreamResult stream = ReadStream(*line, samples);
    ASSERT_TRUE(stream.ok);
    EXPECT_EQ(stream.byteCount, 800u);
    for (std::size_t i = 0; i < stream.valueCount; ++i)
        ASSERT_LE(samples[i], 4095);

    // Closing the port ends the stream: the line is quiet when it is opened again.
    line.reset();
    ::usleep(100000);
    line = openLine(sim.path());
    ASSERT_TRUE(line);
    line->purge(true, false);
    std::uint8_t byte = 0;
    EXPECT_EQ(line->read(&byte, 1), 0u);
    EXPECT_TRUE(Qd20Transact(*line, true, clock, PlainRequest(7, 'A')).dataOk);
}

TEST(ZylsimPtyTest, HalvernSensorAnswersItsProbe) {
    Zylsim sim({"--halvern", "14"});
    ASSERT_FALSE(sim.path().empty());
    auto line = openLine(sim.path());
    ASSERT_TRUE(line);
    line->setTimeouts({4, 2, 10, 0, 0});
    EXPECT_EQ(ProbeHalvern(*line, false), 14);
    const auto d = ReadHalvernDistance(*line, false, 14);
    ASSERT_TRUE(d);
    EXPECT_GE(*d, 10000u);
    EXPECT_LE(*d, 50000u);
}

TEST(ZylsimPtyTest, BadOptionsAreRefused) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--sensor", "5:300"},
                                          {"--sensor", "0:220"},
                                          {"--halvern", "13"},
                                          {"--bogus"}}) {
        std::string command = zylsimPath();
        for (const std::string& a : args)
            command += " " + a;
        command += " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2) << command;
    }
}
