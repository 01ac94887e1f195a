#pragma once
// The program's one stop request: a terminating signal sets it, and every
// transfer and every wait of the program checks it and gives up at once, so
// that the program can end within a second even in the middle of the weather
// refresh. It is never cleared while the program runs.

namespace skyroll::platform {

// Safe to call from a signal handler.
void requestStop() noexcept;

bool stopRequested() noexcept;

// Takes the request back; for tests, which run many refreshes in one process.
void clearStopRequest() noexcept;

}  // namespace skyroll::platform
