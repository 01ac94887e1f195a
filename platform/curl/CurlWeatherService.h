#pragma once
// The weather service's one request on libcurl, within the downloader's bounds.

#include <memory>

#include "platform/WeatherService.h"
#include "platform/curl/CurlDownloader.h"

namespace skyroll::platform {

// Every fetch honours `limits`: connect time, time per request, size, and
// the time of a whole refresh counted from the first fetch. Requests carry a
// User-Agent naming Skyroll and its version.
std::unique_ptr<WeatherService> makeCurlWeatherService(DownloadLimits limits = {});

}  // namespace skyroll::platform
