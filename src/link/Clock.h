#pragma once
// Every fixed pause and busy wait of the protocols goes through a Clock, so tests can run
// them on a fake clock without sleeping.
#include <chrono>
#include <cstdint>
#include <thread>

class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleepMs(std::uint32_t ms) = 0;
    virtual std::uint64_t nowMs() const = 0;
};

class SystemClock : public Clock {
public:
    void sleepMs(std::uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    std::uint64_t nowMs() const override {
        using namespace std::chrono;
        return static_cast<std::uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

// Time moves only when somebody sleeps (or a simulated line waits out a time-out).
class FakeClock : public Clock {
public:
    void sleepMs(std::uint32_t ms) override {
        m_now += ms;
        m_slept += ms;
    }
    std::uint64_t nowMs() const override { return m_now; }
    void advance(std::uint64_t ms) { m_now += ms; }
    std::uint64_t totalSleptMs() const { return m_slept; }

private:
    std::uint64_t m_now = 0;
    std::uint64_t m_slept = 0;
};
