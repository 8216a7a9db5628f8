#include "ParityMarkDecoder.h"

void ParityMarkDecoder::decode(const std::uint8_t* raw, std::size_t count, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = raw[i];
        switch (m_state) {
        case State::Plain:
            if (b == 0xFF)
                m_state = State::Escape;
            else
                out.push_back(b);
            break;
        case State::Escape:
            if (b == 0x00) {
                m_state = State::ErrorByte;
            } else {
                // 0xFF 0xFF is a genuine 0xFF. Anything else cannot come from the driver;
                // keep both bytes rather than lose one.
                out.push_back(0xFF);
                if (b != 0xFF)
                    out.push_back(b);
                m_state = State::Plain;
            }
            break;
        case State::ErrorByte:
            // The damaged byte is passed on as received, as the sensor protocols expect:
            // they check their frames themselves and only ask whether the line saw errors.
            out.push_back(b);
            ++m_errors;
            m_state = State::Plain;
            break;
        }
    }
}

std::size_t ParityMarkDecoder::takeErrors() {
    const std::size_t e = m_errors;
    m_errors = 0;
    return e;
}
