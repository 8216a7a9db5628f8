#include "PosixDeviceProvider.h"

#include "NativePorts.h"
#include "ParityMarkDecoder.h"
#include "PosixSerialDevice.h"
#include "PtyPair.h"
#include "Schnittstelle.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

using ::testing::HasSubstr;

// A scratch file that disappears with the test.
class TempFile {
public:
    TempFile() {
        const int fd = ::mkstemp(m_path);
        if (fd >= 0)
            ::close(fd);
    }
    ~TempFile() { std::remove(m_path); }
    std::string path() const { return m_path; }

private:
    char m_path[32] = "/tmp/zyl-port-XXXXXX";
};

// A group this process is not in, so the message must tell the user to join it.
gid_t foreignGroup(std::string& name) {
    for (const char* candidate : {"dialout", "uucp", "tty", "daemon"}) {
        if (const group* g = ::getgrnam(candidate); g && g->gr_gid != 0 && g->gr_gid != ::getegid()) {
            name = g->gr_name;
            return g->gr_gid;
        }
    }
    return 0;
}

TEST(PortMapTest, SettingsEnvironmentAndDefaultsCombine) {
    PortMap map(PortMap::Naming::Posix);
    map.addSettings({{"COM3", "/dev/ttyUSB0"}, {"com4", " /dev/ttyUSB1 "}, {"7", "/dev/ttyACM0"}});
    map.addOverrides("3=/dev/pts/4, 1=/dev/pts/5,");
    const std::pair<int, const char*> paths[] = {{3, "/dev/pts/4"},
                                                 {1, "/dev/pts/5"},
                                                 {4, "/dev/ttyUSB1"},
                                                 {7, "/dev/ttyACM0"},
                                                 {2, "/dev/ttyS1"},
                                                 {20, "/dev/ttyS19"},
                                                 {0, ""},
                                                 {21, ""}};
    for (auto [com, path] : paths)
        EXPECT_EQ(map.path(com), path) << com;
    EXPECT_TRUE(map.isMapped(4));
    EXPECT_FALSE(map.isMapped(2));
    EXPECT_TRUE(map.warnings().empty());
    EXPECT_EQ(PortMap(PortMap::Naming::Windows).path(12), "\\\\.\\COM12");
    PortMap windows(PortMap::Naming::Windows);
    windows.addSettings({{"COM3", "COM12"}, {"COM4", "\\\\.\\COM14"}, {"COM5", "com7"}});
    EXPECT_EQ(windows.path(3), "\\\\.\\COM12");
    EXPECT_EQ(windows.path(4), "\\\\.\\COM14");
    EXPECT_EQ(windows.path(5), "\\\\.\\com7");
}

