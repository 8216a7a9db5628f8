#include "Schnittstelle.h"

#include "SimIdentDevice.h"
#include "SimLineProvider.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SimulatedLine& lineOf(Schnittstelle& ports, int com) {
    return *static_cast<SimulatedLine*>(ports.device(com));
}

struct IdentCase {
    const char* code;
    const char* revision; // nullptr: the reply holds only the code
    int type;
    bool newProtocol;
    bool oldProtocol;
};

class IdentifyTable : public ::testing::TestWithParam<IdentCase> {};

TEST_P(IdentifyTable, ReplyGivesTypeAndProtocolGeneration) {
    const IdentCase& c = GetParam();
    std::string reply = c.code;
    if (c.revision)
        reply += std::string(" $Revision: ") + c.revision + " $";
    if (!reply.empty())
        reply += "\r\n";
    FakeClock clock;
    SimLineProvider provider(clock);
    SimIdentDevice sensor(reply, 38400);
    provider.plug(4, [&](SimulatedLine& line) { line.attach(&sensor); });
    Schnittstelle ports(provider, clock);
    EXPECT_EQ(ports.OpenAndIdentify(4, 38400, 0, 0, 8, 50), c.type) << reply;
    EXPECT_EQ(ports.NewProtocol, c.newProtocol) << reply;
    EXPECT_EQ(ports.OldProtocol, c.oldProtocol) << reply;
}

INSTANTIATE_TEST_SUITE_P(
    TypeCodes, IdentifyTable,
    ::testing::Values(
        // Family codes: the first four characters decide; three equal positions are not enough.
        IdentCase{"QS55K1AB", "4.2", 5, true, false}, IdentCase{"QS55K1AB", "3.9", 5, false, true},
        IdentCase{"QD55K1AB", "4.0", 3, true, false}, IdentCase{"QS56ZZZZ", "4.0", 6, true, false},
        IdentCase{"QD56ZZZZ", "4.0", 4, true, false}, IdentCase{"QS5XK1AB", "4.0", 0, true, false},
        // Customer codes: seven of eight.
        IdentCase{"RV3KHWSX", "4.0", 5, true, false}, IdentCase{"RV3KHWXX", "4.0", 0, true, false},
        IdentCase{"ZYL90-RA", "4.0", 5, true, false}, IdentCase{"HGM4361A", "4.0", 5, true, false},
        IdentCase{"RV3KJESA", "4.0", 3, true, false}, IdentCase{"HGM4360A", "4.0", 3, true, false},
        IdentCase{"HGM4311A", "4.0", 6, true, false}, IdentCase{"HGM4310A", "4.0", 4, true, false},
        // Listed codes sent literally keep their own row, although they are one
        // character away from a code of an earlier row.
        IdentCase{"HGM4360_", "4.0", 3, true, false}, IdentCase{"ZYL90-L_", "4.0", 3, true, false},
        IdentCase{"HGM4311_", "4.0", 6, true, false}, IdentCase{"HGM4310_", "4.0", 4, true, false},
        IdentCase{"QD55____", "4.0", 3, true, false},
        // QS40: the full code keeps the revision's verdict, a partial one forces the old protocol.
        IdentCase{"QS40MNTB", "5.1", 7, true, false}, IdentCase{"QS40MXXX", "5.1", 7, false, true},
        IdentCase{"XS40XXXX", "5.1", 0, true, false},
        // Nothing but the code: the generation flags stay as they were (both clear here).
        IdentCase{"QS55K1AB", nullptr, 5, false, false}, IdentCase{"", nullptr, 0, false, false}));

class PortsTest : public ::testing::Test {
protected:
    // Plugs a line into `com` that records every baud rate asked of it.
    void plugRecordingRates(int com, SimPeer* peer) {
        provider.plug(com, [this, peer](SimulatedLine& line) {
            line.attach(peer);
            line.setSettingsFilter([this](const LineSettings& s) {
                tried.push_back(s.baud);
                return true;
            });
        });
    }
    // Plugs a line with `peer` on it into `com` and opens it as a bus port at 38400 8N1.
    SimulatedLine& openWith(int com, SimPeer* peer) {
        provider.plug(com, [peer](SimulatedLine& line) { line.attach(peer); });
        EXPECT_TRUE(ports.OpenBusPort(com, 38400, 0, 0, 8, 20));
        return lineOf(ports, com);
    }
    std::vector<std::uint32_t> tried;
    FakeClock clock;
    SimLineProvider provider{clock};
    Schnittstelle ports{provider, clock};
    CountingProgress progress;
};

