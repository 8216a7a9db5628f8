#pragma once
// The bash completion of a program with commands, generated from its usage table: the
// commands, the global options and each command's own options (those named in its synopsis),
// the values of options that have a fixed set, file names where a file is asked for, and for
// a port the COM numbers and the serial devices the machine has.
#include "ProgramUsage.h"

#include <string>

std::string bashCompletion(const ProgramUsage& usage);