TEST(PortMapTest, MalformedEntriesAreReportedAndTheGoodOnesKept) {
    PortMap map(PortMap::Naming::Posix);
    map.addOverrides(
        "1=/dev/pts/4,x=/dev/a,21=/dev/b,0=/dev/c,5=,/dev/ttyUSB3,-2=/dev/d,6=/dev/pts/9,7=pts/3");
    map.addSetting("COMX", "/dev/e");
    map.addSetting("COM8", "");
    // A stored device must not depend on where the program starts.
    map.addSetting("COM9", "ttyUSB0");
    map.addSetting("COM10", "1");
    EXPECT_EQ(map.path(1), "/dev/pts/4");
    EXPECT_EQ(map.path(6), "/dev/pts/9");
    EXPECT_EQ(map.path(5), "/dev/ttyS4");
    EXPECT_EQ(map.path(7), "pts/3"); // typed for this run, in its directory
    EXPECT_EQ(map.path(9), "/dev/ttyS8");
    EXPECT_EQ(map.path(10), "/dev/ttyS9");
    const std::vector<std::string>& w = map.warnings();
    ASSERT_EQ(w.size(), 10u);
    EXPECT_EQ(w[0], "ZYLCONFIG_PORTS: entry \"x=/dev/a\" ignored: \"x\" is not a COM number");
    EXPECT_EQ(w[1], "ZYLCONFIG_PORTS: entry \"21=/dev/b\" ignored: COM numbers run from 1 to 20");
    EXPECT_THAT(w[2], HasSubstr("\"0=/dev/c\""));
    EXPECT_EQ(w[3], "ZYLCONFIG_PORTS: entry \"5=\" ignored: the device path is empty");
    EXPECT_EQ(w[4], "ZYLCONFIG_PORTS: entry \"/dev/ttyUSB3\" ignored: expected NUMBER=DEVICE, "
                    "for example 3=/dev/ttyUSB0");
    EXPECT_THAT(w[5], HasSubstr("\"-2=/dev/d\""));
    EXPECT_EQ(w[6], "Ports: entry \"COMX=/dev/e\" ignored: \"COMX\" is not a COM number");
    EXPECT_EQ(w[7], "Ports: entry \"COM8=\" ignored: the device path is empty");
    EXPECT_EQ(w[8], "Ports: entry \"COM9=ttyUSB0\" ignored: \"ttyUSB0\" is not the full path of a device");
    EXPECT_THAT(w[9], HasSubstr("\"COM10=1\""));

    // The same in German, for a program that speaks German.
    const std::vector<std::string> de = map.warnings(false);
    ASSERT_EQ(de.size(), 10u);
    EXPECT_EQ(de[0], "ZYLCONFIG_PORTS: Eintrag \"x=/dev/a\" nicht verwendet: \"x\" ist keine COM-Nummer");
    EXPECT_EQ(de[1],
              "ZYLCONFIG_PORTS: Eintrag \"21=/dev/b\" nicht verwendet: COM-Nummern gehen von 1 bis 20");
    EXPECT_EQ(de[3], "ZYLCONFIG_PORTS: Eintrag \"5=\" nicht verwendet: der Gerätepfad ist leer");
    EXPECT_EQ(de[4], "ZYLCONFIG_PORTS: Eintrag \"/dev/ttyUSB3\" nicht verwendet: erwartet NUMMER=GERÄT, zum "
                     "Beispiel 3=/dev/ttyUSB0");
    EXPECT_EQ(de[6], "Ports: Eintrag \"COMX=/dev/e\" nicht verwendet: \"COMX\" ist keine COM-Nummer");
    EXPECT_EQ(de[8],
              "Ports: Eintrag \"COM9=ttyUSB0\" nicht verwendet: \"ttyUSB0\" ist nicht der vollständige "
              "Pfad eines Geräts");

    PortMap windows(PortMap::Naming::Windows);
    windows.addSettings({{"COM4", "//./COM14"}, {"COM5", "true"}, {"COM6", "COM"}});
    EXPECT_EQ(windows.path(4), "//./COM14");
    EXPECT_EQ(windows.path(5), "\\\\.\\COM5");
    EXPECT_EQ(windows.path(6), "\\\\.\\COM6");
    EXPECT_EQ(windows.warnings().size(), 2u);
}

TEST(PortMapTest, EnvironmentVariableOverridesSettings) {
    ::setenv("ZYLCONFIG_PORTS", "2=/dev/pts/7,oops", 1);
    PortMap map(nativePortNaming());
    map.addSetting("COM2", "/dev/ttyUSB0");
    map.addEnvironment();
    ::unsetenv("ZYLCONFIG_PORTS");
    EXPECT_EQ(map.path(2), "/dev/pts/7");
    EXPECT_EQ(map.warnings().size(), 1u);
}

PosixDeviceProvider providerFor(const std::string& list) {
    PortMap map(PortMap::Naming::Posix);
    map.addOverrides(list);
    return PosixDeviceProvider(std::move(map));
}

TEST(ProviderTest, OpensMappedLineAndRefusesASecondOpenAsBusy) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PosixDeviceProvider provider = providerFor("4=" + pty.slavePath());
    EXPECT_EQ(provider.describe(4), pty.slavePath());
    OpenResult first = provider.open(4);
    ASSERT_EQ(first.error, OpenError::None) << first.message;
    ASSERT_TRUE(first.device);
    EXPECT_EQ(first.device->settings(), LineSettings{});
    const OpenResult second = provider.open(4);
    EXPECT_EQ(second.error, OpenError::Busy);
    EXPECT_EQ(second.device, nullptr);
    EXPECT_EQ(second.message, "COM 4 (" + pty.slavePath() + ") is in use by another program.");
}

TEST(ProviderTest, FailuresSayWhatIsWrongWithTheNumber) {
    TempFile file;
    PosixDeviceProvider provider = providerFor("2=/nonexistent/ttyUSB7,3=" + file.path());
    const OpenResult absent = provider.open(2);
    EXPECT_EQ(absent.error, OpenError::Absent);
    EXPECT_EQ(absent.message, "COM 2 (/nonexistent/ttyUSB7): no such device.");
    EXPECT_EQ(providerFor("5=/dev/ttyUSB97").open(5).message,
              "COM 5 (/dev/ttyUSB97): no such device. A USB adapter plugged in again may have another name; "
              "map the port to its name under /dev/serial/by-id/ instead.");
    const OpenResult notSerial = provider.open(3);
    EXPECT_EQ(notSerial.error, OpenError::NotSerial);
    EXPECT_EQ(notSerial.message, "COM 3 (" + file.path() + ") is not a serial line.");
    for (int com : {0, 21, -1}) {
        const OpenResult outside = provider.open(com);
        EXPECT_EQ(outside.error, OpenError::NotMapped) << com;
        EXPECT_THAT(outside.message, HasSubstr("not a port number from 1 to 20"));
    }
}