TEST_F(PortsTest, SearchFindsSensorAt38400OnThirdAttempt) {
    SimIdentDevice sensor("QS55K1AB $Revision: 4.2 $\r\n", 38400);
    plugRecordingRates(3, &sensor);
    EXPECT_EQ(ports.OpenAndIdentify(3, 0, 0, 2, 8, 100, &progress), 5);
    EXPECT_EQ(tried, (std::vector<std::uint32_t>{9600, 19200, 38400}));
    EXPECT_EQ(progress.position(), 12);
    EXPECT_EQ(sensor.requests(), 1u);
    EXPECT_EQ(ports.LastOpenedPort, 3);
    EXPECT_EQ(ports.IdentReply, "QS55K1AB $Revision: 4.2 $");
    EXPECT_TRUE(ports.isOpen(3));
    const SimulatedLine& line = lineOf(ports, 3);
    EXPECT_EQ(line.settings().parity, Parity::Even);
    EXPECT_EQ(line.settings().rts, RtsControl::Enable);
    EXPECT_EQ(line.timeouts(), (Timeouts{10, 5, 100, 0, 0}));
}

TEST_F(PortsTest, SearchWithoutSensorTriesAllFiveRates) {
    plugRecordingRates(3, nullptr);
    EXPECT_EQ(ports.OpenAndIdentify(3, 0, 0, 0, 8, 100, &progress), 0);
    EXPECT_EQ(tried, (std::vector<std::uint32_t>{9600, 19200, 38400, 57600, 115200}));
    EXPECT_EQ(progress.position(), 20);
    EXPECT_TRUE(ports.isOpen(3)); // the caller closes it
    EXPECT_EQ(ports.LastOpenedPort, 3);
}

TEST_F(PortsTest, RefusedRateIsSkippedWithoutAskingTheSensor) {
    SimIdentDevice slow("QS56AAAA $Revision: 4.0 $\r\n", 9600);
    SimIdentDevice fast("QS55K1AB $Revision: 4.2 $\r\n", 19200);
    provider.plug(2, [&](SimulatedLine& line) {
        line.attach(&slow);
        line.attach(&fast);
        line.setSettingsFilter([](const LineSettings& s) { return s.baud != 9600; });
    });
    EXPECT_EQ(ports.OpenAndIdentify(2, 0, 0, 0, 8, 50, &progress), 5);
    EXPECT_EQ(slow.requests(), 0u);
    EXPECT_EQ(progress.position(), 8);
}

TEST_F(PortsTest, GivenRateIsTheOnlyAttempt) {
    SimIdentDevice sensor("QS55K1AB $Revision: 4.2 $\r\n", 57600);
    provider.plug(1, [&](SimulatedLine& line) { line.attach(&sensor); });
    EXPECT_EQ(ports.OpenAndIdentify(1, 38400, 0, 0, 8, 50, &progress), 0);
    EXPECT_EQ(progress.position(), 4);
    EXPECT_EQ(ports.OpenAndIdentify(1, 57600, 0, 0, 8, 50, &progress), 5);
    EXPECT_EQ(progress.position(), 8);
}

TEST_F(PortsTest, OpenFailureKeepsProviderMessageAndMarksHandleInvalid) {
    provider.refuse(7, OpenError::Busy, "COM 7 (/dev/ttyUSB1) is in use by another program.");
    EXPECT_EQ(ports.OpenAndIdentify(7, 0, 0, 0, 8, 50, &progress), 0);
    EXPECT_EQ(ports.lastOpenError(), "COM 7 (/dev/ttyUSB1) is in use by another program.");
    EXPECT_FALSE(ports.isOpen(7));
    EXPECT_TRUE(ports.port(7).handleInvalid);
    EXPECT_EQ(progress.position(), 0);
    EXPECT_FALSE(ports.OpenBusPort(9, 38400, 0, 0, 8, 20)); // nothing plugged in
    EXPECT_EQ(ports.lastOpenError(), "COM 9: no such device");
    provider.plug(9);
    EXPECT_TRUE(ports.OpenBusPort(9, 38400, 0, 0, 8, 20));
    EXPECT_EQ(ports.lastOpenError(), "");
    EXPECT_FALSE(ports.port(9).handleInvalid);
}

TEST_F(PortsTest, NeverOpenedAndOutOfRangeNumbersAreHandledQuietly) {
    ports.port(4).handleInvalid = true;
    ports.ClosePort(4); // only clears the entry
    EXPECT_FALSE(ports.isOpen(4));
    EXPECT_FALSE(ports.port(4).handleInvalid);
    EXPECT_EQ(ports.device(4), nullptr);
    EXPECT_FALSE(ports.OpenBusPort(21, 38400, 0, 0, 8, 20));
    EXPECT_EQ(ports.OpenAndIdentify(0, 0, 0, 0, 8, 20), 0);
    EXPECT_EQ(provider.opens(), 0);
    EXPECT_NE(ports.lastOpenError().find("1 to 20"), std::string::npos);
    EXPECT_FALSE(ports.isOpen(21));
    ports.ClosePort(-3);
    EXPECT_FALSE(ports.SyncLine(21));
    EXPECT_FALSE(ports.EchoTest(0));
}

