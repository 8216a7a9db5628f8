#pragma once
// A simulated sensor of the plain-text Halvern protocol, type 14 or 15, with a slowly moving
// target. It answers the distance request of its type when the request's closing '.' arrives:
//   type 15, "/020D0059.": "/020D00+" and six digits (thousandths of a millimetre), or
//          "/020D00+h" when no target is seen, then "\r"
//   type 14, "/020D0e0C.": "/020D" and five digits (hundredths of a millimetre), or "h"
//          (too far) / "l" (too near), then "\r"
// and stays silent to everything else.
#include "SimulatedLine.h"

#include <optional>
#include <string>

class Clock;

class SimHalvernSensor : public SimPeer {
public:
    explicit SimHalvernSensor(int type, Clock* clock = nullptr, std::uint32_t baud = 38400);

    int type() const { return m_type; }
    // Type 14 measures 100 to 500 mm, type 15 100 to 900 mm; a fixed distance outside the
    // range gives the out-of-range answer.
    void setFixedDistance(std::optional<double> mm) { m_fixedMm = mm; }
    double distanceAt(std::uint64_t ms) const;
    // The reply text for a time, as the sensor would send it.
    std::string replyAt(std::uint64_t ms) const;
    int requestsAnswered() const { return m_answered; }

    std::uint32_t baud() const override { return m_baud; }
    void receive(std::uint8_t byte, const LineSettings& line, SimulatedLine& out) override;

private:
    int m_type;
    Clock* m_clock;
    std::uint32_t m_baud;
    std::uint64_t m_ticks = 0;
    std::string m_input;
    std::optional<double> m_fixedMm;
    int m_answered = 0;
};
