#pragma once
// With PARMRK the terminal driver marks a byte received with a parity or framing error as
// 0xFF 0x00 <byte> and doubles a genuine 0xFF. The decoder turns that back into the plain
// byte stream and remembers that an error was seen. The stream may be split anywhere
// between reads.
#include <cstddef>
#include <cstdint>
#include <vector>

class ParityMarkDecoder {
public:
    // Decodes `count` raw bytes and appends the data bytes to `out`.
    void decode(const std::uint8_t* raw, std::size_t count, std::vector<std::uint8_t>& out);
    // True when an error mark was seen since the last call.
    bool takeError();
    // Forget a half-received mark, for example after the receive queue was purged.
    void reset() { m_state = State::Plain; }

private:
    enum class State { Plain, Escape, ErrorByte };
    State m_state = State::Plain;
    bool m_error = false;
};
