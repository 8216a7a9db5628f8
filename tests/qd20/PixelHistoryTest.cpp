#include "PixelHistory.h"
#include "Qd20SampleMemory.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

PixelHistory::Curve flatCurve(std::int16_t value) {
    PixelHistory::Curve c;
    c.fill(value);
    return c;
}

PixelHistory::Curve rampCurve(int factor) {
    PixelHistory::Curve c;
    for (int i = 0; i < PixelHistory::kPixels; ++i)
        c[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i * factor);
    return c;
}

struct PixelHistoryTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(memory.allocate());
        memory.startPolling();
    }
    Qd20SampleMemory memory;
    PixelHistory history;
};

} // namespace

TEST(PixelAveragesTest, EntryIsLimitedToOneToHundred) {
    for (auto [in, out] : {std::pair{0, 1}, {-7, 1}, {1, 1}, {37, 37}, {100, 100}, {500, 100}})
        EXPECT_EQ(PixelHistory::limitAverages(in), out) << in;
}

TEST_F(PixelHistoryTest, WithOneAverageEveryReadingReplacesTheCurve) {
    history.setPixelAverages(1);
    const auto first = rampCurve(3);
    history.takeReading(&first, memory);
    const auto second = flatCurve(-40);
    history.takeReading(&second, memory);
    for (int i = 0; i < PixelHistory::kPixels; ++i)
        ASSERT_EQ(history.mean(i), -40) << "pixel " << i;
    EXPECT_EQ(history.PixelColumn(), 1);
}

TEST_F(PixelHistoryTest, WithHundredAveragesMissingReadingsCountAsZeroUntilTheTableIsFull) {
    history.setPixelAverages(100);
    const auto ten = flatCurve(250);
    history.takeReading(&ten, memory);
    EXPECT_EQ(history.mean(0), 2) << "250 / 100, cut";
    history.clear();
    const auto hundred = flatCurve(100);
    history.takeReading(&hundred, memory);
    EXPECT_EQ(history.mean(0), 1) << "a restart forgets the earlier readings";
    PixelHistory full;
    full.setPixelAverages(100);
    for (int v = 1; v <= 100; ++v) {
        const auto c = flatCurve(static_cast<std::int16_t>(v));
        full.takeReading(&c, memory);
    }
    EXPECT_EQ(full.mean(5), 50) << "5050 / 100 = 50.5, cut";
    // The 101st reading replaces the oldest column (the value 1).
    const auto next = flatCurve(201);
    full.takeReading(&next, memory);
    EXPECT_EQ(full.cell(5, 0), 201);
    EXPECT_EQ(full.mean(5), 52);
}

TEST_F(PixelHistoryTest, NegativeMeansAreCutTowardZeroAndReachThePlotAsSigned16BitValues) {
    history.setPixelAverages(2);
    const auto a = flatCurve(-3);
    const auto b = flatCurve(-8);
    history.takeReading(&a, memory);
    history.takeReading(&b, memory);
    EXPECT_EQ(history.mean(0), -5) << "-11 / 2";
    EXPECT_EQ(memory.slot(0), 0xFFFB);
}

TEST_F(PixelHistoryTest, FailedReadingUsesUpItsColumn) {
    history.setPixelAverages(3);
    const auto a = flatCurve(30);
    const auto b = flatCurve(60);
    history.takeReading(&a, memory);
    memory.setOldestSlot(9);
    history.takeReading(nullptr, memory);
    EXPECT_EQ(memory.oldestSlot(), 0) << "the plot restarts at slot 0 even without a reading";
    EXPECT_EQ(memory.slot(100), 10) << "and keeps the curve it had (30 / 3)";
    history.takeReading(&b, memory);
    EXPECT_EQ((std::array{history.cell(0, 0), history.cell(0, 1), history.cell(0, 2)}),
              (std::array{30, 0, 60}));
    EXPECT_EQ(history.mean(0), 30);
    history.takeReading(&b, memory);
    EXPECT_EQ(history.cell(0, 0), 60) << "the column cycles back to 0 after PixelAverages";
}

TEST_F(PixelHistoryTest, FewerAveragesAfterALongRunRestartAtColumnZero) {
    history.setPixelAverages(50);
    const auto a = flatCurve(1);
    for (int i = 0; i < 30; ++i)
        history.takeReading(&a, memory);
    history.setPixelAverages(10);
    const auto b = flatCurve(9);
    history.takeReading(&b, memory);
    EXPECT_EQ(history.cell(0, 0), 9);
    EXPECT_EQ(history.PixelColumn(), 1);
}

TEST_F(PixelHistoryTest, MeansAreSpreadOverTheRingExceptItsLastSlot) {
    memory.setSlot(400, 0x1234);
    memory.setOldestSlot(7);
    history.setPixelAverages(1);
    const auto curve = rampCurve(10);
    history.takeReading(&curve, memory);
    EXPECT_EQ(memory.oldestSlot(), 0);
    // Slot 3 takes pixel 3 * 102 / 400 = 0.77, slot 4 pixel 1.02, the middle of the ring pixel 51;
    // pixel 101 takes the last three slots, and slot 400 is left alone.
    const std::pair<std::size_t, int> slots[] = {{0, 0},      {3, 0},      {4, 10},     {200, 510},
                                                 {396, 1000}, {397, 1010}, {399, 1010}, {400, 0x1234}};
    for (auto [slot, value] : slots)
        EXPECT_EQ(memory.slot(slot), value) << "slot " << slot;
}

TEST(PixelTextTest, PixelAndServiceLinesJoinTheDecodedNumbers) {
    std::vector<std::uint8_t> pixel(2 + 2 * 102 + 1, 0);
    pixel[0] = 1;
    pixel[1] = 2; // 1 * 128 + 2
    for (std::size_t j = 0; j < 9; ++j) {
        pixel[2 * j + 2] = static_cast<std::uint8_t>(j);
        pixel[2 * j + 3] = static_cast<std::uint8_t>(10 + j);
    }
    EXPECT_EQ(PixelHistory::pixelTextLine(pixel), "130;10;139;268;397;526;655;784;913;1042");
    const std::vector<std::uint8_t> service{0x7F, 0x7F, 0, 5, 1, 0, 127, 127, 0x33};
    EXPECT_EQ(PixelHistory::serviceTextLine(service), "5;128;16383");
    const std::vector<std::uint8_t> tooShort{1, 2, 3};
    EXPECT_FALSE(PixelHistory::pixelTextLine(tooShort).has_value());
    EXPECT_FALSE(PixelHistory::serviceTextLine(tooShort).has_value());
}
