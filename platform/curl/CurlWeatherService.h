#pragma once
// The weather service's one request on libcurl, within the downloader's bounds.

#include <memory>

#include "platform/WeatherService.h"
#include "platform/curl/CurlDownloader.h"

namespace skyroll::platform {

// Every fetch honours `limits`: connect time, time per request, size, and
// the time of a whole refresh counted from that fetch. Requests carry a
// User-Agent naming Skyroll and its version. With `wait`, the transfer runs
// on a thread of its own and the caller waits through `wait` in slices of
// kEventLoopSlice, so that the program's windows, timers and menus go on
// meanwhile; without it, the caller's thread waits for the network itself.
std::unique_ptr<WeatherService> makeCurlWeatherService(DownloadLimits limits = {}, EventLoopWait wait = {});

}  // namespace skyroll::platform
