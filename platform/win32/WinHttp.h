#pragma once
// W3getv and the weather service on WinHTTP: the same contract as the libcurl
// ones (platform/curl/CurlDownloader.h), on the system's own HTTP stack.

#include <memory>

#include "platform/Downloader.h"
#include "platform/WeatherService.h"
#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

// http and https only, within `limits`; the session keeps connections open
// from page to page where the host allows it. A host that refused a
// connection, could not be found or timed out gets no further request from
// this downloader. Once a stop is requested (platform/StopRequest.h) the call
// in progress returns within a tenth of a second and every later call fails
// at once.
std::unique_ptr<Downloader> makeWinHttpDownloader(DownloadLimits limits = {});

// Every fetch honours `limits` as the downloader does; requests carry
// weatherServiceUserAgent().
std::unique_ptr<WeatherService> makeWinHttpWeatherService(DownloadLimits limits = {});

}  // namespace skyroll::platform
