#pragma once
// Everything zylctl accepts on its command line, with the explanation --help and the manual
// page give for it.
#include "ProgramUsage.h"

const ProgramUsage& ZylctlUsage();
// Its texts in German, for --help and the usage errors of zylctl --lang de.
const UsageGerman& ZylctlUsageGerman();
