#pragma once
// With PARMRK the terminal driver marks a byte received with a parity or framing error as
// 0xFF 0x00 <byte> and doubles a genuine 0xFF. The decoder turns that back into the plain
// byte stream and counts the marked bytes. The stream may be split anywhere
// between reads.
#include <cstddef>
#include <cstdint>
#include <vector>

class ParityMarkDecoder {
public:
    // Decodes `count` raw bytes and appends the data bytes to `out`.
    void decode(const std::uint8_t* raw, std::size_t count, std::vector<std::uint8_t>& out);
    // The number of marked bytes since the last call.
    std::size_t takeErrors();
    // Forgets a half-received mark and the marks counted, for example after the receive
    // queue was purged.
    void reset() {
        m_state = State::Plain;
        m_errors = 0;
    }

private:
    enum class State { Plain, Escape, ErrorByte };
    State m_state = State::Plain;
    std::size_t m_errors = 0;
};
