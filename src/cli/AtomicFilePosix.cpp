// The POSIX writer behind AtomicFile.h.
#include "AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxLinkHops = 40;

std::string errnoText(int error) {
    return std::strerror(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to `path` lands in: a link is followed to the file it names, which need not
// exist yet.
std::optional<std::string> resolveLinks(const std::string& path, std::string& file) {
    file = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0)
            return errno == ENOENT ? std::nullopt : std::optional(errnoText(errno));
        if (!S_ISLNK(st.st_mode))
            return std::nullopt;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(file.c_str(), buf, sizeof buf);
        if (n < 0 || static_cast<std::size_t>(n) >= sizeof buf)
            return n < 0 ? errnoText(errno) : std::string("link too long");
        std::string next(buf, static_cast<std::size_t>(n));
        file = next.starts_with('/') ? next : folderOf(file) + "/" + next;
    }
    return std::string("too many levels of links");
}

// Whether `file` (links already followed) may be replaced or created; `mode` gets the
// permissions the new file is to have.
std::optional<std::string> checkResolved(const std::string& file, mode_t& mode) {
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return std::string("is a directory");
        if (!S_ISREG(st.st_mode))
            return std::string("is not a regular file");
        // The write bits count even for a user the system lets write anything: a file made
        // read-only was made so on purpose.
        if ((st.st_mode & 0222) == 0 || ::access(file.c_str(), W_OK) != 0)
            return std::string("is read-only");
        mode = st.st_mode & 07777;
        return std::nullopt;
    }
    if (errno != ENOENT)
        return errnoText(errno);
    const std::string folder = folderOf(file);
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return "there is no folder " + folder;
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return "folder " + folder + ": " + errnoText(errno);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = static_cast<mode_t>(0666 & ~mask);
    return std::nullopt;
}

std::optional<std::string> prepare(const std::string& path, std::string& file, mode_t& mode) {
    if (path.empty())
        return std::string("no file name");
    if (auto why = resolveLinks(path, file))
        return why;
    return checkResolved(file, mode);
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A size limit of the process would otherwise end it with SIGXFSZ in the middle of the write.
class IgnoreFileSizeSignal {
public:
    IgnoreFileSizeSignal() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        m_saved = ::sigaction(SIGXFSZ, &ignore, &m_old) == 0;
    }
    ~IgnoreFileSizeSignal() {
        if (m_saved)
            ::sigaction(SIGXFSZ, &m_old, nullptr);
    }
    IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
    IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
    struct sigaction m_old {};
    bool m_saved = false;
};

} // namespace

namespace AtomicFile {

std::optional<std::string> checkTarget(const std::string& path) {
    std::string file;
    mode_t mode = 0;
    return prepare(path, file, mode);
}

std::optional<std::string> write(const std::string& path, std::string_view content) {
    std::string file;
    mode_t mode = 0;
    if (auto why = prepare(path, file, mode))
        return why;
    const IgnoreFileSizeSignal noSignal;
    // mkstemp creates the name exclusively: a link or file planted under it makes it pick
    // another name, never write through.
    std::string temp = folderOf(file) + "/." + nameOf(file) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return "folder " + folderOf(file) + ": " + errnoText(errno);
    const auto fail = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        return std::optional<std::string>(errnoText(error));
    };
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    if (!writeAll(fd, content))
        return fail(errno);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return errnoText(error);
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return errnoText(error);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::nullopt;
}

} // namespace AtomicFile
