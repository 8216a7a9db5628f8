#pragma once
// What the QS40 window does, without its widgets: finding and connecting a QS40 sensor, the
// read, write and copy sequences over the text protocol, the measurement and what the window
// shows of it, and loading and saving project files. The window turns the results into message
// boxes and control states; it keeps only the timer and the widgets.
#include "Qs40DrawingGeometry.h"
#include "Qs40Loader.h"
#include "Qs40_speziell.h"
#include "SpiFile.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>

class Progress;
class Schnittstelle;

class Qs40Session {
public:
    static constexpr std::uint8_t kTypeMntb = 7;  // QS40MNTB, the text-protocol sensor
    static constexpr std::uint8_t kTypeMntd = 12; // QS40MNTD, known from project files
    static constexpr int kLastSearchedPort = 19;
    static constexpr int kDefaultTimeoutMs = 100;
    static constexpr int kMaxTimeoutMs = 10000;
    // What SetSensor puts into a parameter set that was never shown.
    static constexpr std::int32_t kStartSwitchL = 2000;
    static constexpr std::int32_t kStartSwitchH = 300;

    Qs40Session(Schnittstelle& ports, std::array<std::uint8_t, 256>& typePort, std::uint8_t& sensorType,
                Qs40ParameterSet& params);

    // "QS40MNTB", "QS40MNTD", or empty for a type this window does not know.
    static std::string sensorName(int sensorType);

    // Sets the range and limits for the current sensor type; the first time also the start
    // values of the parameter set. False (and nothing changed) for a type that is no QS40.
    // The protocol generation stays what the identification found.
    bool SetSensor();
    bool initialised() const { return m_initialised; }

    Qs40DrawingGeometry& geometry() { return m_geometry; }
    std::span<std::int32_t, 4> switchL() {
        return std::span<std::int32_t, 4>(m_params.SwitchL.data() + 1, 4);
    }
    std::span<std::int32_t, 4> switchH() {
        return std::span<std::int32_t, 4>(m_params.SwitchH.data() + 1, 4);
    }
    // Sensors of the old generation have one hysteresis for all switch points.
    const bool& commonHysteresis() const;
    Qs40ParameterSet& params() { return m_params; }
    std::uint8_t sensorType() const { return m_sensorType; }

    int PortNumber() const { return m_portNumber; }
    bool connected() const;
    bool connectedManually() const { return connected() && m_manual; }

    enum class Connect {
        Connected,
        NothingFound, // no sensor, or one of another family (its port is released)
        UnknownType,  // a sensor of the text family this window cannot show (port released)
        BadSettings,  // manual connection: a port or time-out out of range; nothing was tried
    };
    struct LineChoice {
        int port = 0;
        std::uint32_t baud = 0; // 0 when the text was not a number: refused
        int parityEntry = -1;   // the dialog's entries: 0 even, 1 odd, 2 none, 3 mark; none chosen: odd
        int stopBitsEntry = -1; // 0 one, 1 one and a half, 2 two; none chosen: one
        int dataBits = 8;
        int timeoutMs = kDefaultTimeoutMs;
    };
    // Tries COM 1..19 in turn (even parity, 100 ms, baud rates searched) and takes the first port
    // where any sensor answers; the window's own port is released first, ports held elsewhere
    // are skipped. A QS40MNTB there has its switch points read. zylctl narrows the ports to the
    // one line it was given and may lengthen the time-out for slow converters.
    Connect search(Progress* progress, int firstPort = 1, int lastPort = kLastSearchedPort,
                   std::uint32_t timeoutMs = kDefaultTimeoutMs);
    // Opens and identifies one port with the user's line settings; a QS40MNTB has its switch
    // points read.
    Connect connect(const LineChoice& choice, Progress* progress);
    // Opens `port` again after its adapter was pulled, with the line setting and time-outs the
    // connection had, and takes it as the connection without asking the sensor: one that sits
    // in its loader does not answer. Why it could not (nothing is open then), or nothing.
    std::optional<LinkReason> reopen(int port, const LineSettings& settings, const Timeouts& timeouts);
    void disconnect();

    // The window's exchanges; each returns whether it fully succeeded.
    bool readParameters(Progress* progress);
    bool writeSwitchPoints(Progress* progress);
    bool copyParameters(Progress* progress);
    bool readMeasurement();
    // The firmware update of the connected sensor, keeping its settings across the new firmware.
    Qs40UpdateResult firmwareUpdate(std::span<const std::uint8_t> imageFile, bool reduced,
                                    const Qs40PageReport& onPage);
    // Why the last exchange failed when the line itself failed (empty otherwise).
    const std::string& lineError() const { return m_ctx.lineError; }
    // The line failed under an operation (a pulled adapter): the session has disconnected.
    // Handed out once, so that it is told once.
    std::optional<LinkReason> takeLostLine() { return std::exchange(m_lost, std::nullopt); }

    // What the window shows of the last measurement.
    struct Display {
        int distance = 0;           // bar position, 0..range end
        int reserve = 0;            // function reserve in %, 0..100
        int connector = 0;          // picture of the two outputs, 0..3
        std::array<bool, 4> leds{}; // near 1, far 1, near 2, far 2
        bool pin2 = false;          // output of switch point 1 or 3 active
        bool pin4 = false;          // output of switch point 2 or 4 active
    };
    Display display() const;
    static int reservePercent(std::int32_t energy);

    // The project file of the current sensor type and parameter set.
    std::string projectFile() const;
    enum class Load {
        Loaded,
        Incomplete,  // switch-point or hysteresis lines missing; what was found is in place
        UnknownType, // the type line names no QS40: nothing changed
        Aborted,     // the user kept the connected sensor of another type: nothing changed
    };
    struct LoadOutcome {
        Load result = Load::Loaded;
        bool disconnected = false; // the connection ended for a file of another type
    };
    // confirmOtherType is asked when a sensor is connected and the file is of another type;
    // true ends the connection and loads.
    LoadOutcome load(const SpiFile::Parsed& file, const std::function<bool()>& confirmOtherType);

private:
    void releaseFoundPort(int port);
    // A QS40MNTB answered on port: the window's connection from now on.
    void taken(int port, bool manual);
    // After an operation: a line that failed ends the connection. True when it did.
    bool endIfLineFailed();

    Schnittstelle& m_ports;
    std::array<std::uint8_t, 256>& m_typePort;
    std::uint8_t& m_sensorType;
    Qs40ParameterSet& m_params;
    Qs40Context m_ctx;
    Qs40DrawingGeometry m_geometry;
    bool m_initialised = false;
    int m_portNumber = 0;
    bool m_connected = false;
    bool m_manual = false;
    std::optional<LinkReason> m_lost;
};
