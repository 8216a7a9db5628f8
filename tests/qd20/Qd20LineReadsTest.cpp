// The measurement stream of the fast measuring mode and the Halvern sensors' plain-text reads.
#include "Q20_speziell.h"
#include "Qd20Commands.h"
#include "SimHalvernSensor.h"
#include "SimZyl24Bus.h"
#include "StreamSource.h"

#include <gtest/gtest.h>

using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes pairs(std::size_t count, bool startMidPair) {
    std::vector<int> values;
    for (std::size_t k = 0; k < count; ++k)
        values.push_back(int(k * 37 % 4096));
    Bytes b = streamOf(values);
    if (startMidPair)
        b.insert(b.begin(), 0x15); // the second byte of a pair whose first byte was missed
    return b;
}

struct Lines {
    FakeClock clock;
    SimulatedLine line{&clock};
    LineHistory history;
    Lines() { line.setTimeouts({4, 2, 2000, 0, 0}); }
};

} // namespace

TEST(Qd20StreamTest, StreamIsRealignedAndConvertedInPlace) {
    for (bool midPair : {false, true}) {
        StreamSource l(pairs(300, midPair));
        std::vector<std::uint16_t> samples(20000, 0xFFFF);
        const Qd20StreamResult r = ReadStream(l.line, samples);
        EXPECT_TRUE(r.ok);
        // Starting on a first byte (bit 6 set) costs that whole pair; starting mid-pair only
        // the stray byte.
        const std::size_t expectedValues = midPair ? 300 : 299;
        EXPECT_EQ(r.valueCount, expectedValues);
        EXPECT_EQ(r.byteCount, 2 * expectedValues);
        const std::size_t firstK = midPair ? 0 : 1;
        for (std::size_t i = 0; i < r.valueCount; ++i)
            ASSERT_EQ(samples[i], ((firstK + i) * 37) % 4096) << i;
        EXPECT_EQ(samples[r.valueCount], 0xFFFF); // nothing written behind the data
    }
}

TEST(Qd20StreamTest, ShortOrMissingStreamIsAFailure) {
    StreamSource l(pairs(99, true)); // 198 bytes after realignment
    std::vector<std::uint16_t> samples(400);
    Qd20StreamResult r = ReadStream(l.line, samples);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.byteCount, 198u);
    EXPECT_FALSE(ReadStream(l.line, samples).ok); // now silent
    EXPECT_FALSE(ReadStream(l.line, {}).ok);      // no memory at all
}

TEST(Qd20StreamTest, ReadingStopsAtTheMemoryOrFortyThousandBytes) {
    StreamSource l(pairs(25000, true));
    std::vector<std::uint16_t> small(400);
    Qd20StreamResult r = ReadStream(l.line, small);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.byteCount, 800u);
    l.sent = 0; // the rest was cleared from the receive buffer: send again
    std::vector<std::uint16_t> large(30000);
    r = ReadStream(l.line, large);
    EXPECT_EQ(r.byteCount, 40000u);
    EXPECT_EQ(r.valueCount, 20000u);
}

TEST(Qd20StreamTest, SensorStreamsAfterFastMeasurementUntilAddressed) {
    Lines l;
    SimZyl24Bus bus(&l.clock);
    SimZyl24Sensor& sensor = bus.addSensor(5, '1');
    sensor.setFixedDistance(65.0f);
    l.line.attach(&bus);
    ASSERT_TRUE(Qd20Transact(l.line, false, l.clock, l.history, PlainRequest(5, 'F')).dataOk);
    EXPECT_EQ(sensor.parameters().q1Function, 7);
    EXPECT_TRUE(bus.streaming());
    std::vector<std::uint16_t> samples(20000);
    const Qd20StreamResult r = ReadStream(l.line, samples);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.byteCount, 40000u);
    EXPECT_EQ(samples[0], 2047);
    EXPECT_EQ(samples[19999], 2047);
    // Any frame to the sensor ends the stream and is answered normally.
    EXPECT_TRUE(Qd20Transact(l.line, false, l.clock, l.history, PlainRequest(5, 'A')).dataOk);
    EXPECT_FALSE(bus.streaming());
    EXPECT_FALSE(ReadStream(l.line, samples).ok);
}

TEST(Qd20HalvernTest, ProbeFindsEitherTypeOrNothing) {
    for (bool echo : {false, true}) {
        for (int type : {14, 15}) {
            Lines l;
            l.line.setEcho(echo);
            SimHalvernSensor sensor(type, &l.clock);
            l.line.attach(&sensor);
            EXPECT_EQ(ProbeHalvern(l.line, echo), type) << echo;
            const std::string written(l.line.written().begin(), l.line.written().end());
            EXPECT_EQ(written, type == 15 ? "/020D0059." : "/020D0059./020D0e0C.");
        }
        Lines silent;
        silent.line.setEcho(echo);
        EXPECT_EQ(ProbeHalvern(silent.line, echo), 0);
    }
}

TEST(Qd20HalvernTest, DistancesDecodeForBothTypes) {
    Lines l;
    SimHalvernSensor t15(15, &l.clock);
    l.line.attach(&t15);
    t15.setFixedDistance(123.456);
    EXPECT_EQ(ReadHalvernDistance(l.line, false, 15), 123456u);
    t15.setFixedDistance(2000.0); // no target
    EXPECT_EQ(ReadHalvernDistance(l.line, false, 15), 0u);
    EXPECT_EQ(t15.requestsAnswered(), 2);
    EXPECT_FALSE(ReadHalvernDistance(l.line, false, 14)); // a type 15 does not answer this
    l.line.detach(&t15);
    SimHalvernSensor t14(14, &l.clock);
    l.line.attach(&t14);
    l.line.setEcho(true);
    t14.setFixedDistance(123.05);
    EXPECT_EQ(ReadHalvernDistance(l.line, true, 14), 12305u);
    t14.setFixedDistance(1000.0);
    EXPECT_EQ(ReadHalvernDistance(l.line, true, 14), 60000u);
    t14.setFixedDistance(5.0);
    EXPECT_EQ(ReadHalvernDistance(l.line, true, 14), 0u);
    // A damaged digit gives no reading rather than a wrong one.
    t14.setFixedDistance(250.0);
    l.line.corruptIncoming(7, 0x40);
    EXPECT_FALSE(ReadHalvernDistance(l.line, true, 14));
}
