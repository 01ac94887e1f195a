#include "platform/curl/CurlWeatherService.h"
#include "platform/curl/CurlStop.h"
#include "platform/download/RefreshBounds.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>

namespace skyroll::platform {
namespace {

bool isWebAddress(std::string_view address) {
    return address.starts_with("http://") || address.starts_with("https://");
}

class CurlWeatherService final : public WeatherService {
public:
    explicit CurlWeatherService(DownloadLimits limits) : m_bounds(std::move(limits)) {
        static std::once_flag once;
        std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    }

    std::optional<std::string> fetch(const std::string& address) override {
        m_bounds.start();
        const auto left = m_bounds.left();
        if (!isWebAddress(address) || left.count() <= 0 || stopRequested()) return std::nullopt;

        CURL* curl = curl_easy_init();
        if (curl == nullptr) return std::nullopt;
        CURLM* multi = curl_multi_init();
        if (multi == nullptr) {
            curl_easy_cleanup(curl);
            return std::nullopt;
        }
        const DownloadLimits& limits = m_bounds.limits();
        Body body{{}, limits.maxBytes};
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(m_bounds.connectTimeout(left).count()));
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(m_bounds.pageTimeout(left).count()));
        curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(curl, CURLOPT_USERAGENT, weatherServiceUserAgent());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendToBody);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortOnStopRequest);

        // A terminating signal ends the request within a stop check.
        const CURLcode code = performStoppable(curl, multi);
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_multi_cleanup(multi);
        curl_easy_cleanup(curl);
        if (code != CURLE_OK || status < 200 || status > 299) return std::nullopt;
        return std::move(body.bytes);
    }

private:
    RefreshBounds m_bounds;
};

}  // namespace

std::unique_ptr<WeatherService> makeCurlWeatherService(DownloadLimits limits) {
    return std::make_unique<CurlWeatherService>(std::move(limits));
}

}  // namespace skyroll::platform
