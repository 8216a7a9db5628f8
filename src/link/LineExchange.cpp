#include "LineExchange.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kNoInterval = std::numeric_limits<std::uint32_t>::max();

// All read time-outs zero (or an interval of MAXDWORD alone): reads return at once.
bool readsAtOnce(const Timeouts& t) {
    return t.readTotalConstantMs == 0 && t.readTotalMultiplierMs == 0 &&
           (t.readIntervalMs == 0 || t.readIntervalMs == kNoInterval);
}

} // namespace

LineExchange::LineExchange(SerialDevice& device, Clock& clock, LineHistory& history, int partner)
    : m_device(device), m_clock(clock), m_history(history), m_partner(partner), m_original(device.timeouts()),
      m_current(m_original) {}

LineExchange::~LineExchange() {
    useTimeouts(m_original);
    if (!m_started || m_replyEnded)
        return;
    auto& list = m_history.unsettled;
    std::erase_if(list, [this](const LineHistory::Unsettled& u) { return u.partner == m_partner; });
    // One more time-out for its first byte; once it comes, the wait lasts until it ends.
    list.push_back({m_partner, m_clock.nowMs() + budgetMs(m_original, 1)});
}

std::uint64_t LineExchange::budgetMs(const Timeouts& t, std::size_t bytes) {
    if (readsAtOnce(t))
        return 0;
    if (t.readTotalConstantMs == 0 && t.readTotalMultiplierMs == 0) // only the gap between bytes
        return std::uint64_t(t.readIntervalMs) * (bytes + 1);
    return std::uint64_t(t.readTotalConstantMs) + std::uint64_t(t.readTotalMultiplierMs) * bytes;
}

void LineExchange::useTimeouts(const Timeouts& timeouts) {
    if (timeouts == m_current)
        return;
    m_device.setTimeouts(timeouts);
    m_current = timeouts;
}

std::size_t LineExchange::readUntil(std::uint8_t* buf, std::size_t max, std::uint64_t deadline) {
    if (readsAtOnce(m_original))
        return m_device.read(buf, max);
    const std::uint64_t now = m_clock.nowMs();
    if (now >= deadline)
        return 0;
    const std::uint64_t left = deadline - now;
    const bool bounded = m_original.readTotalConstantMs != 0 || m_original.readTotalMultiplierMs != 0;
    const std::uint64_t own =
        std::uint64_t(m_original.readTotalConstantMs) + std::uint64_t(m_original.readTotalMultiplierMs) * max;
    if (bounded && own <= left) {
        useTimeouts(m_original);
    } else {
        // Only the time left: the read ends at the deadline or at a gap between bytes.
        Timeouts narrowed = m_original;
        narrowed.readTotalMultiplierMs = 0;
        narrowed.readTotalConstantMs = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(left, std::numeric_limits<std::uint32_t>::max()));
        useTimeouts(narrowed);
    }
    return m_device.read(buf, max);
}

void LineExchange::settle() {
    auto& list = m_history.unsettled;
    const std::uint64_t now = m_clock.nowMs();
    std::erase_if(list, [now](const LineHistory::Unsettled& u) { return u.untilMs <= now; });
    const auto late = std::find_if(list.begin(), list.end(), [this](const LineHistory::Unsettled& u) {
        return u.partner == m_partner || u.partner == kAnyPartner || m_partner == kAnyPartner;
    });
    if (late != list.end()) {
        const std::uint64_t until = late->untilMs;
        list.erase(late);
        std::uint8_t sink[256];
        for (;;) {
            const std::uint64_t before = m_clock.nowMs();
            const std::size_t n = readUntil(sink, sizeof sink, until);
            if (n == sizeof sink)
                continue;
            // Bytes that came and stopped were the late reply; no bytes until the time ran out
            // prove the line quiet.
            if (n > 0 || m_clock.nowMs() >= until || m_clock.nowMs() == before || !deviceError().empty())
                break;
        }
        useTimeouts(m_original);
    }
    m_device.purge(true, false);
}

void LineExchange::startDeadline(std::size_t bytes, std::uint32_t pauseMs) {
    m_started = true;
    m_deadline = m_clock.nowMs() + budgetMs(m_original, bytes) + pauseMs;
}

bool LineExchange::expired() const {
    return m_started && !readsAtOnce(m_original) && m_clock.nowMs() >= m_deadline;
}

std::size_t LineExchange::read(std::uint8_t* buf, std::size_t max) {
    if (max == 0)
        return 0;
    if (!m_started)
        return m_device.read(buf, max);
    return readUntil(buf, max, m_deadline);
}

void LineExchange::discard(std::size_t count) {
    std::uint8_t sink[64];
    while (count > 0) {
        const std::size_t n = read(sink, std::min(count, sizeof sink));
        if (n == 0)
            return;
        count -= n;
    }
}
