#include "Qd20Settings.h"
#include "Qd20SimulatedReply.h"
#include "Qd20Variant.h"

#include <gtest/gtest.h>

#include <vector>

using Bytes = std::vector<std::uint8_t>;

namespace {
const Qd20Variant& range220() {
    return *VariantForSensorType(1);
} // 80 .. 300 mm
} // namespace

TEST(Qd20SimulatedReplyTest, AcknowledgeIsTheFourByteYesFrame) {
    EXPECT_EQ(Qd20SimulatedReply::acknowledge(5), (Bytes{0x85, 0x04, 0x59, 0x58}));
    EXPECT_EQ(Qd20SimulatedReply::acknowledge(128), (Bytes{0x80, 0x04, 0x59, 0x5D}));
}

TEST(Qd20SimulatedReplyTest, MeasurementReportsGoodTargetAndQ1BelowTheSwitchPoint) {
    using Qd20SimulatedReply::measurement;
    // Range end: raw 0; beyond the Q1 point, so Q1 stays off.
    EXPECT_EQ(measurement(5, 300.0f, 100.0f, range220()), (Bytes{0x85, 0x06, 0x59, 0x40, 0x00, 0x1A}));
    // Range start: raw 4095, below the Q1 point.
    EXPECT_EQ(measurement(5, 80.0f, 100.0f, range220()), (Bytes{0x85, 0x06, 0x59, 0x7F, 0x7F, 0x5A}));
    // 190 mm is raw 2047.5, cut to 2047 = 0x1F, 0x3F.
    EXPECT_EQ(measurement(5, 190.0f, 200.0f, range220()), (Bytes{0x85, 0x06, 0x59, 0x5F, 0x7F, 0x7A}));
    // At the switch point itself Q1 is off: raw 1861 = 0x1D, 0x05.
    EXPECT_EQ(measurement(5, 200.0f, 200.0f, range220()), (Bytes{0x85, 0x06, 0x59, 0x5D, 0x05, 0x02}));
    EXPECT_EQ(measurement(128, 300.0f, 100.0f, range220()), (Bytes{0x80, 0x06, 0x59, 0x40, 0x00, 0x1F}));
}

TEST(Qd20SimulatedReplyTest, MeasurementOutsideTheRangeStaysOnTheScale) {
    using Qd20SimulatedReply::measurement;
    EXPECT_EQ(measurement(5, 400.0f, 100.0f, range220()), measurement(5, 300.0f, 100.0f, range220()));
    const Bytes nearer = measurement(5, 10.0f, 5.0f, range220());
    EXPECT_EQ(nearer[3], 0x7F);
    EXPECT_EQ(nearer[4], 0x3F) << "Q1 off, and no bit beyond the 12-bit value";
}

TEST(Qd20SimulatedReplyTest, ParameterBlockReplyCarriesTheSettingsAsTheSensorWouldStoreThem) {
    // Q1 at Diff-Hold; the points are raw 2047, 0, 4095 and 3908.
    const Qd20Settings s{.SwitchPointQ1A = 190.0f,
                         .SwitchPointQ1B = 300.0f,
                         .SwitchPointQ2A = 80.0f,
                         .SwitchPointQ2B = 90.0f,
                         .AnalogPoint1 = 300.0f,
                         .AnalogPoint2 = 190.0f,
                         .fktQ1 = 6,
                         .osQ1 = 0,
                         .ivQ1 = 1,
                         .setQ1 = 0,
                         .fktQ2 = 1,
                         .osQ2 = 1,
                         .ivQ2 = 0,
                         .tv = 0,
                         .hold = 0,
                         .bw = 2,
                         .lowlight = true};
    const Bytes expected{0x8C, 0x16, 0x59,                               // address 12, length 22, 'Y'
                         0x30, 0x04, 0x30, 0x0A, 0x09, 0x09,             // functions, variant '0', flags
                         0x00, 0x00, 0x1F, 0x3F,                         // analog points
                         0x00, 0x00, 0x1F, 0x3F, 0x3D, 0x04, 0x3F, 0x3F, // Q1 second/first, Q2 second/first
                         0x74};
    EXPECT_EQ(Qd20SimulatedReply::parameterBlock(12, s, range220()), expected);
}
