// The Windows side of choosing a device: the COM ports the system lists, and the settings group
// "Ports" as the window leaves it in the registry. tools/test-win.sh runs this under Wine, whose
// prefix serves some COM numbers from zylsim and lists every number it knows as a port.
#include "PortMap.h"
#include "PortSettings.h"
#include "SerialPortScan.h"
#include "UnderWine.h"
#include "Win32Registry.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(Win32SerialPortScanTest, ListsWellFormedComPortsInOrderAndProbesWhatItLists) {
    const std::vector<SerialPortInfo> devices = SerialPortScan::devices();
    std::set<std::string> names;
    for (const SerialPortInfo& d : devices) {
        SCOPED_TRACE(d.systemName);
        ASSERT_TRUE(d.systemName.starts_with("COM")) << d.systemName;
        EXPECT_GT(std::atoi(d.systemName.c_str() + 3), 0);
        EXPECT_EQ(d.path, "\\\\.\\" + d.systemName);
        EXPECT_TRUE(names.insert(d.systemName).second) << "listed twice";
        // Windows says nothing of permissions on a port: it is free or held.
        EXPECT_NE(d.state, SerialPortInfo::State::NoPermission);
        EXPECT_EQ(SerialPortScan::probe(d.path), d.state);
    }
    // The lines the tests talk to are among them, free.
    for (const char* variable : {"ZYL_TEST_COM_SILENT", "ZYL_TEST_COM_ECHO"}) {
        const char* com = std::getenv(variable);
        if (!com || !*com)
            continue;
        const auto found = std::find_if(devices.begin(), devices.end(), [&](const SerialPortInfo& d) {
            return d.systemName == "COM" + std::string(com);
        });
        ASSERT_NE(found, devices.end()) << variable << " = COM" << com;
        EXPECT_EQ(found->state, SerialPortInfo::State::Free);
    }
    // COM2 before COM10: by length, then by name.
    EXPECT_TRUE(
        std::is_sorted(devices.begin(), devices.end(), [](const SerialPortInfo& a, const SerialPortInfo& b) {
            return std::make_pair(a.systemName.size(), a.systemName) <
                   std::make_pair(b.systemName.size(), b.systemName);
        }));
}

// The port the tests talk to is free; a number without a device is not there at all.
TEST(Win32SerialPortScanTest, ProbeTellsFreeAndAbsentPorts) {
    const char* port = std::getenv("ZYL_TEST_COM_PORT");
    if (!port || !*port)
        GTEST_SKIP() << "no COM port named in ZYL_TEST_COM_PORT";
    EXPECT_EQ(SerialPortScan::probe(port), SerialPortInfo::State::Free);
    EXPECT_EQ(SerialPortScan::probe("\\\\.\\COM199"), std::nullopt);
}

TEST(Win32SerialPortScanTest, ProbeTellsAHeldPortInUse) {
    const char* port = std::getenv("ZYL_TEST_COM_PORT");
    if (!port || !*port)
        GTEST_SKIP() << "no COM port named in ZYL_TEST_COM_PORT";
    if (underWine())
        GTEST_SKIP() << "Wine lets a second handle open a COM port that is already open; Windows refuses it";
    const HANDLE held =
        CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SerialPortScan::probe(port), SerialPortInfo::State::InUse);
    CloseHandle(held);
}

// The window keeps "COM3=..." in HKEY_CURRENT_USER\Software\qel\Vantrisco\Ports as string
// values, as QSettings writes them; zylctl reads them back from there.
class Win32PortSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = registryStrings(HKEY_CURRENT_USER, kKey);
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        for (const auto& [name, value] : m_saved)
            set(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }
    static void set(const std::string& name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static void setText(const std::string& name, const std::string& value) {
        set(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }

    static constexpr const char* kKey = "Software\\qel\\Vantrisco\\Ports";

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

TEST_F(Win32PortSettingsTest, StringEntriesAreReadBackAndOtherValuesLeftOut) {
    EXPECT_TRUE(PortSettings::read().empty()); // no group: nothing mapped
    setText("COM3", "COM12");
    setText("COM4", "\\\\.\\COM14");
    const DWORD number = 7;
    set("COM5", REG_DWORD, &number, sizeof number); // not a device path
    setText("COM6", std::string(2000, 'x'));        // longer than any device path
    setText("COMX", "COM2");

    PortSettings::Entries entries = PortSettings::read();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries,
              (PortSettings::Entries{{"COM3", "COM12"}, {"COM4", "\\\\.\\COM14"}, {"COMX", "COM2"}}));

    // As the program resolves them: COM12 only opens as \\.\COM12, and the bad key is named.
    PortMap map(PortMap::Naming::Windows);
    map.addSettings(entries);
    EXPECT_EQ(map.path(3), "\\\\.\\COM12");
    EXPECT_EQ(map.path(4), "\\\\.\\COM14");
    EXPECT_EQ(map.path(5), "\\\\.\\COM5");
    EXPECT_EQ(map.warnings(),
              std::vector<std::string>{"Ports: entry \"COMX=COM2\" ignored: \"COMX\" is not a COM number"});
}

} // namespace
