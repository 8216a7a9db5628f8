#pragma once
// The command line of zylconfig, read before the application object exists, so that --help,
// --version and a wrong option need no display. No Qt.
#include "ProgramUsage.h"

#include <string>
#include <vector>

struct LaunchOptions {
    bool demo = false;
    bool help = false;
    bool version = false;
    std::string error;              // a usage error, one line; empty when the line is good
    std::vector<std::string> words; // the arguments that are no options, in order (access words)
};

// `args` without the program name. Qt's own options that the table lists are let through
// (with their values) for the application object to take.
LaunchOptions ParseLaunchOptions(const std::vector<std::string>& args);

const ProgramUsage& ZylconfigUsage();
