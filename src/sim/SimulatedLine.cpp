#include "SimulatedLine.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <limits>

SimulatedLine::SimulatedLine(Clock* clock) : m_clock(clock) {}

void SimulatedLine::attach(SimPeer* peer) {
    if (peer && std::find(m_peers.begin(), m_peers.end(), peer) == m_peers.end())
        m_peers.push_back(peer);
}

void SimulatedLine::detach(SimPeer* peer) {
    std::erase(m_peers, peer);
}

void SimulatedLine::corruptIncoming(std::size_t index, std::uint8_t xorMask) {
    m_corrupt.emplace_back(m_delivered + index, xorMask);
}

bool SimulatedLine::hears(const SimPeer* peer) const {
    return std::find(m_peers.begin(), m_peers.end(), peer) != m_peers.end() &&
           peer->baud() == m_settings.baud;
}

std::uint8_t SimulatedLine::dataMask() const {
    return static_cast<std::uint8_t>((1u << m_settings.dataBits) - 1u);
}

void SimulatedLine::enqueue(std::uint8_t byte, std::uint64_t availableAt, std::optional<bool> ninthBit) {
    // A delayed reply must not hold back bytes that arrive earlier (an echo, noise), and
    // bytes arriving at the same moment keep the order they were sent in.
    auto at = m_rx.end();
    while (at != m_rx.begin() && std::prev(at)->availableAt > availableAt)
        --at;
    m_rx.insert(at, {byte, availableAt, ninthBit});
}

void SimulatedLine::deliver(const std::uint8_t* data, std::size_t count) {
    deliverFramed(data, count, Framing{});
}

void SimulatedLine::deliver(const std::vector<std::uint8_t>& data, const Framing& framing) {
    deliverFramed(data.data(), data.size(), framing);
}

void SimulatedLine::deliverFramed(const std::uint8_t* data, std::size_t count, const Framing& framing) {
    const std::uint8_t mask = dataMask();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t b = data[i];
        const std::size_t index = m_delivered++;
        if (m_drop > 0) {
            --m_drop;
            continue;
        }
        for (auto it = m_corrupt.begin(); it != m_corrupt.end();) {
            if (it->first == index) {
                b ^= it->second;
                it = m_corrupt.erase(it);
            } else {
                ++it;
            }
        }
        const ByteFate fate = m_fate ? m_fate(index, b) : ByteFate{};
        if (fate.drop)
            continue;
        b ^= fate.xorMask;
        const std::uint64_t at = now() + m_delayMs + framing.delayMs + fate.delayMs;
        enqueue(static_cast<std::uint8_t>(b & mask), at, framing.ninthBit);
        if (fate.duplicate)
            enqueue(static_cast<std::uint8_t>(b & mask), at, framing.ninthBit);
    }
}

bool SimulatedLine::ninthBit(std::uint8_t byte, const LineSettings& line) {
    const bool odd = std::popcount(static_cast<unsigned>(byte)) % 2 != 0;
    switch (line.parity) {
    case Parity::Space:
        return false;
    case Parity::Even:
        return odd;
    case Parity::Odd:
        return !odd;
    case Parity::Mark:
    case Parity::None:
        break;
    }
    return true;
}

std::uint8_t SimulatedLine::framingErrors(const Pending& pending) const {
    if (!pending.ninthBit || *pending.ninthBit == ninthBit(pending.byte, m_settings))
        return 0;
    return m_settings.parity == Parity::None ? LineError::Framing : LineError::Parity;
}

void SimulatedLine::injectNoise(const std::vector<std::uint8_t>& bytes) {
    for (std::uint8_t b : bytes)
        enqueue(static_cast<std::uint8_t>(b & dataMask()), now());
}

void SimulatedLine::waitMs(std::uint64_t ms) {
    if (ms == 0)
        return;
    if (!m_clock) {
        m_ownTimeMs += ms;
        return;
    }
    while (ms > 0) {
        const std::uint64_t step = std::min<std::uint64_t>(ms, UINT32_MAX);
        m_clock->sleepMs(static_cast<std::uint32_t>(step));
        ms -= step;
    }
}

std::size_t SimulatedLine::read(std::uint8_t* buf, std::size_t max) {
    if (!m_failure.empty() || max == 0)
        return 0;
    if (m_rx.empty()) {
        const std::vector<SimPeer*> peers = m_peers; // idle() may attach or detach devices
        for (SimPeer* peer : peers)
            if (hears(peer))
                peer->idle(m_settings, *this);
    }
    const std::uint64_t total =
        std::uint64_t(m_timeouts.readTotalConstantMs) + std::uint64_t(m_timeouts.readTotalMultiplierMs) * max;
    // All-zero time-outs (or an interval of MAXDWORD alone) return what is there at once.
    const bool atOnce =
        total == 0 && (m_timeouts.readIntervalMs == 0 ||
                       m_timeouts.readIntervalMs == std::numeric_limits<std::uint32_t>::max());
    if (m_rx.empty()) {
        waitMs(total);
        return 0;
    }
    // A delayed reply that arrives within the total time-out is waited for; a later one is not.
    const std::uint64_t first = m_rx.front().availableAt;
    const std::uint64_t t0 = now();
    if (first > t0) {
        if (atOnce)
            return 0;
        if (total != 0 && first - t0 > total) {
            waitMs(total);
            return 0;
        }
        waitMs(first - t0);
    }
    std::size_t n = 0;
    const std::uint64_t t = now();
    while (n < max && !m_rx.empty() && m_rx.front().availableAt <= t) {
        m_lineErrors |= framingErrors(m_rx.front());
        buf[n++] = m_rx.front().byte;
        m_rx.pop_front();
    }
    return n;
}

std::size_t SimulatedLine::write(const std::uint8_t* data, std::size_t count) {
    if (m_failAfter && m_failAfter->first-- == 0) {
        m_failure = std::move(m_failAfter->second);
        m_failAfter.reset();
    }
    if (!m_failure.empty())
        return 0;
    const std::uint8_t mask = dataMask();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = static_cast<std::uint8_t>(data[i] & mask);
        m_written.push_back(data[i]);
        if (m_echo)
            enqueue(b, now());
        // Copy: a device may attach or detach others while it handles a byte. One that was
        // detached meanwhile (and may be gone) hears nothing more.
        const std::vector<SimPeer*> peers = m_peers;
        for (SimPeer* peer : peers)
            if (hears(peer))
                peer->receive(b, m_settings, *this);
    }
    return count;
}

void SimulatedLine::purge(bool rx, bool /*tx*/) {
    if (!rx)
        return;
    if (!m_purgeKeepsBytesOnTheirWay) {
        m_rx.clear();
        return;
    }
    const std::uint64_t t = now();
    std::erase_if(m_rx, [t](const Pending& p) { return p.availableAt <= t; });
}

bool SimulatedLine::applySettings(const LineSettings& settings) {
    if (m_accept && !m_accept(settings))
        return false;
    if (settings.dataBits < 4 || settings.dataBits > 8)
        return false;
    m_settings = settings;
    return true;
}

bool SimulatedLine::setTimeouts(const Timeouts& timeouts) {
    m_timeouts = timeouts;
    return true;
}

LinkReason SimulatedLine::lastErrorReason() const {
    if (m_failure.empty())
        return {};
    return LinkReason::transferFailure(m_deviceName, "reading", true, m_failure);
}

std::uint8_t SimulatedLine::takeLineErrors() {
    const std::uint8_t e = static_cast<std::uint8_t>(m_lineErrors | (m_lineError ? LineError::Parity : 0));
    m_lineError = false;
    m_lineErrors = 0;
    return e;
}
