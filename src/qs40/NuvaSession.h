#pragma once
// The connection and logic of the ZYL 36 window, without widgets: finding the sensor, reading
// and writing the 16 switch points and four hysteresis values with read-back, the EEPROM
// store, the protection field, distance polls with the supervision output, and the limit
// parameters. It talks to the NUVA sensors (types 12 and 13) over the NUVA link and to the
// QS40MNTB-Metall (type 7) over the QS40 text protocol. Nothing here shows a message: every
// operation returns what happened and the window words it.
#include "NuvaCommands.h"
#include "Qs40ParameterSet.h"
#include "Qs40_nuva_speziell.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class Schnittstelle;
class SerialDevice;
class Progress;
struct Qs40Context;

class NuvaSession {
public:
    static constexpr int kTextProtocolType = 7;
    static constexpr int kLastSearchPort = 19;
    static constexpr int kTeachPolls = 101;
    static constexpr int kDefaultMonitorPort = 4;
    static constexpr int kDefaultTolerance = 100;
    // The progress bar's length for a whole search: the first pass advances it by 4 per port,
    // the second by 4 per rate and port.
    static constexpr int kSearchProgress = kLastSearchPort * 4 + kLastSearchPort * 5 * 4;

    // The text-protocol operations of a type 7 sensor use the program's QS40 parameter set.
    NuvaSession(Schnittstelle& ports, std::array<std::uint8_t, 256>& typePort, Qs40ParameterSet& qs40);
    ~NuvaSession();
    NuvaSession(const NuvaSession&) = delete;
    NuvaSession& operator=(const NuvaSession&) = delete;

    // The switch points stand on a scale from 304 mm in steps of 16 mm up to the end of the
    // sensor's measuring range: 5300 mm for the QS40MNTD, 6000 mm for the other kinds.
    static constexpr int kPointScaleStart = 304;
    static constexpr int kPointScaleStep = 16;
    static constexpr int maxDistance(int sensorType) { return sensorType == kNuvaTypeMntd ? 5300 : 6000; }
    // A switch point as the window's editors hold it, and so as the sensor gets it: limited to
    // the scale (a value that is not a number counts as its start), then put on the nearest
    // step, halves upwards, or on the last step below a range end that is no step.
    static long long pointOnScale(double mm, int maxDistance);

    // The window's address fields and "8-bit Sensor" option.
    NuvaLinkOptions options;
    // Polls ask for the signal energy too ("P" instead of "C").
    bool withEnergy = false;
    bool waitLongStore = true;
    bool waitLongOther = false;

    int portNumber() const { return m_port; }
    void setPortNumber(int com) { m_port = com; }
    // 0 none, 7, 12 or 13.
    int connectedType() const { return m_type; }
    const std::string& sensorVersion() const { return m_version; }
    bool portOpen() const;
    // The reply bytes of the last exchange, for the status line.
    const std::vector<std::uint8_t>& lastReceived() const { return m_lastReceived; }
    // The line's own error that ended the last operation (empty when none).
    const std::string& lineError() const { return m_lineError; }
    // The sensor's line failed (a pulled adapter): the session has ended its supervision and
    // closed the port. Also a port whose device went away during a search or a manual
    // connection that then found nothing. Handed out once, so that it is told once.
    std::optional<LinkReason> takeLostLine() { return std::exchange(m_lost, std::nullopt); }

    // ---- Connection ----------------------------------------------------------------------------
    struct Connection {
        int sensorType = 0; // 0: nothing found (the port is closed again)
        int port = 0;
        std::string identReply; // type 7: the text protocol's identification reply
        std::string failure;    // why the port could not be used (open error or line error)
    };
    // Where a search looks: the window looks at COM 1..19 with its own read time-outs; a
    // caller that knows its line names that one port, and a slow line may need longer.
    struct SearchLines {
        int firstPort = 1;
        int lastPort = kLastSearchPort;
        std::uint32_t readTimeoutMs = 0; // 0: 50 ms at 57600 baud, then 100 ms at every rate
    };
    // Closes the current port, then looks at the ports (skipping ports that are open): first
    // at 57600 baud with a 50 ms read time-out, then at every rate with 100 ms. The progress's
    // stop request ends the search before the next port.
    Connection search(Progress* progress, const SearchLines& lines);
    Connection search(Progress* progress) { return search(progress, SearchLines{}); }
    // The same one port at a time, for a window that keeps its events flowing between ports:
    // beginSearch(), then searchStep() until it returns true with the result.
    void beginSearch(const SearchLines& lines);
    void beginSearch() { beginSearch(SearchLines{}); }
    bool searchStep(Progress* progress, Connection& result);
    // The NUVA link at 57600 baud on one port, and when no NUVA sensor answers, the text
    // protocol at every rate. A text-protocol sensor other than type 7 counts as not found; a
    // port another window holds is left alone.
    Connection connectManual(int com);
    // Ends the supervision and closes the port, when this session opened it.
    void disconnect();

