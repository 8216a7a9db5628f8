#pragma once
// zylctl's QS40 commands: the QS40 window's search, read, write ("setzen"), copy, measuring and
// firmware update from the command line, over the window's own session, so a sensor gets the
// same bytes from both and a project file saved by one is the other's.
#include "CliArguments.h"
#include "CliTexts.h"
#include "Qs40ParameterSet.h"
#include "Qs40Session.h"
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

class Qs40Ctl {
public:
    // `com` is the port named by --port; without --port the search runs over COM 1..19.
    Qs40Ctl(const CliArguments& args, DeviceProvider& provider, int com, Clock& clock, std::ostream& out,
            std::ostream& err, const CliTexts& texts, std::function<bool()> stopRequested);
    ~Qs40Ctl();
    Qs40Ctl(const Qs40Ctl&) = delete;
    Qs40Ctl& operator=(const Qs40Ctl&) = delete;

    int run();

private:
    int identify();
    int read();
    int write(bool copy);
    int poll();
    int update();

    // Finds the sensor: on the one line of --port, or on COM 1..19. Empty when connected,
    // otherwise the exit code (after the message).
    std::optional<int> connect();
    // A project file checked completely before the port is touched; empty on a file error
    // (reported).
    std::optional<SpiFile::Parsed> loadProjectFile();
    int fail(int code, std::string_view message);
    int failText(int code, CliText text, std::string_view detail = {});
    // Why the port failed under the last exchange, in the user's language; empty while it works.
    std::string lineFailure();

    const CliArguments& m_args;
    int m_com;
    std::ostream& m_out;
    std::ostream& m_err;
    const CliTexts& m_texts;
    std::function<bool()> m_stopRequested;
    StopProgress m_progress;

    TracingProvider m_tracing; // used with --verbose
    Schnittstelle m_ports;
    std::array<std::uint8_t, 256> m_typePort{};
    std::uint8_t m_sensorType = 0;
    Qs40ParameterSet m_params;
    Qs40Session m_session;
};
