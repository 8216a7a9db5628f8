#pragma once
// Ctrl+C and SIGTERM ask zylctl to stop. The handler only notes the request; zylctl then sends
// nothing more, ends its wait and closes the port, which restores the line. A blocking system
// call is interrupted by the signal instead of resuming. install() is the platform's own.
namespace StopSignals {

void install();
bool requested();
// The handler install() sets up.
void onSignal(int number);

} // namespace StopSignals