TEST_F(PortsTest, PortOfOtherProviderSubtypeIsRefusedButStaysOpen) {
    SimIdentDevice sensor;
    provider.plug(5, [&](SimulatedLine& line) {
        line.attach(&sensor);
        line.setProviderSubtype(ProviderSubtype::Modem);
    });
    EXPECT_EQ(ports.OpenAndIdentify(5, 0, 0, 0, 8, 50, &progress), 0);
    EXPECT_TRUE(ports.isOpen(5));
    EXPECT_NE(ports.device(5), nullptr);
    EXPECT_EQ(sensor.requests(), 0u);
    EXPECT_EQ(progress.position(), 0);
    EXPECT_FALSE(ports.OpenBusPort(5, 38400, 0, 0, 8, 20));
    EXPECT_TRUE(ports.isOpen(5));
    EXPECT_EQ(ports.lastOpenError(),
              "COM 5 (sim COM 5) is not an RS-232 or RS-422 port (the driver reports type 6).");
    ports.ClosePort(5);
    EXPECT_FALSE(ports.isOpen(5));
    EXPECT_EQ(ports.device(5), nullptr);
    provider.plug(6, [](SimulatedLine& line) { line.setProviderSubtype(ProviderSubtype::Rs422); });
    EXPECT_TRUE(ports.OpenBusPort(6, 38400, 0, 0, 8, 20));
    // A port the user chose to use anyway works like any other.
    ports.setUseAnyway(5, true);
    EXPECT_TRUE(ports.OpenBusPort(5, 38400, 0, 0, 8, 20));
    EXPECT_EQ(ports.OpenAndIdentify(5, 0, 0, 0, 8, 50, &progress), 5);
    ports.setUseAnyway(5, false);
    EXPECT_FALSE(ports.OpenBusPort(5, 38400, 0, 0, 8, 20));
}

TEST_F(PortsTest, BusPortAppliesTimeoutsLineAndRtsMode) {
    provider.plug(2);
    const std::vector<std::pair<std::int16_t, RtsControl>> modes{
        {-1, RtsControl::Enable}, {0, RtsControl::Enable}, {1, RtsControl::Disable},
        {2, RtsControl::Toggle},  {5, RtsControl::Enable},
    };
    for (const auto& [mode, control] : modes) {
        ports.RtsMode = mode;
        ASSERT_TRUE(ports.OpenBusPort(2, 19200, 2, 3, 7, 100)) << mode;
        const SimulatedLine& line = lineOf(ports, 2);
        EXPECT_EQ(line.settings(), (LineSettings{19200, 7, Parity::Mark, StopBits::Two, control})) << mode;
        EXPECT_EQ(line.timeouts(), (Timeouts{40, 20, 100, 0, 0}));
        EXPECT_TRUE(line.rts());
        EXPECT_TRUE(line.dtr());
    }
    EXPECT_EQ(provider.opens(), 5); // each open operation opens the line afresh
    ASSERT_TRUE(ports.OpenBusPort(2, 19200, 1, 4, 8, 100));
    EXPECT_EQ(lineOf(ports, 2).settings().parity, Parity::Space);
    EXPECT_EQ(lineOf(ports, 2).settings().stopBits, StopBits::OneAndHalf);
}

TEST_F(PortsTest, RefusedBusSettingIsReportedAndStillRaisesHandshakeLines) {
    provider.plug(
        2, [](SimulatedLine& line) { line.setSettingsFilter([](const LineSettings&) { return false; }); });
    EXPECT_FALSE(ports.OpenBusPort(2, 38400, 0, 0, 8, 20));
    EXPECT_TRUE(ports.isOpen(2));
    EXPECT_EQ(
        ports.lastOpenError(),
        "COM 2 (sim COM 2) does not take the line setting 38400 baud, 8 data bits, parity none, 1 stop bit.");
    EXPECT_TRUE(lineOf(ports, 2).rts());
    EXPECT_TRUE(lineOf(ports, 2).dtr());
    // Codes no driver could take count as refused as well.
    provider.plug(2);
    EXPECT_FALSE(ports.OpenBusPort(2, 38400, 0, 9, 8, 20)); // parity code 9
    EXPECT_NE(ports.lastOpenError().find("parity code 9"), std::string::npos);
    EXPECT_FALSE(ports.OpenBusPort(2, 38400, 3, 0, 8, 20)); // stop-bit code 3
    EXPECT_FALSE(ports.OpenBusPort(2, 38400, 0, 0, 9, 20)); // nine data bits
    EXPECT_TRUE(ports.isOpen(2));
}

