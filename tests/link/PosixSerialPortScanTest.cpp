// The machine's serial devices as the kernel lists them, read from a fake sysfs tree.
#include "SerialPortScan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

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

} // namespace
