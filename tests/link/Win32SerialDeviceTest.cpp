// The Windows device on a real COM port. Windows test runs have no port of their own; a run
// that provides one names it in ZYL_TEST_COM_PORT, for example \\.\COM33. Under Wine a
// pseudo-terminal does, once linked as $WINEPREFIX/dosdevices/com33 while another process holds
// its master side and reads what arrives.
#include "Win32SerialDevice.h"
#include "Win32DeviceProvider.h"
#include "WireTime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

namespace {

TEST(Win32DeviceProviderTest, MissingPortIsReportedAsAbsent) {
    PortMap map(PortMap::Naming::Windows);
    map.addSetting("COM7", "COM199");
    Win32DeviceProvider provider(map);
    const OpenResult r = provider.open(7);
    EXPECT_FALSE(r.device);
    EXPECT_EQ(r.error, OpenError::Absent) << r.message;
    EXPECT_EQ(r.message, "COM 7 (\\\\.\\COM199): no such port.");
}

TEST(Win32SerialDeviceTest, TransmitEmptyHoldsForTheWireTimeAndParityAloneChanges) {
    const char* port = std::getenv("ZYL_TEST_COM_PORT");
    if (!port)
        GTEST_SKIP() << "no COM port named in ZYL_TEST_COM_PORT";
    unsigned long code = 0;
    auto dev = Win32SerialDevice::open(port, code);
    ASSERT_TRUE(dev) << Win32SerialDevice::errorText(code);
    const LineSettings s{9600, 8, Parity::Mark, StopBits::One, RtsControl::Disable};
    ASSERT_TRUE(dev->applySettings(s));
    const std::vector<std::uint8_t> request(50, 0x55);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(dev->write(request.data(), request.size()), request.size());
    dev->waitTransmitEmpty();
    const auto took =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(took.count(), wireTimeUs(s, request.size() + 1));
    EXPECT_EQ(dev->lastError(), "");
    ASSERT_TRUE(dev->setParity(Parity::Space));
    EXPECT_EQ(dev->settings(), (LineSettings{9600, 8, Parity::Space, StopBits::One, RtsControl::Disable}));
}

} // namespace
