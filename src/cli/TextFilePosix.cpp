// The POSIX reader behind TextFile.h: the file is opened without blocking (a FIFO would wait
// for a writer for ever) and its type checked before anything is read.
#include "TextFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TextFile::ReadResult TextFile::read(const std::string& path, std::size_t maxBytes) {
    ReadResult result;
    const auto unreadable = [&result](std::string reason) {
        result.content.clear();
        result.error = ReadError::Unreadable;
        result.reason = std::move(reason);
        return result;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return unreadable(std::strerror(errno));
    struct stat st {};
    const bool statted = ::fstat(fd, &st) == 0;
    const int statError = errno;
    if (!statted || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (!statted)
            return unreadable(std::strerror(statError));
        return unreadable(S_ISDIR(st.st_mode) ? "is a directory" : "is not a regular file");
    }
    // One byte more than allowed tells a file at the limit from one beyond it.
    result.content.resize(maxBytes + 1);
    std::size_t got = 0;
    while (got < result.content.size()) {
        const ssize_t n = ::read(fd, result.content.data() + got, result.content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return unreadable(std::strerror(error));
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    result.content.resize(got);
    if (got > maxBytes) {
        result.content.clear();
        result.error = ReadError::TooLarge;
    }
    return result;
}
