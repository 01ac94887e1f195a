#include "platform/curl/CurlWeatherService.h"

#include "platform/common/ProgramText.h"
#include "platform/curl/CurlStop.h"
#include "platform/download/RefreshBounds.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace skyroll::platform {
namespace {

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Multi = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

class CurlWeatherService final : public WeatherService {
public:
    CurlWeatherService(DownloadLimits limits, EventLoopWait wait)
        : m_bounds(std::move(limits)), m_wait(std::move(wait)) {
        initialiseCurlOnce();
    }

    std::optional<std::string> fetch(const std::string& address) override {
        m_bounds.restart();  // each request is a refresh of its own
        const auto left = m_bounds.left();
        if (!isWebAddress(address) || left.count() <= 0 || stopRequested()) return std::nullopt;

        // Declared in this order, the multi handle goes before the easy one.
        const Easy curl(curl_easy_init(), curl_easy_cleanup);
        if (!curl) return std::nullopt;
        const Multi multi(curl_multi_init(), curl_multi_cleanup);
        if (!multi) return std::nullopt;
        Body body{{}, m_bounds.limits().maxBytes};
        CURL* easy = curl.get();
        setTransferOptions(easy, address, m_bounds, left, userAgent(Requester::WeatherService), body);

        // A terminating signal ends the request within a stop check.
        const CURLcode code = performWaiting(easy, multi.get(), m_wait);
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        if (code != CURLE_OK || status < 200 || status > 299) return std::nullopt;
        return std::move(body.bytes);
    }

private:
    RefreshBounds m_bounds;
    EventLoopWait m_wait;
};

}  // namespace

std::unique_ptr<WeatherService> makeCurlWeatherService(DownloadLimits limits, EventLoopWait wait) {
    return std::make_unique<CurlWeatherService>(std::move(limits), std::move(wait));
}

}  // namespace skyroll::platform
