#pragma once
// Linux's second terminal interface (struct termios2 with BOTHER) is the only way to set a
// rate that has no B-constant (250000, 31250, 14400, ...). Its kernel header clashes with
// <termios.h>, so it lives in a file of its own and travels as an opaque buffer.
#include <cstdint>

namespace Termios2 {

struct Buffer {
    alignas(8) unsigned char bytes[64] = {};
};

// False where the system has no such interface; the other functions are then not used.
bool available();
unsigned long getRequest(); // ioctl that fills a Buffer from the line
unsigned long setRequest(); // ioctl that applies a Buffer at once
// Sets both directions of the buffer to `baud` (BOTHER), leaving the frame bits alone.
void setRate(Buffer& buffer, std::uint32_t baud);
std::uint32_t outputRate(const Buffer& buffer);

} // namespace Termios2