    // ---- Parameters ----------------------------------------------------------------------------
    struct ReadResult {
        bool ok = false;
        // How many switch points the sensor has: 16 for the NUVA sensors, the four of the
        // "Gerade" field for type 7. Only these and the hysteresis values are valid.
        std::size_t pointCount = 0;
        NuvaSwitchPoints values;
        // The near-range switch-off as the sensor reported it (NUVA sensors, when ":" was answered).
        std::optional<NuvaNearSwitch> nearSwitch;
    };
    ReadResult read();

    struct WriteResult {
        int errors = 0;
        std::uint32_t mismatch = 0; // bit k: word k read back differs from what was written
        bool stored = false;        // the EEPROM store that follows a clean write succeeded
        bool transferred() const { return errors == 0 && mismatch == 0; }
    };
    // Writes every point (type 7: the four "Gerade" points) and the hysteresis values, reads
    // them back and, when all arrived, stores them in the EEPROM (unless told not to: the values
    // then hold until the sensor is switched off). Values must fit 16 bits (the window refuses
    // others); without a known sensor nothing is sent and one error counted.
    WriteResult write(const std::array<long long, kNuvaSwitchPointCount>& points,
                      const std::array<long long, kNuvaHysteresisCount>& hysteresis, Progress* progress,
                      bool storeAfterwards = true);
    // "S" with the long wait (type 7: the text protocol's store). False when the port is closed.
    bool store();
    // Protection field 0 "Gerade", 1 "Rechts", 2 "Links", 3 "Weitwinkel".
    bool selectField(int field);

    // ---- Limits --------------------------------------------------------------------------------
    // The eight limit values in the dialog's order. Type 7 fills only "Energie Fern" (3),
    // "Energie Nah" (4), "Abstand N/F" (6) and "Nahzone" (7); the others stay 0.
    std::optional<std::array<long long, kNuvaLimitCount>> readLimits();
    struct LimitWrite {
        bool ok = false;     // every request was accepted (and the store succeeded)
        bool stored = false; // the EEPROM store ran and succeeded
    };
    // nearActive: set the near-range switch-off first ("*"), when the dialog shows it.
    LimitWrite writeLimits(const std::array<long long, kNuvaLimitCount>& values,
                           std::optional<bool> nearActive);

    // ---- Distance and supervision ----------------------------------------------------------------
    struct Poll {
        bool ok = false;
        int distance = 0;
        std::optional<int> energy;
        bool teaching = false;         // supervision is still learning the mean
        std::optional<bool> deviation; // supervision: the distance left the tolerance (RTS cleared)
    };
    // One measurement. A failed one ends the supervision (the monitor port is closed).
    Poll poll();

    // Opens the monitor port through the device provider and starts teaching. Empty when
    // started, else why not (nothing is started then).
    std::string startSupervision(int monitorPort, int tolerance);
    void stopSupervision();
    bool supervising() const { return m_monitor != nullptr; }
    int monitorCount() const { return m_monitorCount; }
    long long monitorSum() const { return m_monitorSum; }
    int monitorTolerance() const { return m_tolerance; }

private:
    NuvaReply exchange(const NuvaRequest& request, bool waitLong);
    bool exchangeOk(const NuvaRequest& request, bool waitLong) { return exchange(request, waitLong).ok(); }
    void closePort();
    // The line of the connection failed: nothing more can go over it.
    void endConnection(const LinkReason& why);
    void takeLineFailure(const Qs40Context& ctx);
    Connection connected(int com, int type);
    Poll superviseDistance(Poll poll);
    // Type 7: the text protocol's operations.
    bool runQs40(bool (*operation)(Qs40Context&, std::uint8_t), Progress* progress = nullptr);
    ReadResult readQs40();
    WriteResult writeQs40(const std::array<long long, kNuvaSwitchPointCount>& points,
                          const std::array<long long, kNuvaHysteresisCount>& hysteresis, Progress* progress,
                          bool storeAfterwards);
    std::optional<std::array<long long, kNuvaLimitCount>> readLimitsQs40();
    LimitWrite writeLimitsQs40(const std::array<long long, kNuvaLimitCount>& values);

    Schnittstelle& m_ports;
    std::array<std::uint8_t, 256>& m_typePort;
    Qs40ParameterSet& m_qs40;
    int m_port = 0;
    bool m_connected = false; // m_port was opened by this session and is still its own
    int m_type = 0;
    int m_typeBeforeSearch = 0;
    SearchLines m_searchLines;
    int m_searchStep = 0; // pass * ports + port - firstPort
    std::string m_version;
    std::vector<std::uint8_t> m_lastReceived;
    std::string m_lineError;
    std::optional<LinkReason> m_lost;

    std::unique_ptr<SerialDevice> m_monitor;
    int m_monitorCount = 0;
    long long m_monitorSum = 0;
    int m_tolerance = kDefaultTolerance;
};
