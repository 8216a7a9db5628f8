// StopSignals.h with sigaction: without SA_RESTART, so a blocking call returns EINTR.
#include "StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int) {
    g_stop = 1;
}

} // namespace

namespace StopSignals {

void install() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

bool requested() {
    return g_stop != 0;
}

} // namespace StopSignals
