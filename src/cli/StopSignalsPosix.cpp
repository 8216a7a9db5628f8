// StopSignals::install() with sigaction: without SA_RESTART, so a blocking call returns EINTR.
#include "StopSignals.h"

#include <csignal>
#include <initializer_list>

void StopSignals::install() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
