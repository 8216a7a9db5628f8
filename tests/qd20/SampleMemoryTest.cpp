#include "Qd20SampleMemory.h"

#include "StreamSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// The ring as the plot walks it: from the oldest slot, 401 elements, wrapping after RingEnd.
std::vector<std::uint16_t> ringInTimeOrder(const Qd20SampleMemory& memory) {
    std::vector<std::uint16_t> out;
    std::size_t p = static_cast<std::size_t>(memory.oldestSlot());
    for (int i = 0; i <= Qd20SampleMemory::kRingEnd; ++i) {
        out.push_back(memory.slot(p));
        p = p == static_cast<std::size_t>(Qd20SampleMemory::kRingEnd) ? 0 : p + 1;
    }
    return out;
}

} // namespace

TEST(Qd20SampleMemoryTest, LargeBlockCarriesStreamAndPlotSlot) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate());
    EXPECT_TRUE(memory.LargeBuffer());
    EXPECT_EQ(memory.slotCount(), 20001u);
    EXPECT_EQ(memory.SampleBytes(), 400u);
    EXPECT_FALSE(memory.HaveData());
    std::uint16_t* first = memory.DataStart();
    EXPECT_TRUE(memory.allocate()) << "a second show keeps the memory it has";
    EXPECT_EQ(memory.DataStart(), first);
    memory.release();
    EXPECT_FALSE(memory.isAllocated());
    EXPECT_EQ(memory.DataOldest(), nullptr);
    EXPECT_TRUE(memory.allocate()) << "showing the window again after closing reserves it anew";
}

TEST(Qd20SampleMemoryTest, FallbackHoldsTheWholeRingButRefusesBlockRead) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate(false));
    EXPECT_FALSE(memory.LargeBuffer());
    EXPECT_EQ(memory.slotCount(), 401u);
    memory.startPolling();
    for (int i = 0; i < 1000; ++i)
        memory.store(static_cast<std::uint16_t>(i));
    EXPECT_EQ(memory.WriteIndex(), 1000 % 401);
    StreamSource device(streamOf(std::vector<int>(300, 7)));
    EXPECT_FALSE(memory.fillFromStream(device.line));
    EXPECT_EQ(device.sent, 0u) << "nothing is read into a memory too small for it";
    EXPECT_FALSE(memory.HaveData());
}

TEST(Qd20SampleMemoryTest, PollingStartClearsRingAndPointsPlotAtSlotOne) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate());
    for (std::size_t i = 0; i < 500; ++i)
        memory.setSlot(i, 0xABCD);
    memory.setHaveData(true);
    memory.startPolling();
    EXPECT_EQ(memory.RingStart(), 0);
    EXPECT_EQ(memory.RingEnd(), 400);
    EXPECT_EQ(memory.WriteIndex(), 0);
    EXPECT_EQ(memory.DataOldest(), memory.DataStart() + 1);
    EXPECT_EQ(memory.plotCount(), 400);
    EXPECT_EQ(memory.SampleBytes(), 800u);
    EXPECT_FALSE(memory.HaveData());
    for (std::size_t i = 0; i <= 400; ++i)
        ASSERT_EQ(memory.slot(i), 0) << "slot " << i;
    EXPECT_EQ(memory.slot(401), 0xABCD) << "only the ring is cleared";
}

TEST(Qd20SampleMemoryTest, RingWrapsOnceAfter401StoresAndKeepsTimeOrderFromOldest) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate());
    memory.startPolling();
    for (int v = 1; v <= 400; ++v)
        memory.store(static_cast<std::uint16_t>(v));
    EXPECT_EQ(memory.WriteIndex(), 400);
    EXPECT_EQ(memory.oldestSlot(), 400) << "slot 400 is still the cleared one, the oldest";
    memory.store(401);
    EXPECT_EQ(memory.WriteIndex(), 0);
    EXPECT_EQ(memory.DataOldest(), memory.DataStart());
    EXPECT_EQ(memory.slot(400), 401);
    std::vector<std::uint16_t> expected(401);
    std::iota(expected.begin(), expected.end(), std::uint16_t(1));
    EXPECT_EQ(ringInTimeOrder(memory), expected);
    memory.store(402);
    EXPECT_EQ(memory.slot(0), 402);
    EXPECT_EQ(memory.oldestSlot(), 1);
    EXPECT_EQ(ringInTimeOrder(memory).front(), 2);
    EXPECT_EQ(ringInTimeOrder(memory).back(), 402);
    // The export takes the 400 slots in memory order; slot 400 is not among them.
    EXPECT_EQ(memory.exportCount(), 400u);
}

TEST(Qd20SampleMemoryTest, StoreWithoutMemoryIsIgnored) {
    Qd20SampleMemory memory;
    memory.startPolling();
    memory.store(5);
    EXPECT_EQ(memory.WriteIndex(), 0);
    EXPECT_EQ(memory.exportCount(), 0u);
}

TEST(Qd20SampleMemoryTest, BlockReadFillsFromSlotZeroAndClearsWhatItDidNotReach) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate());
    memory.startPolling();
    for (int i = 0; i < 401; ++i)
        memory.store(4000);
    std::vector<int> values;
    for (int i = 0; i < 150; ++i)
        values.push_back(i * 27);
    // A stray second byte of a pair first: the reader realigns on the mark bit.
    std::vector<std::uint8_t> bytes{0x15};
    const auto pairs = streamOf(values);
    bytes.insert(bytes.end(), pairs.begin(), pairs.end());
    StreamSource device(bytes);
    ASSERT_TRUE(memory.fillFromStream(device.line));
    EXPECT_TRUE(memory.HaveData());
    EXPECT_EQ(memory.SampleBytes(), 300u);
    EXPECT_EQ(memory.exportCount(), 150u);
    EXPECT_EQ(memory.plotCount(), 20000);
    EXPECT_EQ(memory.DataOldest(), memory.DataStart());
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(memory.slot(i), values[i]) << "value " << i;
    EXPECT_EQ(memory.slot(150), 0);
    EXPECT_EQ(memory.slot(400), 0);
    EXPECT_EQ(memory.slot(20000), 0);
}

TEST(Qd20SampleMemoryTest, ShortStreamFailsAndClearsHaveData) {
    Qd20SampleMemory memory;
    ASSERT_TRUE(memory.allocate());
    memory.setHaveData(true);
    StreamSource device(streamOf(std::vector<int>(40, 100)));
    EXPECT_FALSE(memory.fillFromStream(device.line));
    EXPECT_FALSE(memory.HaveData());
}
