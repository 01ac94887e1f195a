// On Linux the network is libcurl's.

#include "platform/curl/CurlDownloader.h"
#include "platform/curl/CurlWeatherService.h"
#include "platform/download/Network.h"

namespace skyroll::platform {

std::unique_ptr<Downloader> makeNetworkDownloader(DownloadLimits limits) {
    return makeCurlDownloader(std::move(limits));
}

std::unique_ptr<WeatherService> makeNetworkWeatherService(DownloadLimits limits) {
    return makeCurlWeatherService(std::move(limits));
}

}  // namespace skyroll::platform
