#pragma once
// The system calls PosixSerialDevice makes, behind one small interface. The program uses the
// operating system's own (native()); tests put a scripted line behind it, so the exact order
// and timing of the calls can be checked without hardware.
#include <poll.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct termios;

class PosixSystem {
public:
    virtual ~PosixSystem() = default;

    // Each behaves like the C function of the same name, errno included.
    virtual int open(const char* path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual ssize_t read(int fd, void* buf, std::size_t count) = 0;
    virtual ssize_t write(int fd, const void* buf, std::size_t count) = 0;
    virtual int poll(pollfd* fds, nfds_t count, int timeoutMs) = 0;
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual int tcgetattr(int fd, termios* t) = 0;
    virtual int tcsetattr(int fd, int action, const termios* t) = 0;
    virtual int tcdrain(int fd) = 0;
    virtual int tcflush(int fd, int queue) = 0;
    virtual int flock(int fd, int operation) = 0;

    // Monotonic time and pauses in microseconds: one character at 115200 baud takes 87 µs.
    virtual std::int64_t nowUs() = 0;
    virtual void sleepUs(std::int64_t us) = 0;

    // The device a path stands for (symbolic links such as /dev/serial/by-id resolved); the
    // path itself when it cannot be resolved.
    virtual std::string realPath(const std::string& path) = 0;
    // Where the UUCP lock files of serial lines live; empty for none.
    virtual std::string lockDirectory() = 0;

    // The operating system. It holds no state.
    static PosixSystem& native();
};
