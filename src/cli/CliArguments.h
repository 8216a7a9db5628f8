#pragma once
// The command line of zylctl: global options (they may also follow the command), one command
// and its own options and operands. Parsing only checks form and ranges; whether a port
// opens or a file can be read is found out when the command runs.
#include "SerialDevice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class CliCommand { Ports, Search, Read, Write, Store, Factory, SetAddress, Poll };

struct CliArguments {
    // Global options.
    std::string port = "1"; // a COM number 1..20, "COMn", or a device path
    std::uint32_t baud = 38400;
    RtsControl rts = RtsControl::Enable;
    std::uint32_t timeoutMs = 100; // read time-out constant while the sensor is being found
    std::optional<bool> english;   // --lang; empty: from the environment
    bool verbose = false;          // the bytes of every exchange on standard error

    CliCommand command = CliCommand::Ports;
    std::optional<int> address; // --address 1..128
    std::string outputFile;     // read -o
    std::string projectFile;    // write FILE
    bool store = false;         // write --store
    int newAddress = 0;         // set-address NEW, 1..127
    int count = 0;              // poll --count
    std::uint32_t intervalMs = 40;
    char pollCommand = 'A';
    std::string csvFile;

    // The number --port names ("3", "COM3"; not checked against 1..20), or empty when it names
    // a device path.
    std::optional<int> comNumber() const;
};

struct CliParseResult {
    std::optional<CliArguments> arguments; // empty on a usage error or for --help
    bool help = false;                     // --help: print the usage to standard output, exit 0
    bool version = false;                  // --version: print the version, exit 0
    std::string error;                     // the usage error, one line
};

CliParseResult ParseCliArguments(const std::vector<std::string>& args);

// The short usage text printed with every usage error.
std::string CliUsage();
// The text of --help.
std::string CliHelp();
