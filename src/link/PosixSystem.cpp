#include "PosixSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>

namespace {

class NativePosixSystem final : public PosixSystem {
public:
    int open(const char* path, int flags) override { return ::open(path, flags); }
    int close(int fd) override { return ::close(fd); }
    ssize_t read(int fd, void* buf, std::size_t count) override { return ::read(fd, buf, count); }
    ssize_t write(int fd, const void* buf, std::size_t count) override { return ::write(fd, buf, count); }
    int poll(pollfd* fds, nfds_t count, int timeoutMs) override { return ::poll(fds, count, timeoutMs); }
    int ioctl(int fd, unsigned long request, void* arg) override { return ::ioctl(fd, request, arg); }
    int tcgetattr(int fd, termios* t) override { return ::tcgetattr(fd, t); }
    int tcsetattr(int fd, int action, const termios* t) override { return ::tcsetattr(fd, action, t); }
    int tcdrain(int fd) override { return ::tcdrain(fd); }
    int tcflush(int fd, int queue) override { return ::tcflush(fd, queue); }
    int flock(int fd, int operation) override { return ::flock(fd, operation); }

    std::int64_t nowUs() override {
        using namespace std::chrono;
        return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleepUs(std::int64_t us) override {
        if (us > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(us));
    }

    std::string realPath(const std::string& path) override {
        char resolved[PATH_MAX];
        return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    }
    std::string lockDirectory() override {
        for (const char* dir : {"/var/lock", "/run/lock"}) {
            struct stat st {};
            if (::stat(dir, &st) == 0 && S_ISDIR(st.st_mode))
                return dir;
        }
        return {};
    }
};

} // namespace

PosixSystem& PosixSystem::native() {
    static NativePosixSystem system;
    return system;
}
