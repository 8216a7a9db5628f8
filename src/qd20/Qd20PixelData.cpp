#include "Qd20PixelData.h"

namespace {

int sevenBitPair(std::span<const std::uint8_t> data, std::size_t at) {
    return data[at] * 128 + data[at + 1];
}

} // namespace

std::optional<std::array<std::int16_t, kQd20PixelCount>>
DecodePixelCurve(std::span<const std::uint8_t> data) {
    if (data.size() < kQd20PixelDataBytes)
        return std::nullopt;
    std::array<std::int16_t, kQd20PixelCount> pixels{};
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const unsigned value = data[2 * i + 2] * 256u + data[2 * i + 3] * 4u;
        pixels[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    }
    return pixels;
}

std::optional<std::array<int, 10>> DecodePixelNumbers(std::span<const std::uint8_t> data) {
    if (data.size() < 20)
        return std::nullopt;
    std::array<int, 10> numbers{};
    numbers[0] = sevenBitPair(data, 0);
    for (std::size_t j = 0; j < 9; ++j)
        numbers[j + 1] = sevenBitPair(data, 2 * j + 2);
    return numbers;
}

std::optional<std::array<int, 3>> DecodeServiceNumbers(std::span<const std::uint8_t> data) {
    if (data.size() < 8)
        return std::nullopt;
    std::array<int, 3> numbers{};
    for (std::size_t j = 0; j < 3; ++j)
        numbers[j] = sevenBitPair(data, 2 * j + 2);
    return numbers;
}
