// StopSignals::install() with the standard library alone, for systems without sigaction.
#include "StopSignals.h"

#include <csignal>

void StopSignals::install() {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}
