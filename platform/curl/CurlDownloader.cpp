// W3getv on libcurl. One easy handle and one multi handle live as long as the
// downloader, so the connection is reused from page to page when the server
// keeps it open. The transfer runs through the multi handle, which waits for
// the network at most a tenth of a second at a time, so a stop request is
// seen at once.

#include "platform/curl/CurlDownloader.h"

#include <curl/curl.h>

#include <optional>
#include <string>

#include "platform/DownloadCommand.h"
#include "platform/common/ProgramText.h"
#include "platform/curl/CurlStop.h"
#include "platform/download/PageCharset.h"
#include "platform/download/PageStore.h"
#include "platform/download/RefreshBounds.h"

namespace skyroll::platform {
namespace {

constexpr std::int32_t kStored = 0;
constexpr std::int32_t kFailed = 1;

// Failures after which the host is not asked again in this refresh.
bool hostIsDown(CURLcode code) {
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
           code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_OPERATION_TIMEDOUT;
}

class CurlDownloader final : public Downloader {
public:
    CurlDownloader(DownloadLimits limits, EventLoopWait wait)
        : m_bounds(std::move(limits)), m_wait(std::move(wait)) {
        initialiseCurlOnce();
        m_curl = curl_easy_init();
        m_multi = curl_multi_init();
    }
    ~CurlDownloader() override {
        if (m_curl != nullptr) curl_easy_cleanup(m_curl);
        if (m_multi != nullptr) curl_multi_cleanup(m_multi);
    }
    CurlDownloader(const CurlDownloader&) = delete;
    CurlDownloader& operator=(const CurlDownloader&) = delete;

    std::int32_t W3getv(std::string& command, std::int32_t& /*option*/) override {
        m_bounds.start();

        const std::optional<W3getvRequest> request = parseW3getvCommand(command);
        if (!request || request->file.empty()) return kFailed;

        std::optional<std::string> page = fetch(request->address);
        const bool stored = storePage(*request, page ? *page : std::string());
        return stored && page ? kStored : kFailed;
    }

private:
    // The page converted to code page 932, or std::nullopt on any failure.
    std::optional<std::string> fetch(const std::string& address) {
        const std::string host = hostOf(address);
        if (m_curl == nullptr || m_multi == nullptr || host.empty() || m_bounds.isDown(host) ||
            stopRequested())
            return std::nullopt;
        const auto left = m_bounds.left();
        if (left.count() <= 0) return std::nullopt;

        Body body{{}, m_bounds.limits().maxBytes};
        curl_easy_reset(m_curl);  // keeps the open connection and the caches
        setTransferOptions(m_curl, address, m_bounds, left, userAgent(Requester::PageDownloader), body);

        const CURLcode code = performWaiting(m_curl, m_multi, m_wait);
        long status = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
        if (code != CURLE_OK) {
            if (hostIsDown(code)) m_bounds.markDown(host);
            return std::nullopt;
        }
        if (status < 200 || status > 299) return std::nullopt;
        char* contentType = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_TYPE, &contentType);
        // The conversion counts towards the refresh's bound too: it gives up
        // when the bound is over.
        return pageInCp932(body.bytes, contentType != nullptr ? contentType : "",
                           [this] { return m_bounds.over(); });
    }

    RefreshBounds m_bounds;
    EventLoopWait m_wait;
    CURL* m_curl = nullptr;
    CURLM* m_multi = nullptr;
};

}  // namespace

std::unique_ptr<Downloader> makeCurlDownloader(DownloadLimits limits, EventLoopWait wait) {
    return std::make_unique<CurlDownloader>(std::move(limits), std::move(wait));
}

}  // namespace skyroll::platform
