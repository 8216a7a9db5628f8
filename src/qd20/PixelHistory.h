#pragma once
// The pixel curve of the ZYL24 service view: the last readings of the sensor's 102 line-sensor
// pixels, averaged per pixel over a chosen number of readings (1 to 100) and spread over the
// measurement ring so that the plot draws them as one curve.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

class Qd20SampleMemory;

class PixelHistory {
public:
    static constexpr int kPixels = 102;
    static constexpr int kColumns = 100; // the most readings a mean can cover
    using Curve = std::array<std::int16_t, kPixels>;

    // Lines of the pixel text view, decimal numbers joined by ";": the first number and p0..p8
    // of a '6' reply, and q0..q2 of a '3' reply. Empty when the reply is too short for them.
    static std::optional<std::string> pixelTextLine(std::span<const std::uint8_t> data);
    static std::optional<std::string> serviceTextLine(std::span<const std::uint8_t> data);

    // The number of averages the user may choose; anything outside is pulled to the nearest end.
    static std::uint16_t limitAverages(long long entry);

    std::uint16_t PixelAverages() const { return m_averages; }
    void setPixelAverages(long long entry) { m_averages = limitAverages(entry); }
    int PixelColumn() const { return m_column; }

    // Forgets every reading: until the columns fill up again, missing readings count as 0.
    void clear();

    // One reading of the curve: with pixels, they go into the next column, the means are updated
    // and spread over the ring slots of the memory; without (a failed reading), the column is
    // still used up. Either way the plot is to start at slot 0.
    void takeReading(const Curve* pixels, Qd20SampleMemory& memory);

    std::int32_t mean(int pixel) const { return m_means[static_cast<std::size_t>(pixel)]; }
    std::int32_t cell(int pixel, int column) const {
        return m_table[static_cast<std::size_t>(pixel)][static_cast<std::size_t>(column)];
    }

private:
    void spreadOver(Qd20SampleMemory& memory) const;

    std::array<std::array<std::int32_t, kColumns>, kPixels> m_table{};
    std::array<std::int32_t, kPixels> m_means{};
    std::uint16_t m_averages = 1;
    int m_column = 0;
};
