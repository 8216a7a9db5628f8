#include "UucpLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The process named in a lock file: ten decimal digits in the usual format, a raw int in the
// old binary one; 0 when the file says nothing usable.
pid_t ownerOf(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    char* end = nullptr;
    const long pid = std::strtol(text, &end, 10);
    if (end != text && pid > 0)
        return static_cast<pid_t>(pid);
    if (n == static_cast<ssize_t>(sizeof(int))) {
        int binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary > 0 ? binary : 0;
    }
    return 0;
}

bool processRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

} // namespace

std::string UucpLock::fileName(const std::string& device) {
    std::string name = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    for (char& c : name)
        if (c == '/')
            c = '_';
    return "LCK.." + name;
}

int UucpLock::acquire(const std::string& directory, const std::string& device) {
    release();
    if (directory.empty() || device.rfind("/dev/", 0) != 0)
        return 0; // only devices are locked
    const std::string path = directory + "/" + fileName(device);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            char text[16];
            const int n = std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(::getpid()));
            const bool written = ::write(fd, text, static_cast<std::size_t>(n)) == n;
            ::close(fd);
            if (!written) {
                ::unlink(path.c_str());
                return 0;
            }
            m_path = path;
            return 0;
        }
        if (errno != EEXIST)
            return 0; // no lock directory we may write to: lock files are not used here
        const pid_t owner = ownerOf(path);
        if (owner != 0 && processRuns(owner))
            return EBUSY;
        // Left by a program that ended without cleaning up, or no lock file at all.
        ::unlink(path.c_str());
    }
    return EBUSY;
}

void UucpLock::release() {
    if (!m_path.empty())
        ::unlink(m_path.c_str());
    m_path.clear();
}
