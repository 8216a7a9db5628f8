#pragma once
// The UUCP lock file of a serial line ("LCK..ttyUSB0" in /var/lock). Terminal and modem
// programs take one before they open a line, and so does this program, so a port in use
// elsewhere is reported as busy instead of two programs sharing its bytes.
#include <string>
#include <utility>

class UucpLock {
public:
    UucpLock() = default;
    ~UucpLock() { release(); }
    UucpLock(const UucpLock&) = delete;
    UucpLock& operator=(const UucpLock&) = delete;
    UucpLock(UucpLock&& other) noexcept : m_path(std::exchange(other.m_path, {})) {}
    UucpLock& operator=(UucpLock&& other) noexcept {
        if (this != &other) {
            release();
            m_path = std::exchange(other.m_path, {});
        }
        return *this;
    }

    // Takes the lock of `device` (a resolved path below /dev) in `directory`. A lock left by a
    // process that no longer runs is removed first. Returns 0 when the lock is ours, or when
    // no lock can be made at all (no such directory, no permission to write there: no reason
    // to refuse the line), and EBUSY when a running process holds it.
    int acquire(const std::string& directory, const std::string& device);
    // Removes our lock file, if we made one.
    void release();

    // "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_4" for /dev/pts/4.
    static std::string fileName(const std::string& device);

private:
    std::string m_path; // our lock file; empty while we hold none
};