TEST_F(PortsTest, EchoTestPassesOnlyOnAnEchoingLine) {
    provider.plug(1, [](SimulatedLine& line) { line.setEcho(true); });
    provider.plug(2);
    ASSERT_TRUE(ports.OpenBusPort(1, 38400, 0, 0, 8, 20));
    ASSERT_TRUE(ports.OpenBusPort(2, 38400, 0, 0, 8, 20));
    lineOf(ports, 1).injectNoise({0x55, 0x66}); // stale bytes are purged first
    EXPECT_TRUE(ports.EchoTest(1));
    EXPECT_EQ(lineOf(ports, 1).written(), (std::vector<std::uint8_t>{'t', 'e', 's', 't'}));
    EXPECT_FALSE(ports.EchoTest(2));
    // A partner that answers every byte with its successor returns as many bytes, but not ours.
    struct Successor : SimPeer {
        std::uint32_t baud() const override { return 38400; }
        void receive(std::uint8_t b, const LineSettings&, SimulatedLine& out) override {
            const std::uint8_t next = b + 1;
            out.deliver(&next, 1);
        }
    } successor;
    lineOf(ports, 2).attach(&successor);
    EXPECT_FALSE(ports.EchoTest(2));
    lineOf(ports, 2).detach(&successor);
    // A line that takes no bytes at all must not pass as echoing.
    lineOf(ports, 1).failFromNow("device gone");
    EXPECT_FALSE(ports.EchoTest(1));
    EXPECT_FALSE(ports.EchoTest(3)); // never opened
}

TEST_F(PortsTest, LineIsBusyOnlyWhenDataArrivesUnasked) {
    SimIdentDevice streaming;
    streaming.setStreaming(true);
    openWith(1, &streaming);
    openWith(2, nullptr);
    EXPECT_TRUE(ports.LineIsBusy(1));
    lineOf(ports, 2).injectNoise({1, 2, 3}); // already there before the test: purged
    EXPECT_FALSE(ports.LineIsBusy(2));
    EXPECT_FALSE(ports.LineIsBusy(3));
}

TEST_F(PortsTest, SyncLineAnswersChatterUntilTheLineFallsSilent) {
    SimIdentDevice sensor;
    sensor.setChatter(3);
    openWith(1, &sensor);
    EXPECT_TRUE(ports.SyncLine(1));
    // The first byte is STX; after that each byte read is sent back.
    EXPECT_EQ(lineOf(ports, 1).written(), (std::vector<std::uint8_t>{0x02, '0', '0', '0'}));
}

TEST_F(PortsTest, SyncLineFailsOnAStreamingLineAndIdentifyThenSendsNoRequest) {
    SimIdentDevice sensor;
    sensor.setStreaming(true);
    openWith(1, &sensor);
    EXPECT_FALSE(ports.SyncLine(1));
    lineOf(ports, 1).clearWritten();
    std::uint8_t type = 99;
    EXPECT_FALSE(ports.Identify(1, type));
    EXPECT_EQ(type, 0);
    EXPECT_EQ(sensor.requests(), 0u);
    EXPECT_EQ(lineOf(ports, 1).written().size(), 10u); // only SyncLine's bytes
}

TEST_F(PortsTest, IdentifyStoresTheReplyLineAndKeepsTheGenerationWithoutRevision) {
    SimIdentDevice sensor("QS55K1AB $Revision: 3.1 $");
    SimulatedLine& line = openWith(1, &sensor);
    std::uint8_t type = 0;
    // Cut short by the time-out: no line end to remove, every character stays.
    EXPECT_TRUE(ports.Identify(1, type));
    EXPECT_EQ(type, 5);
    EXPECT_EQ(ports.IdentReply, "QS55K1AB $Revision: 3.1 $");
    EXPECT_EQ(line.written(), (std::vector<std::uint8_t>{0x02, 0x02, 0x47, 0x56, 0x45, 0x04}));
    EXPECT_TRUE(ports.OldProtocol);
    sensor.setReply("QD56ABCD garbage\r\n");
    EXPECT_TRUE(ports.Identify(1, type));
    EXPECT_EQ(type, 4);
    EXPECT_EQ(ports.IdentReply, "QD56ABCD garbage");
    EXPECT_TRUE(ports.OldProtocol);
    EXPECT_FALSE(ports.NewProtocol);
    sensor.setReply("QS55K1AB $Revision: 4.2 $" + std::string(100, '-') + "\r\n");
    EXPECT_TRUE(ports.Identify(1, type));
    EXPECT_EQ(ports.IdentReply.size(), 80u);
}

} // namespace
