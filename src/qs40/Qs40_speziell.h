#pragma once
// The QS40 text protocol: each operation is one complete blocking exchange (or one fixed
// series of them) with the sensor, leaving its results in the parameter set. None shows a
// message; the windows turn the results into their own words.
//
// Every guarded operation addresses the port recorded for the QS40 type in TypePort. When that
// port is not open, or the sensor is not a QS40 of the text protocol (type 7), it sends nothing
// and reports failure: a window must never read "programming successful" when nothing was
// programmed. Otherwise it resynchronises the line once before its first request.
#include "Qs40ParameterSet.h"
#include "Schnittstelle.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

inline constexpr std::uint8_t kQs40SensorType = 7;
// The service access code that unlocks limits, settings and the word table.
inline constexpr const char* kQs40AccessCode = "48217";

// What the operations need of the program: the ports, the table from sensor type to COM
// number, the parameter set and, where the operation advances one, the progress bar.
struct Qs40Context {
    Qs40Context(Schnittstelle& ports, const std::array<std::uint8_t, 256>& typePort, Qs40ParameterSet& params,
                Progress* progress = nullptr)
        : ports(ports), TypePort(typePort), params(params), progress(progress) {}

    Schnittstelle& ports;
    const std::array<std::uint8_t, 256>& TypePort;
    Qs40ParameterSet& params;
    Progress* progress = nullptr;
    // Set when an operation stopped because the line itself failed: the device's words, and
    // the same as a reason a window can give in its own language.
    std::string lineError;
    LinkReason lineReason;

    void lineFailed(const SerialDevice& device) {
        lineError = device.lastError();
        lineReason = device.lastErrorReason();
    }
    void clearLineError() {
        lineError.clear();
        lineReason = {};
    }

    int port() const { return TypePort[kQs40SensorType]; }
};

// The guard: the open port of a QS40 sensor after SyncLine, or null (nothing to be sent).
SerialDevice* Qs40Prepare(Qs40Context& ctx, std::uint8_t sensorType);

// "GH" n (new generation) and "GL" n / "?L" n for the four switch points; all four are
// attempted. A NAK leaves the default 300 (hysteresis) or 2000 (distance) and fails.
bool Qs40ReadSwitchPoints(Qs40Context& ctx, std::uint8_t sensorType);
// "IH" n (old generation: switch point 1 only) and "IL" n; ends at the first refusal.
bool Qs40WriteSwitchPoints(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40ReadLimits(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40WriteLimits(Qs40Context& ctx, std::uint8_t sensorType);
// Starts a measurement and fetches it. A refused start zeroes distance, energy and state; a
// refused or unreadable fetch keeps the previous ones.
bool Qs40ReadMeasurement(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40Unlock(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40StoreEeprom(Qs40Context& ctx, std::uint8_t sensorType);
// "twd"; the sensor's restart chatter (up to 49 bytes) is read and dropped.
bool Qs40Restart(Qs40Context& ctx, std::uint8_t sensorType);
// Reads two bytes and drops them (what a sensor may still send after a step).
void Qs40DrainReply(Qs40Context& ctx);

bool Qs40ReadSettings(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40WriteSettings(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40ReadCurveTable(Qs40Context& ctx, std::uint8_t sensorType);
bool Qs40WriteCurveTable(Qs40Context& ctx, std::uint8_t sensorType);
// "SUM": the sensor's user mode.
bool Qs40Sum(Qs40Context& ctx, std::uint8_t sensorType);

// The handheld in its PC connection mode, on the port opened last (LastOpenedPort), without
// the guard. Sending needs a QS40 parameter set (type 7) and values of at most four digits.
bool Qs40SendToHandheld(Qs40Context& ctx, std::uint8_t sensorType);
// True only when all eight replies carried four digits; values already read stay.
bool Qs40ReadFromHandheld(Qs40Context& ctx);
// "mot", then the file in two-byte pieces (the last piece of an odd file holds one byte),
// each acknowledged. True when the whole file went over.
bool Qs40SendMotFile(Qs40Context& ctx, std::span<const std::uint8_t> file);
