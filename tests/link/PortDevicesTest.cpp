// The serial layer's reasons in both languages, the device list read from a fake sysfs tree, the
// settings group read without Qt, and a COM number put on a chosen device.
#include "LinkReason.h"
#include "PortMap.h"
#include "PortSettings.h"
#include "SerialPortScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

LinkReason reason(LinkReasonCode code) {
    LinkReason r;
    r.code = code;
    r.com = 3;
    r.device = "/dev/ttyUSB0";
    r.group = "dialout";
    r.owner = "root";
    r.mode = "0600";
    r.detail = "Input/output error";
    return r;
}

TEST(LinkReasonTest, EveryReasonReadsInBothLanguagesWithItsDetails) {
    struct Case {
        LinkReasonCode code;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {LinkReasonCode::PortOutOfRange, "COM 3 is not a port number from 1 to 20.",
         "COM 3 ist keine Portnummer von 1 bis 20."},
        {LinkReasonCode::InUse, "COM 3 (/dev/ttyUSB0) is in use by another program.",
         "COM 3 (/dev/ttyUSB0) wird von einem anderen Programm benutzt."},
        {LinkReasonCode::NoPermissionJoinGroup,
         "COM 3 (/dev/ttyUSB0): no permission to open the device. It belongs to group 'dialout'; add "
         "yourself "
         "with: sudo usermod -aG dialout $USER, then log in again.",
         "COM 3 (/dev/ttyUSB0): keine Berechtigung, das Gerät zu öffnen. Es gehört der Gruppe 'dialout'; "
         "treten Sie ihr bei mit: sudo usermod -aG dialout $USER, und melden Sie sich danach neu an."},
        {LinkReasonCode::NoPermissionAskAdmin,
         "COM 3 (/dev/ttyUSB0): no permission to open the device. It is owned by user 'root' and group "
         "'dialout' with mode 0600; ask the administrator to give you access (for example with a udev rule).",
         "COM 3 (/dev/ttyUSB0): keine Berechtigung, das Gerät zu öffnen. Es gehört dem Benutzer 'root' und "
         "der "
         "Gruppe 'dialout' mit den Rechten 0600; bitten Sie den Administrator um Zugriff (zum Beispiel mit "
         "einer "
         "udev-Regel)."},
        {LinkReasonCode::OpenFailed, "COM 3 (/dev/ttyUSB0) cannot be opened: Input/output error.",
         "COM 3 (/dev/ttyUSB0) lässt sich nicht öffnen: Input/output error."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(reason(c.code).text(true), c.english);
        EXPECT_EQ(reason(c.code).text(false), c.german);
    }

    LinkReason setting = reason(LinkReasonCode::LineSettingRefused);
    setting.baud = 9600;
    setting.dataBits = 7;
    setting.parity = 2;
    setting.stopBits = 1;
    EXPECT_EQ(setting.english(), "COM 3 (/dev/ttyUSB0) does not take the line setting 9600 baud, 7 data "
                                 "bits, parity even, 1.5 stop bits.");
    EXPECT_EQ(setting.text(false),
              "COM 3 (/dev/ttyUSB0) nimmt die Einstellung 9600 Baud, 7 Datenbits, Parität "
              "gerade, 1,5 Stoppbits nicht an.");
}

TEST(LinkReasonTest, TransferFailuresKeepTheOperationAndTheSystemText) {
    const LinkReason gone = LinkReason::transferFailure("/dev/ttyUSB0", "reading", true, "No such device");
    EXPECT_EQ(gone.english(), "/dev/ttyUSB0: the device is no longer there (unplugged?): No such device");
    EXPECT_EQ(gone.text(false), "/dev/ttyUSB0: das Gerät ist nicht mehr da (abgezogen?): No such device");
    const LinkReason write = LinkReason::transferFailure("/dev/ttyS0", "writing", false, "Broken pipe");
    EXPECT_EQ(write.english(), "/dev/ttyS0: writing failed: Broken pipe");
    EXPECT_EQ(write.text(false), "/dev/ttyS0: Schreiben fehlgeschlagen: Broken pipe");
}

// A sysfs tree with a USB adapter (with a by-id name), an on-board UART, an empty UART slot, a
// virtual terminal and a device that turns out to have no port behind it.
struct SerialPortScanTest : ::testing::Test {
    fs::path root = fs::path(::testing::TempDir()) / "h12-scan";
    fs::path sys = root / "sys/class/tty";
    fs::path dev = root / "dev";

    static void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << '\n';
    }
    void tty(const std::string& name, const fs::path& device) {
        fs::create_directories(sys / name);
        fs::create_directories(device);
        fs::create_directory_symlink(device, sys / name / "device");
        write(dev / name, "");
    }
    SerialPortScanTest() {
        fs::remove_all(root);
        const fs::path usb = root / "sys/devices/usb1/1-2";
        write(usb / "idVendor", "0403");
        write(usb / "idProduct", "6001");
        write(usb / "product", "FT232R USB UART");
        write(usb / "manufacturer", "FTDI");
        write(usb / "serial", "A1B2C3");
        tty("ttyUSB0", usb / "1-2:1.0/ttyUSB0");
        fs::create_directories(dev / "serial/by-id");
        fs::create_symlink(dev / "ttyUSB0", dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0");
        tty("ttyS10", root / "sys/devices/platform/serial8250/tty/ttyS10");
        write(sys / "ttyS10/type", "4");
        tty("ttyS1", root / "sys/devices/pnp0/00:01");
        write(sys / "ttyS1/type", "4");
        tty("ttyS2", root / "sys/devices/platform/serial8250/tty/ttyS2");
        write(sys / "ttyS2/type", "0");       // a slot without a UART
        fs::create_directories(sys / "tty1"); // a virtual terminal: no device behind it
        tty("ttyACM0", root / "sys/devices/usb1/1-3/1-3:1.0/ttyACM0");
    }
    ~SerialPortScanTest() override { fs::remove_all(root); }
};

TEST_F(SerialPortScanTest, ListsRealPortsWithStableNamesUsbDetailsAndState) {
    const auto devices = SerialPortScan::devices(
        sys.string(), dev.string(), [this](const std::string& path) -> std::optional<SerialPortInfo::State> {
            if (path == (dev / "ttyACM0").string())
                return std::nullopt; // opens with "no such device" after all
            if (path == (dev / "ttyS10").string())
                return SerialPortInfo::State::NoPermission;
            return path.find("by-id") != std::string::npos ? SerialPortInfo::State::InUse
                                                           : SerialPortInfo::State::Free;
        });
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].path, (dev / "serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0").string());
    EXPECT_EQ(devices[0].systemName, "ttyUSB0");
    EXPECT_EQ(devices[0].description, "FT232R USB UART");
    EXPECT_EQ(devices[0].usbIds(), "0403:6001");
    EXPECT_EQ(devices[0].serialNumber, "A1B2C3");
    EXPECT_EQ(devices[0].state, SerialPortInfo::State::InUse);
    EXPECT_EQ(devices[1].path, (dev / "ttyS1").string()); // ttyS1 before ttyS10
    EXPECT_EQ(devices[1].usbIds(), "");
    EXPECT_EQ(devices[1].state, SerialPortInfo::State::Free);
    EXPECT_EQ(devices[2].path, (dev / "ttyS10").string());
    EXPECT_EQ(devices[2].state, SerialPortInfo::State::NoPermission);
}

