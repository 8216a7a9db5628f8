#pragma once
// A simulated NUVA sensor of the ZYL 36 family: a QS40MNTD (type 12, measuring to 5300 mm) or a
// QS40MNTB (type 13, to 6000 mm) at a slave address, with a slowly moving target.
//
// Over a simulated line it listens like a nine-bit bus receiver: a byte whose ninth bit is 1
// (sent with mark parity, or without parity, where the stop bit stands there) is an address
// byte and starts a frame, answered when the address is its own; every following byte must
// come with a ninth bit of 0 (space parity), as another address byte starts a new frame. A
// pseudo-terminal carries no parity, so there the address byte is found by its place: the first
// byte of a frame whose length byte is plausible and whose checksum is right.
//
// Replies carry d[0] = the command (for ":" the function byte), the command's values, and the
// current distance as the last word. The sensor sends the first reply byte with a ninth bit of
// 1 and the rest with 0; a sensor set to talk 8 bits sends every byte with its stop bit there.
// Requests it does not know, or with the wrong data, get no reply. Every complete frame it
// hears is logged.
#include "NuvaCommands.h"
#include "SimulatedLine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class Clock;

class SimNuvaSensor : public SimPeer {
public:
    // Without a clock, time advances 100 ms per frame answered.
    explicit SimNuvaSensor(int sensorType, std::uint8_t slave = 222, Clock* clock = nullptr,
                           std::uint32_t baud = 57600);

    int sensorType() const { return m_type; }
    std::uint8_t slave() const { return m_slave; }
    std::uint16_t maxDistance() const;

    // The near-range switch-off: whether the sensor has it, and whether it is active.
    void setNearSwitchPresent(bool present) { m_nearPresent = present; }
    bool nearSwitchPresent() const { return m_nearPresent; }
    bool nearSwitchActive() const { return m_nearActive; }
    // False on a pseudo-terminal: the address byte is found by its place in the frame.
    void setParityVisible(bool visible);
    void setEightBitReplies(bool on) { m_eightBit = on; }
    // How long the EEPROM store takes before its reply (0: at once).
    void setStoreDelayMs(std::uint32_t ms) { m_storeDelayMs = ms; }
    void setFixedDistance(std::optional<std::uint16_t> mm) { m_fixedMm = mm; }
    std::uint16_t distanceAt(std::uint64_t ms) const;

    int activeField() const { return m_field; }
    int stores() const { return m_stores; }

    const std::vector<std::vector<std::uint8_t>>& frames() const { return m_frames; }
    void clearFrames() { m_frames.clear(); }
    void setFrameListener(std::function<void(const std::vector<std::uint8_t>&)> listener) {
        m_listener = std::move(listener);
    }
    // The port was opened again: a partial frame is dropped.
    void lineReset() { m_frame.clear(); }

    std::uint32_t baud() const override { return m_baud; }
    void setBaud(std::uint32_t baud) { m_baud = baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;

private:
    std::uint64_t nowMs() const;
    void scanByPlace(SimulatedLine& out);
    void frameComplete(std::vector<std::uint8_t> frame, SimulatedLine& out);
    // The reply data for a request, or nothing when the sensor stays silent.
    std::optional<std::vector<std::uint8_t>> handle(std::uint8_t command, std::span<const std::uint8_t> data);

    int m_type;
    std::uint8_t m_slave;
    Clock* m_clock;
    std::uint32_t m_baud;
    std::uint64_t m_ticks = 0;
    bool m_parityVisible = true;
    bool m_eightBit = false;
    bool m_nearPresent = true;
    bool m_nearActive = true;
    std::uint32_t m_storeDelayMs = 600;
    std::optional<std::uint16_t> m_fixedMm;
    NuvaSwitchPoints m_points;
    NuvaLimits m_limits{};
    int m_field = 0;
    int m_stores = 0;
    std::vector<std::uint8_t> m_frame;
    std::vector<std::vector<std::uint8_t>> m_frames;
    std::function<void(const std::vector<std::uint8_t>&)> m_listener;
};
