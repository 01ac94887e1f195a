// On Windows the network is WinHTTP's.

#include "platform/download/Network.h"
#include "platform/winhttp/WinHttp.h"

namespace skyroll::platform {

std::unique_ptr<Downloader> makeNetworkDownloader(DownloadLimits limits) {
    return makeWinHttpDownloader(std::move(limits));
}

std::unique_ptr<WeatherService> makeNetworkWeatherService(DownloadLimits limits) {
    return makeWinHttpWeatherService(std::move(limits));
}

}  // namespace skyroll::platform
