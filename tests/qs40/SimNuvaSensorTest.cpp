#include "DemoDeviceProvider.h"
#include "NuvaLine.h"
#include "Schnittstelle.h"

namespace {

class SimNuvaSensorTest : public NuvaLineTest {
protected:
    // Writes a frame byte by byte, each with the parity given for it ('M' mark, 'S' space,
    // 'N' none), and says whether a reply came.
    bool answered(const Bytes& frame, const std::string& parities) {
        line.purge(true, true);
        for (std::size_t i = 0; i < frame.size(); ++i) {
            line.setParity(parities[i] == 'M'   ? Parity::Mark
                           : parities[i] == 'S' ? Parity::Space
                                                : Parity::None);
            line.write(&frame[i], 1);
        }
        return line.pending() > 0;
    }
    template <typename T>
    T decoded(const NuvaRequest& request, std::optional<T> (*decode)(std::span<const std::uint8_t>)) {
        const NuvaReply r = send(request);
        EXPECT_TRUE(r.ok()) << request.command << ": " << r.failure;
        return decode(r.data).value_or(T{});
    }
};

TEST_F(SimNuvaSensorTest, AnswersOnlyFramesWhoseAddressByteAloneCameWithMarkParity) {
    const Bytes x = NuvaRequestFrame({}, 'X', {});
    Bytes badSum = x;
    badSum.back() ^= 1;
    EXPECT_TRUE(answered(x, "MSSSS"));
    EXPECT_FALSE(answered(x, "SSSSS"));
    EXPECT_FALSE(answered(x, "MSMSS")); // a mark byte inside starts a new frame
    EXPECT_FALSE(answered(x, "NNNNN")); // without parity the stop bit makes every byte an address
    EXPECT_FALSE(answered(badSum, "MSSSS"));
    EXPECT_FALSE(answered(NuvaRequestFrame({221, 1}, 'X', {}), "MSSSS"));
    line.applySettings({57600, 7, Parity::Mark, StopBits::One, RtsControl::Disable});
    EXPECT_FALSE(answered(x, "MSSSS"));
    // Every complete frame is logged, also those for another sensor or with a wrong checksum.
    EXPECT_EQ(sensor.frames().size(), 3u);
    EXPECT_EQ(sensor.frames().front(), x);
}

TEST_F(SimNuvaSensorTest, UnknownCommandsAndWrongDataGetNoReply) {
    const NuvaRequest silent[] = {
        {'Q', {}},           {'X', {0}},          {':', {0xAB}},    {'*', {0xAA, 2}}, {'6', {}},
        {'L', {0x15, 0, 1}}, {'L', {0x51, 0, 1}}, {'H', {5, 0, 1}}, {'A', {0x84}},    {'5', Bytes(16, 0xAA)},
    };
    for (const NuvaRequest& r : silent)
        EXPECT_EQ(send(r).failure, "no reply") << r.command;
}

TEST_F(SimNuvaSensorTest, KeepsWhatIsWrittenAndReadsItBack) {
    sensor.setFixedDistance(2500);
    EXPECT_EQ(send(NuvaIdentifyRequest()).data, (Bytes{'X', 2, 7, 1, 0x09, 0xC4}));
    ASSERT_TRUE(send(*NuvaWriteSwitchPointRequest(5, 1504)).ok());
    // Beyond the measuring range: acknowledged, not taken, as a read-back shows.
    ASSERT_TRUE(send(*NuvaWriteSwitchPointRequest(6, 5312)).ok());
    ASSERT_TRUE(send(*NuvaWriteHysteresisRequest(2, 64)).ok());
    ASSERT_TRUE(send(*NuvaSelectFieldRequest(3)).ok());
    const NuvaPreset& preset = NuvaPresets()[1];
    const std::vector<long long> limits(preset.limits.begin(), preset.limits.end());
    ASSERT_TRUE(send(*NuvaWriteLimitsRequest(std::span<const long long, 8>(limits.data(), 8))).ok());
    ASSERT_TRUE(send(NuvaSetNearSwitchRequest(false)).ok());

    const auto points = decoded(NuvaReadSwitchPointsRequest(), NuvaDecodeSwitchPoints);
    EXPECT_EQ(points.points[5], 1504);
    EXPECT_EQ(points.points[6], 2000);
    EXPECT_EQ(points.hysteresis, (std::array<std::uint16_t, 4>{48, 48, 64, 48}));
    EXPECT_EQ(sensor.activeField(), 3);
    EXPECT_EQ(decoded(NuvaReadLimitsRequest(), NuvaDecodeLimits), preset.limits);
    const auto near = decoded(NuvaReadNearSwitchRequest(), NuvaDecodeNearSwitch);
    EXPECT_TRUE(near.present);
    EXPECT_FALSE(near.active);
    // The distance is the link word of every reply; "P" adds the energy.
    const NuvaReply measured = send(NuvaMeasureRequest(true));
    EXPECT_EQ(measured.linkWord, 2500);
    EXPECT_EQ(NuvaDecodeEnergy(measured.data), 2750);
    EXPECT_EQ(send(NuvaStoreRequest(), true).linkWord, 2500);
    EXPECT_EQ(sensor.stores(), 1);
}

TEST_F(SimNuvaSensorTest, WithoutNearRangeSwitchOffItSaysSoAndKeepsNoSetting) {
    sensor.setNearSwitchPresent(false);
    ASSERT_TRUE(send(NuvaSetNearSwitchRequest(false)).ok());
    EXPECT_TRUE(sensor.nearSwitchActive());
    EXPECT_FALSE(decoded(NuvaReadNearSwitchRequest(), NuvaDecodeNearSwitch).present);
}

TEST_F(SimNuvaSensorTest, OnATerminalTheAddressByteIsFoundByItsPlace) {
    sensor.setParityVisible(false);
    // The echo test's "test", then a broken frame, then a request: all without parity.
    const Bytes x = NuvaRequestFrame({}, 'X', {});
    Bytes stream{'t', 'e', 's', 't', 0xDE, 0x01, 0x05, 0x58, 0x83};
    stream.insert(stream.end(), x.begin(), x.end());
    EXPECT_TRUE(answered(stream, std::string(stream.size(), 'N')));
    EXPECT_EQ(sensor.frames(), std::vector<Bytes>{x});
}

TEST(DemoNuvaTest, DemoHasANuvaSensorOnCom2AndASupervisionOutputOnCom4) {
    FakeClock clock;
    DemoDeviceProvider demo(clock);
    Schnittstelle ports(demo, clock);
    EXPECT_EQ(demo.describe(2), "demo: NUVA QS40MNTD at slave 222");
    const NuvaOpenResult found = NuvaOpen(ports, 2, 57600, 0, 50, 8, {});
    EXPECT_EQ(found.sensorType, 12);
    EXPECT_EQ(found.version, "2.7");
    ASSERT_TRUE(NuvaExchange(ports, 2, {}, 'L', NuvaWriteSwitchPointRequest(0, 992)->data, false).ok());
    ports.ClosePort(2);
    ASSERT_EQ(NuvaOpen(ports, 2, 0, 0, 100, 8, {}).sensorType, 12);
    const NuvaReply read = NuvaExchange(ports, 2, {}, 'U', {}, false);
    EXPECT_EQ(NuvaDecodeSwitchPoints(read.data)->points[0], 992); // kept while the port was closed

    EXPECT_EQ(demo.describe(4), "demo: supervision output, not open");
    OpenResult monitor = demo.open(4);
    ASSERT_TRUE(monitor.device);
    EXPECT_EQ(demo.open(4).error, OpenError::Busy);
    monitor.device->setRts(true);
    EXPECT_TRUE(demo.monitorPort().rts());
    EXPECT_EQ(demo.describe(4), "demo: supervision output, RTS on");
    monitor.device->setRts(false);
    EXPECT_EQ(demo.describe(4), "demo: supervision output, RTS off");
    monitor.device.reset();
    EXPECT_FALSE(demo.monitorPort().isOpen());
    EXPECT_EQ(demo.open(7).error, OpenError::Absent);
}

} // namespace