TEST(PortSettingsTest, ReadsThePortsGroupAsTheSettingsFileHoldsIt) {
    const auto entries =
        PortSettings::parseIni("[General]\nenglish=1\n\n[Ports]\r\nCOM3=/dev/ttyUSB0\r\n"
                               "4 = \"/dev/serial/by-id/usb-a, b\"\nCOM5=C:\\\\x\n[zyl24]\nCOM6=/dev/no\n");
    const PortSettings::Entries expected{
        {"COM3", "/dev/ttyUSB0"}, {"4", "/dev/serial/by-id/usb-a, b"}, {"COM5", "C:\\x"}};
    EXPECT_EQ(entries, expected);
}

TEST(PortMapTest, AChosenDeviceReplacesTheMappingAndAnEmptyOneRestoresTheDefault) {
    PortMap map(PortMap::Naming::Posix);
    map.addOverrides("3=/dev/pts/4");
    EXPECT_TRUE(map.map(3, "/dev/ttyUSB1"));
    EXPECT_EQ(map.path(3), "/dev/ttyUSB1");
    EXPECT_TRUE(map.map(3, ""));
    EXPECT_FALSE(map.isMapped(3));
    EXPECT_EQ(map.path(3), "/dev/ttyS2");
    EXPECT_FALSE(map.map(21, "/dev/ttyUSB1"));
}

} // namespace
