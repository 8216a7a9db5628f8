#include "Qd20ParameterBlock.h"

#include "Qd20Variant.h"

namespace {

struct FunctionBit {
    int byte;
    int bit;
    int position;
};

// The order in which the window looks for the selected Q1 function; the first set bit wins.
constexpr std::array<FunctionBit, 10> kQ1Functions{{
    {0, 0, 2},
    {0, 1, 3},
    {0, 3, 5},
    {0, 4, 6},
    {0, 6, 7},
    {1, 1, 1},
    {1, 0, 0},
    {1, 4, 4},
    {1, 5, 9},
    {1, 6, 8},
}};
// Byte 3 for Q2 and byte 5 for the averaging time, in the same manner.
constexpr std::array<FunctionBit, 3> kQ2Functions{{{3, 1, 1}, {3, 0, 0}, {3, 4, 2}}};
constexpr std::array<FunctionBit, 3> kAveraging{{{5, 0, 2}, {5, 1, 1}, {5, 2, 0}}};

bool bitSet(std::span<const std::uint8_t> bytes, int byte, int bit) {
    return (bytes[static_cast<std::size_t>(byte)] >> bit) & 1;
}

template <std::size_t N>
std::optional<int> firstSelected(std::span<const std::uint8_t> bytes,
                                 const std::array<FunctionBit, N>& table) {
    for (const FunctionBit& f : table)
        if (bitSet(bytes, f.byte, f.bit))
            return f.position;
    return std::nullopt;
}

template <std::size_t N>
void select(std::array<std::uint8_t, Qd20ParameterBlock::kSize>& bytes,
            const std::array<FunctionBit, N>& table, std::optional<int> position) {
    if (!position)
        return;
    for (const FunctionBit& f : table)
        if (f.position == *position)
            bytes[static_cast<std::size_t>(f.byte)] |= static_cast<std::uint8_t>(1u << f.bit);
}

std::uint8_t flag(bool on, int bit) {
    return on ? static_cast<std::uint8_t>(1u << bit) : 0;
}

void putRaw(std::array<std::uint8_t, Qd20ParameterBlock::kSize>& bytes, std::size_t at, int raw) {
    const auto pair = SplitRaw12(raw);
    bytes[at] = pair[0];
    bytes[at + 1] = pair[1];
}

} // namespace

std::optional<Qd20ParameterBlock> DecodeParameterBlock(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < Qd20ParameterBlock::kSize)
        return std::nullopt;
    Qd20ParameterBlock b;
    b.q1Function = firstSelected(bytes, kQ1Functions);
    b.setQ1High = bitSet(bytes, 0, 5);
    b.q1NormallyClosed = bitSet(bytes, 1, 2);
    b.q1PulseStretch = bitSet(bytes, 1, 3);
    b.variantCode = bytes[2] & 0x7F;
    b.q2Function = firstSelected(bytes, kQ2Functions);
    b.q2NormallyClosed = bitSet(bytes, 3, 2);
    b.q2PulseStretch = bitSet(bytes, 3, 3);
    b.holdOn = bitSet(bytes, 4, 0);
    b.keyLockOn = bitSet(bytes, 4, 3);
    b.averaging = firstSelected(bytes, kAveraging);
    b.lowlight = bitSet(bytes, 5, 3);
    b.analogPoint1Raw = JoinRaw12(bytes[6], bytes[7]);
    b.analogPoint2Raw = JoinRaw12(bytes[8], bytes[9]);
    b.q1SecondRaw = JoinRaw12(bytes[10], bytes[11]);
    b.q1FirstRaw = JoinRaw12(bytes[12], bytes[13]);
    b.q2SecondRaw = JoinRaw12(bytes[14], bytes[15]);
    b.q2FirstRaw = JoinRaw12(bytes[16], bytes[17]);
    return b;
}

std::array<std::uint8_t, Qd20ParameterBlock::kSize> EncodeParameterBlock(const Qd20ParameterBlock& b) {
    std::array<std::uint8_t, Qd20ParameterBlock::kSize> bytes{};
    select(bytes, kQ1Functions, b.q1Function);
    bytes[0] |= flag(b.setQ1High, 5);
    bytes[1] |= static_cast<std::uint8_t>(flag(b.q1NormallyClosed, 2) | flag(b.q1PulseStretch, 3));
    bytes[2] = b.variantCode & 0x7F;
    select(bytes, kQ2Functions, b.q2Function);
    bytes[3] |= static_cast<std::uint8_t>(flag(b.q2NormallyClosed, 2) | flag(b.q2PulseStretch, 3));
    bytes[4] = static_cast<std::uint8_t>(flag(b.holdOn, 0) | flag(b.keyLockOn, 3));
    select(bytes, kAveraging, b.averaging);
    bytes[5] |= flag(b.lowlight, 3);
    putRaw(bytes, 6, b.analogPoint1Raw);
    putRaw(bytes, 8, b.analogPoint2Raw);
    putRaw(bytes, 10, b.q1SecondRaw);
    putRaw(bytes, 12, b.q1FirstRaw);
    putRaw(bytes, 14, b.q2SecondRaw);
    putRaw(bytes, 16, b.q2FirstRaw);
    return bytes;
}
