#pragma once
// Ctrl+C and SIGTERM ask zylctl to stop. The handler only notes the request; zylctl then sends
// nothing more, ends its wait and closes the port, which restores the line. A blocking system
// call is interrupted by the signal instead of resuming. Each platform implements this in its
// own file.
namespace StopSignals {

void install();
bool requested();

} // namespace StopSignals
