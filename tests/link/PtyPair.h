#pragma once
// A pseudo-terminal pair for tests of the POSIX serial device: the device opens the slave
// path, the test plays the sensor on the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class PtyPair {
public:
    PtyPair() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        if (const char* name = ::ptsname(m_master))
            m_slavePath = name;
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    bool ok() const { return m_master >= 0 && !m_slavePath.empty(); }
    const std::string& slavePath() const { return m_slavePath; }
    void send(const std::vector<std::uint8_t>& bytes) const {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t r = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (r <= 0)
                return;
            done += static_cast<std::size_t>(r);
        }
    }
    // Everything that arrives within `ms` after the last byte.
    std::vector<std::uint8_t> receive(int ms = 100) const {
        std::vector<std::uint8_t> out;
        pollfd p{m_master, POLLIN, 0};
        std::uint8_t buf[256];
        ssize_t r = 0;
        while (::poll(&p, 1, ms) > 0 && (p.revents & POLLIN) && (r = ::read(m_master, buf, sizeof buf)) > 0)
            out.insert(out.end(), buf, buf + r);
        return out;
    }
    void closeMaster() {
        if (m_master >= 0)
            ::close(std::exchange(m_master, -1));
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

// Sends bursts from another thread at chosen moments, as a sensor would.
class TimedSender {
public:
    struct Burst {
        int atMs;
        std::vector<std::uint8_t> bytes;
    };
    TimedSender(const PtyPair& pty, std::vector<Burst> bursts)
        : m_thread([&pty, bursts = std::move(bursts)] {
              const auto start = std::chrono::steady_clock::now();
              for (const Burst& b : bursts) {
                  std::this_thread::sleep_until(start + std::chrono::milliseconds(b.atMs));
                  pty.send(b.bytes);
              }
          }) {}
    ~TimedSender() { m_thread.join(); }

private:
    std::thread m_thread;
};
