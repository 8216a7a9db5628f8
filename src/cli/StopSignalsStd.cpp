// StopSignals.h with the standard library alone, for systems without sigaction.
#include "StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int) {
    g_stop = 1;
}

} // namespace

namespace StopSignals {

void install() {
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
}

bool requested() {
    return g_stop != 0;
}

} // namespace StopSignals
