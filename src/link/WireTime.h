#pragma once
// How long characters take on the wire. Drivers of USB adapters report "sent" when the bytes
// have reached the adapter, not the line; whoever must know that a request has really left
// (to drop RTS of an RS-485 converter, or to change the parity after an address byte) waits
// for this time, counted from the moment the bytes were handed to the driver.
#include "SerialDevice.h"

#include <cstddef>
#include <cstdint>

// Bits of one character in half bits (one and a half stop bits are three halves): start bit,
// data bits, the parity bit when there is one, stop bits.
constexpr std::uint32_t halfBitsPerCharacter(const LineSettings& s) {
    const std::uint32_t stop = s.stopBits == StopBits::One ? 2 : s.stopBits == StopBits::OneAndHalf ? 3 : 4;
    return 2 * (1u + s.dataBits + (s.parity == Parity::None ? 0u : 1u)) + stop;
}

// Microseconds `characters` characters occupy the line, rounded up.
constexpr std::int64_t wireTimeUs(const LineSettings& s, std::size_t characters) {
    if (s.baud == 0)
        return 0;
    const std::uint64_t halfBits = static_cast<std::uint64_t>(characters) * halfBitsPerCharacter(s);
    const std::uint64_t divisor = 2ull * s.baud;
    return static_cast<std::int64_t>((halfBits * 1'000'000ull + divisor - 1) / divisor);
}
