#pragma once
// zylctl's ZYL 36 commands: the ZYL 36 window's search, read, write with read-back, protection
// field, distance polls and limit parameters from the command line, over the window's own
// session, so a sensor gets the same requests from both and a project file saved by one is the
// other's.
#include "CliArguments.h"
#include "CliTexts.h"
#include "NuvaProjectFile.h"
#include "NuvaSession.h"
#include "Qs40ParameterSet.h"
#include "Schnittstelle.h"
#include "StopProgress.h"
#include "TracingProvider.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

class Clock;
class DeviceProvider;

class NuvaCtl {
public:
    // `com` is the port named by --port; without --port the search runs over COM 1..19.
    NuvaCtl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
            std::ostream& err, const CliTexts& texts, std::function<bool()> stopRequested);
    ~NuvaCtl();
    NuvaCtl(const NuvaCtl&) = delete;
    NuvaCtl& operator=(const NuvaCtl&) = delete;

    int run();

private:
    int search();
    int read();
    int write();
    int field();
    int poll();
    int limits();

    // Finds the sensor: on the one line of --port, or on COM 1..19. Empty when connected,
    // otherwise the exit code (after the message).
    std::optional<int> connect();
    // A project file checked completely before the port is touched; empty on a file error
    // (reported).
    std::optional<NuvaProjectValues> loadProjectFile();
    // Switch points as the window's editors hold them for the sensor found.
    std::array<long long, kNuvaSwitchPointCount>
    pointsOnScale(const std::array<double, kNuvaSwitchPointCount>& points) const;
    // A file error (exit 2) when `path` could not be written, found out before the sensor is
    // searched, so nothing is read or measured for nothing.
    std::optional<int> checkOutput(const std::string& path);
    int save(const std::string& path, std::string_view content, int codeOnSuccess);
    // The line's own reason when the port failed, else the window's message for the situation.
    int failExchange(CliText text, std::string_view detail = {});
    int fail(int code, std::string_view message);
    // Why the port failed under the last exchange, in the user's language; empty while it works.
    std::string lineFailure();
    // Sleeps in short steps; false when a stop was requested meanwhile.
    bool pause(std::uint64_t ms);

    const CliArguments& m_args;
    int m_com;
    std::ostream& m_out;
    std::ostream& m_err;
    const CliTexts& m_texts;
    StopProgress m_progress;

    TracingProvider m_tracing; // used with --verbose
    Schnittstelle m_ports;
    std::array<std::uint8_t, 256> m_typePort{};
    Qs40ParameterSet m_qs40; // the session's type 7 sensors; zylctl looks for NUVA sensors only
    NuvaSession m_session;
};
