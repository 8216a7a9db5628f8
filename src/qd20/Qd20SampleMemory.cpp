#include "Qd20SampleMemory.h"

#include "Q20_speziell.h"

#include <algorithm>
#include <new>

bool Qd20SampleMemory::allocate(bool largeAllowed) {
    if (m_slots)
        return true;
    if (largeAllowed) {
        m_slots.reset(new (std::nothrow) std::uint16_t[kLargeSlots]());
        m_slotCount = m_slots ? kLargeSlots : 0;
    }
    if (!m_slots) {
        m_slots.reset(new (std::nothrow) std::uint16_t[kSmallSlots]());
        m_slotCount = m_slots ? kSmallSlots : 0;
    }
    m_sampleBytes = 400;
    m_haveData = false;
    m_writeIndex = m_ringStart;
    m_oldest = 0;
    return m_slots != nullptr;
}

void Qd20SampleMemory::release() {
    m_slots.reset();
    m_slotCount = 0;
    m_haveData = false;
}

void Qd20SampleMemory::startPolling() {
    m_ringStart = kRingStart;
    m_ringEnd = kRingEnd;
    m_plotCount = kRingPlotCount;
    m_sampleBytes = 2 * static_cast<std::size_t>(kRingEnd - kRingStart);
    // The last ring slot is cleared too: the plot reads it, and after a block read it would still
    // hold a streamed value from another series.
    if (m_slots)
        std::fill_n(m_slots.get() + m_ringStart, kRingEnd - kRingStart + 1, std::uint16_t{0});
    m_oldest = m_ringStart + 1;
    m_haveData = false;
    m_writeIndex = m_ringStart;
}

void Qd20SampleMemory::store(std::uint16_t value) {
    if (!m_slots)
        return;
    m_slots[static_cast<std::size_t>(m_writeIndex)] = value;
    if (++m_writeIndex > m_ringEnd)
        m_writeIndex = m_ringStart;
    m_oldest = m_writeIndex;
}

bool Qd20SampleMemory::fillFromStream(SerialDevice& device) {
    if (!m_slots || !LargeBuffer()) {
        m_haveData = false;
        return false;
    }
    const Qd20StreamResult result =
        ReadStream(device, std::span<std::uint16_t>(m_slots.get(), kStreamValues));
    if (!result.ok) {
        m_haveData = false;
        return false;
    }
    // The plot shows the whole block; what a shorter stream did not reach would otherwise still
    // show the previous series.
    std::fill(m_slots.get() + result.valueCount, m_slots.get() + kLargeSlots, std::uint16_t{0});
    m_sampleBytes = result.byteCount;
    m_plotCount = kStreamPlotCount;
    m_oldest = 0;
    m_haveData = true;
    return true;
}
