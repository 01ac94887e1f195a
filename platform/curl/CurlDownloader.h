#pragma once
// W3getv on libcurl: fetches one page over http or https into a file in code
// page 932, within bounds of time and size.

#include <chrono>
#include <functional>
#include <memory>

#include "platform/Downloader.h"
#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

// How the caller's thread waits while a transfer is in flight: runs the
// program's event loop for at most the time given. It may throw (a
// ProgramEnded when the program ends inside); the transfer then ends at once
// and the exception goes on.
using EventLoopWait = std::function<void(std::chrono::milliseconds)>;

// How late a transfer's end is noticed at most when the caller waits through its event loop.
inline constexpr std::chrono::milliseconds kEventLoopSlice{50};

// One connection is kept and reused from call to call where the host allows
// it. A host that refused a connection, could not be found or timed out gets
// no further request from this downloader. A page whose transfer ends after
// the refresh's bound is not converted: it fails. Once a stop is requested
// (platform/StopRequest.h) the transfer in progress is aborted within a
// tenth of a second and every later call fails at once. With `wait`, each
// transfer runs on a thread of its own and the caller waits through `wait`
// in slices of kEventLoopSlice, so that the program's windows, timers and
// menus go on meanwhile; without it, the caller's thread waits for the
// network itself.
std::unique_ptr<Downloader> makeCurlDownloader(DownloadLimits limits = {}, EventLoopWait wait = {});

}  // namespace skyroll::platform
