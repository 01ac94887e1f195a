#include "platform/curl/CurlWeatherService.h"
#include "platform/curl/CurlStop.h"
#include "platform/download/RefreshBounds.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace skyroll::platform {
namespace {

bool isWebAddress(std::string_view address) {
    return address.starts_with("http://") || address.starts_with("https://");
}

using Easy = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using Multi = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

class CurlWeatherService final : public WeatherService {
public:
    CurlWeatherService(DownloadLimits limits, EventLoopWait wait)
        : m_bounds(std::move(limits)), m_wait(std::move(wait)) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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
        const DownloadLimits& limits = m_bounds.limits();
        Body body{{}, limits.maxBytes};
        CURL* easy = curl.get();
        curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(m_bounds.connectTimeout(left).count()));
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(m_bounds.pageTimeout(left).count()));
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(easy, CURLOPT_USERAGENT, weatherServiceUserAgent());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendToBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, abortOnStopRequest);

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
