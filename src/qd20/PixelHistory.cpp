#include "PixelHistory.h"

#include "Qd20PixelData.h"
#include "Qd20SampleMemory.h"

#include <algorithm>

namespace {
template <std::size_t N> std::optional<std::string> joined(const std::optional<std::array<int, N>>& numbers) {
    if (!numbers)
        return std::nullopt;
    std::string line;
    for (std::size_t i = 0; i < N; ++i) {
        if (i)
            line += ';';
        line += std::to_string((*numbers)[i]);
    }
    return line;
}
} // namespace

std::optional<std::string> PixelHistory::pixelTextLine(std::span<const std::uint8_t> data) {
    return joined(DecodePixelNumbers(data));
}

std::optional<std::string> PixelHistory::serviceTextLine(std::span<const std::uint8_t> data) {
    return joined(DecodeServiceNumbers(data));
}

std::uint16_t PixelHistory::limitAverages(long long entry) {
    return static_cast<std::uint16_t>(std::clamp<long long>(entry, 1, kColumns));
}

void PixelHistory::clear() {
    for (auto& row : m_table)
        row.fill(0);
    m_means.fill(0);
}

void PixelHistory::takeReading(const Curve* pixels, Qd20SampleMemory& memory) {
    // ">=" rather than "==": after the number of averages was lowered the column may already lie
    // beyond it, and counting on from there would run off the table.
    if (m_column >= m_averages)
        m_column = 0;
    if (pixels) {
        for (int i = 0; i < kPixels; ++i)
            m_table[static_cast<std::size_t>(i)][static_cast<std::size_t>(m_column)] =
                (*pixels)[static_cast<std::size_t>(i)];
        for (int i = 0; i < kPixels; ++i) {
            const auto& row = m_table[static_cast<std::size_t>(i)];
            std::int64_t sum = 0;
            for (int c = 0; c < m_averages; ++c)
                sum += row[static_cast<std::size_t>(c)];
            m_means[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(sum / m_averages);
        }
        spreadOver(memory);
    }
    memory.setOldestSlot(0);
    ++m_column;
}

void PixelHistory::spreadOver(Qd20SampleMemory& memory) const {
    if (!memory.isAllocated())
        return;
    const int start = memory.RingStart();
    const int width = memory.RingEnd() - start;
    if (width <= 0)
        return;
    // Slot RingEnd stays as it is: the curve covers the slots before it.
    for (int s = start; s < memory.RingEnd(); ++s) {
        const int i = (s - start) * kPixels / width;
        const std::int32_t value = i < kPixels ? m_means[static_cast<std::size_t>(i)] : 0;
        // The plot reads the slots as signed 16-bit values, which is what a pixel mean is.
        memory.setSlot(static_cast<std::size_t>(s),
                       static_cast<std::uint16_t>(static_cast<std::int16_t>(value)));
    }
}
