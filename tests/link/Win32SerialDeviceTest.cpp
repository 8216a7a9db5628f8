// The Windows serial backend on real COM ports. The ports come from the environment:
// ZYL_TEST_COM_SILENT (a ZYL24 bus with a sensor at address 5 that speaks only when asked),
// and ZYL_TEST_COM_ECHO (the same behind a converter that returns every byte sent), and
// ZYL_TEST_COM_PORT names any port whose other side reads what arrives (\\.\COM33).
// tools/test-win.sh serves them with zylsim under Wine; on a Windows machine a virtual
// null-modem pair does the same.
#include "Win32SerialDevice.h"
#include "NativePorts.h"
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "Schnittstelle.h"
#include "UnderWine.h"
#include "WireTime.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

std::optional<int> comFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::atoi(value);
}

std::string portPath(int com) {
    return "\\\\.\\COM" + std::to_string(com);
}

// Milliseconds one call of `f` took.
template <typename F> long long elapsedMs(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

class Win32SerialDeviceTest : public ::testing::Test {
protected:
    // The COM number named by the environment variable; without one the test fails.
    int com(const char* variable) {
        const auto n = comFromEnvironment(variable);
        if (!n)
            ADD_FAILURE() << variable << " is not set: no COM port to test on";
        return n.value_or(0);
    }
    std::unique_ptr<Win32SerialDevice> openAt38400(int number) {
        unsigned long code = 0;
        auto dev = Win32SerialDevice::open(portPath(number), code);
        EXPECT_TRUE(dev) << portPath(number) << ": " << Win32SerialDevice::errorText(code);
        if (dev) {
            EXPECT_TRUE(dev->applySettings(LineSettings{}));
        }
        return dev;
    }
};

} // namespace

TEST_F(Win32SerialDeviceTest, ReadTimeoutsFollowTheCommTimeoutsModel) {
    const int silent = com("ZYL_TEST_COM_SILENT");
    const int echo = com("ZYL_TEST_COM_ECHO");
    if (HasFailure())
        return;
    std::uint8_t buf[64];

    // The gap after the last byte ends the read long before the total time-out.
    auto echoing = openAt38400(echo);
    ASSERT_TRUE(echoing);
    ASSERT_TRUE(echoing->setTimeouts({50, 0, 5000, 0, 0}));
    ASSERT_EQ(echoing->write(reinterpret_cast<const std::uint8_t*>("test"), 4), 4u);
    std::size_t got = 0;
    long long ms = elapsedMs([&] { got = echoing->read(buf, sizeof buf); });
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "test");
    EXPECT_GE(ms, 45);
    EXPECT_LT(ms, 4000); // the total time-out would have taken 5000 ms

    // Nothing arrives: constant + multiplier * bytes asked for, here 100 + 20 * 20 ms.
    auto quiet = openAt38400(silent);
    ASSERT_TRUE(quiet);
    ASSERT_TRUE(quiet->setTimeouts({0, 20, 100, 0, 0}));
    ms = elapsedMs([&] { got = quiet->read(buf, 20); });
    EXPECT_EQ(got, 0u);
    EXPECT_GE(ms, 490);
    EXPECT_LT(ms, 5000);

    // All zero: what has arrived, at once, also when that is nothing.
    ASSERT_TRUE(quiet->setTimeouts({}));
    ms = elapsedMs([&] { got = quiet->read(buf, 20); });
    EXPECT_EQ(got, 0u);
    EXPECT_LT(ms, 2000); // Windows' own meaning of all zero would wait for ever
    ASSERT_TRUE(echoing->setTimeouts({}));
    ASSERT_EQ(echoing->write(reinterpret_cast<const std::uint8_t*>("abcdef"), 6), 6u);
    std::string collected;
    for (int round = 0; round < 2000 && collected.size() < 6; ++round) {
        const std::size_t n = echoing->read(buf, sizeof buf);
        collected.append(reinterpret_cast<char*>(buf), n);
        if (n == 0)
            Sleep(1);
    }
    EXPECT_EQ(collected, "abcdef");
    EXPECT_TRUE(quiet->lastError().empty()) << quiet->lastError();
}

// A COM number that leads to a port no machine has.
TEST(Win32DeviceProviderTest, MissingPortIsNoSuchDevice) {
    PortMap map(nativePortNaming());
    map.addSetting("COM7", "\\\\.\\COM199");
    const auto provider = createNativeDeviceProvider(std::move(map));
    const OpenResult missing = provider->open(7);
    EXPECT_FALSE(missing.device);
    EXPECT_EQ(missing.error, OpenError::Absent);
    EXPECT_EQ(missing.message, "COM 7 (\\\\.\\COM199): no such device.");
}

// Wine does not keep a COM port to the handle that opened it.
TEST_F(Win32SerialDeviceTest, SecondOpenOfAPortIsInUse) {
    const int silent = com("ZYL_TEST_COM_SILENT");
    if (HasFailure())
        return;
    const auto provider = createNativeDeviceProvider(PortMap(nativePortNaming()));
    const OpenResult first = provider->open(silent);
    ASSERT_EQ(first.error, OpenError::None) << first.message;
    const OpenResult second = provider->open(silent);
    if (underWine() && second.error == OpenError::None)
        GTEST_SKIP() << "Wine lets a second handle open a COM port that is already open; Windows refuses it";
    EXPECT_EQ(second.error, OpenError::Busy);
    EXPECT_EQ(second.message,
              "COM " + std::to_string(silent) + " (" + portPath(silent) + ") is in use by another program.");
}

TEST_F(Win32SerialDeviceTest, LineServicesTellEchoSilenceAndChatter) {
    const int silent = com("ZYL_TEST_COM_SILENT");
    const int echo = com("ZYL_TEST_COM_ECHO");
    if (HasFailure())
        return;
    SystemClock clock;
    const auto provider = createNativeDeviceProvider(PortMap(nativePortNaming()));
    Schnittstelle ports(*provider, clock);

    ASSERT_TRUE(ports.OpenBusPort(echo, 38400, 0, 0, 8, 50)) << ports.lastOpenError();
    EXPECT_EQ(ports.device(echo)->providerSubtype(), ProviderSubtype::Rs232);
    EXPECT_TRUE(ports.EchoTest(echo));
    EXPECT_TRUE(ports.SyncLine(echo)); // its own bytes come back, then the line falls silent
    ports.ClosePort(echo);

    ASSERT_TRUE(ports.OpenBusPort(silent, 38400, 0, 0, 8, 50)) << ports.lastOpenError();
    EXPECT_FALSE(ports.LineIsBusy(silent));
    EXPECT_FALSE(ports.EchoTest(silent));
    EXPECT_TRUE(ports.SyncLine(silent));
    // In fast measuring mode the sensor talks without pause: the line never falls silent.
    ASSERT_TRUE(
        Qd20Transact(*ports.device(silent), false, clock, ports.port(silent).history, PlainRequest(5, 'F'))
            .dataOk);
    EXPECT_FALSE(ports.SyncLine(silent));
    EXPECT_TRUE(ports.LineIsBusy(silent));
    ports.ClosePort(silent); // closing ends the stream
}

TEST_F(Win32SerialDeviceTest, TransmitEmptyHoldsForTheWireTimeAndParityAloneChanges) {
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
