#pragma once
// Collects the requests of the QS40-family text protocol byte by byte: STX starts one, EOT
// ends it. A request longer than any the device knows is dropped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SimTextFrame {
public:
    static constexpr std::uint8_t kStx = 0x02;
    static constexpr std::uint8_t kEot = 0x04;

    explicit SimTextFrame(std::size_t longest) : m_longest(longest) {}

    // True when this byte completed a request; text() then holds it until the next STX.
    bool feed(std::uint8_t byte) {
        if (byte == kStx) {
            m_inFrame = true;
            m_text.clear();
            return false;
        }
        if (!m_inFrame)
            return false;
        if (byte == kEot) {
            m_inFrame = false;
            return true;
        }
        m_text.push_back(static_cast<char>(byte));
        if (m_text.size() > m_longest)
            m_inFrame = false;
        return false;
    }
    bool inFrame() const { return m_inFrame; }
    const std::string& text() const { return m_text; }
    // The completed request as it came over the line, with its STX and EOT.
    std::vector<std::uint8_t> wire() const {
        std::vector<std::uint8_t> bytes{kStx};
        bytes.insert(bytes.end(), m_text.begin(), m_text.end());
        bytes.push_back(kEot);
        return bytes;
    }
    void reset() { m_inFrame = false; }

private:
    std::size_t m_longest;
    std::string m_text;
    bool m_inFrame = false;
};
