#pragma once
// The weather service's one request on libcurl, within the downloader's bounds.

#include <chrono>
#include <functional>
#include <memory>

#include "platform/WeatherService.h"
#include "platform/curl/CurlDownloader.h"

namespace skyroll::platform {

// How the caller's thread waits while a transfer is in flight: runs the
// program's event loop for at most the time given. It may throw (a
// ProgramEnded when the program ends inside); the transfer then ends at once
// and the exception goes on.
using EventLoopWait = std::function<void(std::chrono::milliseconds)>;

// Every fetch honours `limits`: connect time, time per request, size, and
// the time of a whole refresh counted from that fetch. Requests carry a
// User-Agent naming Skyroll and its version. With `wait`, the transfer runs
// on a thread of its own and the caller waits through `wait` in slices of
// kEventLoopSlice, so that the program's windows, timers and menus go on
// meanwhile; without it, the caller's thread waits for the network itself.
std::unique_ptr<WeatherService> makeCurlWeatherService(DownloadLimits limits = {}, EventLoopWait wait = {});

// How late a transfer's end is noticed at most when the caller waits through its event loop.
inline constexpr std::chrono::milliseconds kEventLoopSlice{50};

}  // namespace skyroll::platform
