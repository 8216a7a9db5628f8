#pragma once
// The ZYL24 window's sample memory: one preallocated block that holds either the ring of the
// repeated measurement polls (401 slots, read by the plot from its oldest slot) or a block of up to
// 20000 values streamed by the sensor in its fast measuring mode. Nothing on the polling path
// allocates: a sample is one store into the block.
#include <cstddef>
#include <cstdint>
#include <memory>

class SerialDevice;

class Qd20SampleMemory {
public:
    static constexpr std::size_t kStreamValues = 20000; // the fast block read fills at most this
    static constexpr std::size_t kStreamBytes = kStreamValues * 2;
    static constexpr int kRingStart = 0;
    static constexpr int kRingEnd = 400; // inclusive: the ring has 401 slots
    // The plot reads its sample count plus one element, so each block carries one slot more than
    // it is filled with; without it the plot would read past the end of the memory.
    static constexpr std::size_t kLargeSlots = kStreamValues + 1;
    static constexpr std::size_t kSmallSlots = kRingEnd + 1;
    static constexpr int kRingPlotCount = kRingEnd - kRingStart;
    static constexpr int kStreamPlotCount = static_cast<int>(kStreamValues);

    Qd20SampleMemory() = default;
    Qd20SampleMemory(const Qd20SampleMemory&) = delete;
    Qd20SampleMemory& operator=(const Qd20SampleMemory&) = delete;

    // Reserves the memory unless it is already there: the large block when allowed and available,
    // otherwise the small one, which supports polling but no block read. False when neither
    // could be had.
    bool allocate(bool largeAllowed = true);
    void release();
    bool isAllocated() const { return m_slots != nullptr; }
    bool LargeBuffer() const { return m_slotCount == kLargeSlots; }
    std::size_t slotCount() const { return m_slotCount; }

    // Prepares the ring for a new series of polls: slots cleared, the plot's oldest slot 1 and the
    // next store into slot 0; HaveData cleared.
    void startPolling();
    // Stores one value at WriteIndex and advances it (wrapping after RingEnd); the oldest sample
    // is then the slot to be written next.
    void store(std::uint16_t value);
    // Reads the sensor's measurement stream into the memory (large block only). On success
    // SampleBytes is the number of bytes received, the plot starts at slot 0 and HaveData is set;
    // on failure HaveData is cleared.
    bool fillFromStream(SerialDevice& device);

    std::uint16_t* DataStart() { return m_slots.get(); }
    std::uint16_t* DataOldest() { return m_slots ? m_slots.get() + m_oldest : nullptr; }
    const std::uint16_t* DataStart() const { return m_slots.get(); }
    int oldestSlot() const { return m_oldest; }
    void setOldestSlot(int slot) { m_oldest = slot; }
    std::uint16_t slot(std::size_t index) const { return m_slots[index]; }
    void setSlot(std::size_t index, std::uint16_t value) { m_slots[index] = value; }

    int RingStart() const { return m_ringStart; }
    int RingEnd() const { return m_ringEnd; }
    int WriteIndex() const { return m_writeIndex; }
    // The sample count the plot is to show for the current content (its Anzahl).
    int plotCount() const { return m_plotCount; }

    std::size_t SampleBytes() const { return m_sampleBytes; }
    // The values an export writes: SampleBytes / 2 slots in memory order.
    std::size_t exportCount() const { return m_slots ? m_sampleBytes / 2 : 0; }

    bool HaveData() const { return m_haveData; }
    void setHaveData(bool have) { m_haveData = have; }
    std::uint16_t LastRaw() const { return m_lastRaw; }
    void setLastRaw(std::uint16_t raw) { m_lastRaw = raw; }

private:
    std::unique_ptr<std::uint16_t[]> m_slots;
    std::size_t m_slotCount = 0;
    int m_ringStart = kRingStart;
    int m_ringEnd = kRingEnd;
    int m_writeIndex = 0;
    int m_oldest = 0;
    int m_plotCount = kRingPlotCount;
    std::size_t m_sampleBytes = 400;
    bool m_haveData = false;
    std::uint16_t m_lastRaw = 0;
};
