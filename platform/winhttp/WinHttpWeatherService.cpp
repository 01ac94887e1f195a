// The weather service's one request on WinHTTP, within the downloader's bounds.

#include <optional>
#include <string>

#include "platform/StopRequest.h"
#include "platform/common/ProgramText.h"
#include "platform/download/RefreshBounds.h"
#include "platform/winhttp/WinHttp.h"
#include "platform/winhttp/WinHttpSession.h"

namespace skyroll::platform {
namespace {

class WinHttpWeatherService final : public WeatherService {
public:
    WinHttpWeatherService(DownloadLimits limits, TransferWait wait)
        : m_bounds(std::move(limits)), m_session(userAgent(Requester::WeatherService), std::move(wait)) {}

    std::optional<std::string> fetch(const std::string& address) override {
        m_bounds.restart();  // each request is a refresh of its own
        const auto left = m_bounds.left();
        if (!isWebAddress(address) || left.count() <= 0 || stopRequested()) return std::nullopt;
        HttpResult result = m_session.get(address, m_bounds, left);
        if (!result.succeeded()) return std::nullopt;
        return std::move(result.body);
    }

private:
    RefreshBounds m_bounds;
    WinHttpSession m_session;
};

}  // namespace

std::unique_ptr<WeatherService> makeWinHttpWeatherService(DownloadLimits limits, TransferWait wait) {
    return std::make_unique<WinHttpWeatherService>(std::move(limits), std::move(wait));
}

}  // namespace skyroll::platform
