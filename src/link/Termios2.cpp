#include "Termios2.h"

#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h> // before asm/ioctls.h, which sizes its requests with struct termios2

#include <cstring>

static_assert(sizeof(termios2) <= sizeof(Termios2::Buffer::bytes));

namespace Termios2 {

bool available() {
    return true;
}

unsigned long getRequest() {
    return TCGETS2;
}

unsigned long setRequest() {
    return TCSETS2;
}

void setRate(Buffer& buffer, std::uint32_t baud) {
    termios2 t{};
    std::memcpy(&t, buffer.bytes, sizeof t);
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CIBAUD);
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = baud;
    t.c_ospeed = baud;
    std::memcpy(buffer.bytes, &t, sizeof t);
}

std::uint32_t outputRate(const Buffer& buffer) {
    termios2 t{};
    std::memcpy(&t, buffer.bytes, sizeof t);
    return t.c_ospeed;
}

} // namespace Termios2

#else

namespace Termios2 {

bool available() {
    return false;
}
unsigned long getRequest() {
    return 0;
}
unsigned long setRequest() {
    return 0;
}
void setRate(Buffer&, std::uint32_t) {}
std::uint32_t outputRate(const Buffer&) {
    return 0;
}

} // namespace Termios2

#endif
