#include "Qd20MeasurementText.h"
#include "Qd20Variant.h"

#include <gtest/gtest.h>

using namespace Qd20MeasurementText;

namespace {
const Qd20Variant& range220() {
    return *VariantForSensorType(1);
} // 80 .. 300 mm
const Qd20Variant& range1000() {
    return *VariantForSensorType(10);
} // 250 .. 1250 mm
} // namespace

TEST(Qd20MeasurementTextTest, DistanceTextCutsTheSecondDecimalInsteadOfRounding) {
    // 3286 is 123.46 mm, 3016 is 137.97 mm.
    EXPECT_EQ(AbstandsText(3286, range220()), "123.4 mm");
    EXPECT_EQ(AbstandsText(3016, range220()), "137.9 mm");
    EXPECT_EQ(gaugeValue(3016, range220()), 137);
    EXPECT_EQ(AbstandsText(4095, range220()), "80.0 mm");
    EXPECT_EQ(AbstandsText(0, range1000()), "1250.0 mm");
    EXPECT_EQ(gaugeValue(4095, range1000()), 250);
}

TEST(Qd20MeasurementTextTest, Q1ValueIsRoundedDistanceOrDifferenceInDiffHold) {
    EXPECT_EQ(Q1Text(3286, range220(), false), "123.5 mm");
    EXPECT_EQ(Q1Text(4095, range220(), false), "80.0 mm");
    EXPECT_EQ(Q1Text(0, range220(), true), "0.0 mm");
    EXPECT_EQ(Q1Text(4095, range220(), true), "220.0 mm");
    // 2047 of 4095 over 1000 mm is 499.88 mm of difference.
    EXPECT_EQ(Q1Text(2047, range1000(), true), "499.9 mm");
}

TEST(Qd20MeasurementTextTest, HalvernTextsKeepLeadingZerosOfTheFraction) {
    EXPECT_EQ(HalvernText(12305, 14), "123.05 mm");
    EXPECT_EQ(HalvernText(12005, 14), "120.05 mm");
    EXPECT_EQ(HalvernText(0, 14), "0.00 mm");
    EXPECT_EQ(HalvernText(120050, 15), "120.050 mm");
    EXPECT_EQ(HalvernText(7, 15), "0.007 mm");
}

TEST(Qd20MeasurementTextTest, HalvernRingValueIsTenthsOfTheDistanceNumber) {
    EXPECT_EQ(HalvernRingValue(12305, 14), 1230);
    // Type 14 uses only the low 16 bits: 70000 is read as 4464.
    EXPECT_EQ(HalvernRingValue(70000, 14), 446);
    EXPECT_EQ(HalvernRingValue(123456, 15), 12345);
    // Six digits of a type 15 sensor can exceed a slot: held at the top instead of wrapping.
    EXPECT_EQ(HalvernRingValue(999999, 15), 65535);
}
