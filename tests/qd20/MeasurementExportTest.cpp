#include "MeasurementExport.h"

#include "Qd20Variant.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

const Qd20Variant& variant1000() {
    return *VariantForSensorType(10);
}

} // namespace

TEST(MeasurementExportTest, FileHasHeaderAndOneRowPerSampleWithTheChosenLineEnd) {
    const std::vector<std::uint16_t> samples{4095, 0, 2048};
    EXPECT_EQ(MeasurementExport::toCsv(samples, variant1000(), CsvLineEnd::Lf),
              "Rohdaten [LSB];Skaliert [mm]\n4095; 250.0\n0;1250.0\n2048; 749.9\n");
    EXPECT_EQ(MeasurementExport::toCsv(samples, *VariantForSensorType(2), CsvLineEnd::CrLf),
              "Rohdaten [LSB];Skaliert [mm]\r\n4095;  30.0\r\n0; 100.0\r\n2048;  65.0\r\n");
#ifdef _WIN32
    EXPECT_EQ(MeasurementExport::platformLineEnd(), CsvLineEnd::CrLf);
#else
    EXPECT_EQ(MeasurementExport::platformLineEnd(), CsvLineEnd::Lf);
#endif
    EXPECT_EQ(MeasurementExport::toCsv(samples, variant1000()),
              MeasurementExport::toCsv(samples, variant1000(), MeasurementExport::platformLineEnd()));
    EXPECT_EQ(MeasurementExport::toCsv({}, variant1000(), CsvLineEnd::Lf), "Rohdaten [LSB];Skaliert [mm]\n");
}

// Every value of every variant must read exactly as the C library's "%d;%6.1f" would write it in
// the C locale: same millimetres, same rounding, same padding.
TEST(MeasurementExportTest, RowsMatchTheClassicFormatForEveryValueAndVariant) {
    for (const Qd20Variant& v : Qd20Variants()) {
        for (int raw = 0; raw <= 4095; ++raw) {
            const double mm =
                (v.rangeStartInt + v.rangeSpanInt) - static_cast<double>(raw * v.rangeSpanInt) / 4095.0;
            char expected[64];
            std::snprintf(expected, sizeof expected, "%d;%6.1f", raw, mm);
            ASSERT_EQ(MeasurementExport::formatRow(static_cast<std::uint16_t>(raw), v), expected)
                << "span " << v.rangeSpanInt;
        }
    }
}

TEST(MeasurementExportTest, OneDecimalRoundsPadsAndKeepsWideNumbers) {
    EXPECT_EQ(MeasurementExport::formatOneDecimal(0.04), "0.0");
    EXPECT_EQ(MeasurementExport::formatOneDecimal(12.96, 6), "  13.0");
    EXPECT_EQ(MeasurementExport::formatOneDecimal(-3.25, 6), "  -3.2");
    EXPECT_EQ(MeasurementExport::formatOneDecimal(123456.78, 6), "123456.8");
}
