#include "StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stop = 0;

} // namespace

namespace StopSignals {

void onSignal(int) {
    g_stop = 1;
}

bool requested() {
    return g_stop != 0;
}

} // namespace StopSignals
