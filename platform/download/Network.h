#pragma once
// The system's own network backend (libcurl on Linux, WinHTTP on Windows),
// for the programs that do not care which: each backend library defines
// these, and the target skyroll_network names the one of the build.

#include <memory>

#include "platform/Downloader.h"
#include "platform/WeatherService.h"
#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

std::unique_ptr<Downloader> makeNetworkDownloader(DownloadLimits limits = {});
std::unique_ptr<WeatherService> makeNetworkWeatherService(DownloadLimits limits = {});

}  // namespace skyroll::platform
