#pragma once
// A simulated QS40 sensor of the text protocol (STX text EOT requests), of the new generation
// (firmware revision 4 and above) or the old one (3 and below), with its firmware loader.
//
// It answers the identification "GVE" with "QS40MNTB $Revision: R.1 $" CR LF and every
// command of its generation: switch points ("GH"/"GL" new, "?L" old; "IH" on the old one only
// for switch point 1, "IL"), measurements ("INM1"/"ESM" new, "NOC1"/"TSM" old: "distance 0
// energy 0 state", the target moving slowly over the range), "es!" with the access code, then
// the limits, the three settings and the 256-word table; "WPP" stores (answered "!"), "twd"
// restarts from the stored values and locks again, "SUM" sets the user mode. Refused and
// unknown requests get NAK. Values go out as decimal text with CR LF, "GL"/"?L" with four digits.
//
// "UPF" with the access code (each of its bytes answered by one byte) starts the loader at
// 57600 baud: "B" is answered "E", "-" skips a page (ACK, then "P"), "D" and 256 bytes write a
// page (ACK for "D" and each byte, then "P"), pages counted from 0xC0000. After 250 ms of quiet
// the loader starts the new firmware, which begins with factory values.
#include "SimTextFrame.h"
#include "SimulatedLine.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Clock;

class SimQs40TextSensor : public SimPeer {
public:
    static constexpr std::uint32_t kLoaderBaud = 57600;
    static constexpr std::uint32_t kImageBase = 0xC0000;
    static constexpr std::size_t kPageSize = 256;
    static constexpr std::size_t kPages = 1025;
    static constexpr std::uint64_t kLoaderQuietMs = 250;

    struct Values {
        std::array<std::int32_t, 5> switchL{0, 2000, 3000, 4000, 5000}; // [1..4]
        std::array<std::int32_t, 5> switchH{0, 300, 300, 300, 300};
        std::int32_t limitEN = 180, limitEF = 100, limitDT = 2800, limitND = 350;
        std::int32_t paramNR = 4, paramTC = 20, paramTO = 100;
        std::array<std::int32_t, 256> curve{};
        bool operator==(const Values&) const = default;
    };
    static Values factoryValues();

    // Without a clock the target stands still and the loader is left only by leaveLoader().
    explicit SimQs40TextSensor(Clock* clock = nullptr, int revision = 4, std::uint32_t baud = 38400);

    int revision() const { return m_revision; }
    bool newGeneration() const { return m_revision > 3; }
    Values& values() { return m_live; }
    const Values& storedValues() const { return m_stored; }
    bool unlocked() const { return m_unlocked; }
    bool userMode() const { return m_userMode; }
    int restarts() const { return m_restarts; }
    std::int32_t distanceAt(std::uint64_t ms) const;

    bool inLoader() const { return m_loader; }
    void leaveLoader();
    // Flash from 0xC0000 on, 1025 pages, 0xFF where nothing was written.
    const std::vector<std::uint8_t>& flash() const { return m_flash; }
    int pagesWritten() const { return m_pagesWritten; }
    int pagesSkipped() const { return m_pagesSkipped; }

    // Every request text (between STX and EOT) and every loader command ("B", "-", "D" with its
    // page), as received. The listener gets the same with a request's STX and EOT.
    const std::vector<std::vector<std::uint8_t>>& frames() const { return m_frames; }
    void clearFrames() { m_frames.clear(); }
    void setFrameListener(std::function<void(const std::vector<std::uint8_t>&)> listener) {
        m_listener = std::move(listener);
    }

    std::uint32_t baud() const override;
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;

private:
    void request(const std::string& text, SimulatedLine& out);
    void loaderByte(std::uint8_t byte, SimulatedLine& out);
    void logLoader(std::vector<std::uint8_t> frame);
    std::uint64_t now() const;

    Clock* m_clock;
    int m_revision;
    std::uint32_t m_baud;
    Values m_live;
    Values m_stored;
    bool m_unlocked = false;
    bool m_userMode = false;
    bool m_measured = false;
    std::size_t m_nextWord = 0;
    int m_restarts = 0;
    SimTextFrame m_frame{32};

    bool m_loader = false;
    std::uint64_t m_lastLoaderByteMs = 0;
    std::size_t m_page = 0;     // page the next command is about, from 0
    std::size_t m_dataLeft = 0; // bytes of a "D" page still to come
    std::vector<std::uint8_t> m_pageBytes;
    std::vector<std::uint8_t> m_flash;
    int m_pagesWritten = 0;
    int m_pagesSkipped = 0;

    std::vector<std::vector<std::uint8_t>> m_frames;
    std::function<void(const std::vector<std::uint8_t>&)> m_listener;
};