TEST(ProviderTest, UnmappedNumberPointsToTheMappingWhenItsDefaultIsMissing) {
    PosixDeviceProvider provider = providerFor("");
    const OpenResult r = provider.open(20); // /dev/ttyS19: absent or without hardware here
    ASSERT_NE(r.error, OpenError::None);
    EXPECT_THAT(r.message, HasSubstr("COM 20 (/dev/ttyS19)"));
    EXPECT_THAT(r.message, HasSubstr("ZYLCONFIG_PORTS=20=/dev/ttyUSB0"));
}

// A scratch file handed to a group this process is not in, readable and writable by that group.
struct PermissionMessageTest : ::testing::Test {
    void SetUp() override {
        const gid_t gid = foreignGroup(group);
        if (gid == 0)
            GTEST_SKIP() << "no group to hand the file to";
        ASSERT_EQ(::chown(file.path().c_str(), static_cast<uid_t>(-1), gid), 0);
        ASSERT_EQ(::chmod(file.path().c_str(), 0660), 0);
    }
    std::string group;
    TempFile file;
};

TEST_F(PermissionMessageTest, NamesTheOwningGroupAndTheFixWhereAGroupHelps) {

    EXPECT_EQ(PosixDeviceProvider::permissionMessage(3, file.path()),
              "COM 3 (" + file.path() + "): no permission to open the device. It belongs to group '" + group +
                  "'; add yourself with: sudo usermod -aG " + group + " $USER, then log in again.");
    // Without group access joining a group does not help.
    ASSERT_EQ(::chmod(file.path().c_str(), 0600), 0);
    const std::string message = PosixDeviceProvider::permissionMessage(5, file.path());
    EXPECT_THAT(message, HasSubstr("with mode 0600; ask the administrator"));
    EXPECT_THAT(message, ::testing::Not(HasSubstr("usermod")));
}

TEST_F(PermissionMessageTest, OpenUnderAnUnprivilegedUserReportsNoPermission) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to drop to another user";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const gid_t nogroup = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        const OpenResult r = providerFor("6=" + file.path()).open(6);
        const bool ok = r.error == OpenError::NoPermission &&
                        r.message.find("sudo usermod -aG " + group + " $USER") != std::string::npos;
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ParityMarkDecoderTest, MarksAreRemovedAcrossChunkBoundaries) {
    ParityMarkDecoder decoder;
    std::vector<std::uint8_t> out;
    const std::vector<std::uint8_t> raw{'A', 0xFF, 0xFF, 0xFF, 0x00, 'x', 0xFF, 0x00, 0x00, 'B'};
    for (std::uint8_t b : raw) // one byte at a time: every split point
        decoder.decode(&b, 1, out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{'A', 0xFF, 'x', 0x00, 'B'}));
    EXPECT_EQ(decoder.takeErrors(), 2u);
    EXPECT_EQ(decoder.takeErrors(), 0u);
    out.clear();
    const std::vector<std::uint8_t> clean{0x00, 0xFF, 0xFF, 0x01};
    decoder.decode(clean.data(), clean.size(), out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x00, 0xFF, 0x01}));
    EXPECT_EQ(decoder.takeErrors(), 0u);
}

TEST(PortLayerOnPtyTest, BusPortOnARealLineSeesUnaskedDataAndALostDevice) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    PosixDeviceProvider provider = providerFor("4=" + pty.slavePath());
    SystemClock clock;
    Schnittstelle ports(provider, clock);
    ASSERT_TRUE(ports.OpenBusPort(4, 38400, 0, 0, 8, 20));
    EXPECT_FALSE(ports.LineIsBusy(4));
    {
        TimedSender chatter(pty, {{10, {'M', '1'}}});
        EXPECT_TRUE(ports.LineIsBusy(4));
    }
    EXPECT_FALSE(ports.EchoTest(4));
    EXPECT_EQ(pty.receive(), (std::vector<std::uint8_t>{'t', 'e', 's', 't'}));
    pty.closeMaster();
    EXPECT_TRUE(ports.SyncLine(4));                     // a dead line is silent...
    EXPECT_FALSE(ports.device(4)->lastError().empty()); // ...and says why
    ports.ClosePort(4);
    EXPECT_FALSE(ports.isOpen(4));
}

} // namespace
