#pragma once
// The command line of zylctl: global options (they may also follow the command), one command
// and its own options and operands. Parsing only checks form and ranges; whether a port
// opens or a file can be read is found out when the command runs.
#include "SerialDevice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliCommand {
    Ports,
    Search,
    Read,
    Write,
    Store,
    Factory,
    SetAddress,
    Poll,
    // "qs40 ...": the QS40 sensors of the text protocol. They stay the last ones.
    Qs40Identify,
    Qs40Read,
    Qs40Write,
    Qs40Copy,
    Qs40Poll,
    Qs40Update,
    // "nuva ...": the ZYL 36 sensors on the NUVA link.
    NuvaSearch,
    NuvaRead,
    NuvaWrite,
    NuvaField,
    NuvaPoll,
    NuvaLimits,
};

// Whether the command talks to a QS40 sensor of the text protocol.
bool IsQs40Command(CliCommand command);
// Whether the command talks to a ZYL 36 sensor on the NUVA link.
bool IsNuvaCommand(CliCommand command);

struct CliArguments {
    // Global options.
    std::string port = "1"; // a COM number 1..20, "COMn", or a device path
    bool portGiven = false; // without --port the QS40 commands search COM 1..19
    std::uint32_t baud = 38400;
    RtsControl rts = RtsControl::Enable;
    std::uint32_t timeoutMs = 100; // read time-out constant while the sensor is being found
    bool timeoutGiven = false;     // the nuva commands keep the window's time-outs unless given
    std::optional<bool> english;   // --lang; empty: from the environment
    bool verbose = false;          // the bytes of every exchange on standard error

    CliCommand command = CliCommand::Ports;
    std::optional<int> address;    // --address 1..128
    std::string outputFile;        // read -o
    std::string projectFile;       // write FILE, qs40 write|copy FILE, qs40 update IMAGE, nuva write FILE
    bool all = false;              // search --all: every address that answers
    bool reduced = false;          // qs40 update --reduced
    bool store = false;            // write --store
    int newAddress = 0;            // set-address NEW, 1..127
    int count = 0;                 // poll --count
    std::uint32_t intervalMs = 40; // qs40 poll: 200 ms unless given, as the QS40 window polls
    char pollCommand = 'A';
    std::string csvFile;
    std::uint8_t slave = 222;        // nuva --slave
    std::uint8_t master = 1;         // nuva --master
    bool noStore = false;            // nuva write --no-store
    int field = 0;                   // nuva field N, 0..3
    std::vector<long long> limitSet; // nuva limits --set: the eight values; empty: only read

    // The number --port names ("3", "COM3"; not checked against 1..20), or empty when it names
    // a device path.
    std::optional<int> comNumber() const;
};

struct CliParseResult {
    std::optional<CliArguments> arguments; // empty on a usage error or for --help
    bool help = false;                     // --help: print the usage to standard output, exit 0
    bool version = false;                  // --version: print the version, exit 0
    std::string error;                     // the usage error, one line, in the language below
    bool english = true;                   // --lang wherever it stands, else the default given
};

// `englishByDefault`: the language without --lang (zylctl takes it from the environment).
CliParseResult ParseCliArguments(const std::vector<std::string>& args, bool englishByDefault = true);

// The short usage text printed with every usage error.
std::string CliUsage(bool english = true);
// The text of --help.
std::string CliHelp(bool english = true);
