// W3getv on libcurl. One easy handle and one multi handle live as long as the
// downloader, so the connection is reused from page to page when the server
// keeps it open. The transfer runs through the multi handle, which waits for
// the network at most a tenth of a second at a time, so a stop request is
// seen at once.

#include "platform/curl/CurlDownloader.h"

#include <curl/curl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <system_error>

#include "platform/PathText.h"
#include "platform/curl/CurlStop.h"
#include "platform/curl/PageCharset.h"
#include "platform/curl/W3getvCommand.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::int32_t kStored = 0;
constexpr std::int32_t kFailed = 1;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// "host[:port]" of an http or https address, lower-cased; empty for any other
// address.
std::string hostOf(std::string_view address) {
    std::string lower(address.substr(0, 2048));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; });
    std::string_view rest(lower);
    if (rest.starts_with("http://")) {
        rest.remove_prefix(7);
    } else if (rest.starts_with("https://")) {
        rest.remove_prefix(8);
    } else {
        return {};
    }
    return std::string(rest.substr(0, rest.find_first_of("/?#")));
}

// Failures after which the host is not asked again in this refresh.
bool hostIsDown(CURLcode code) {
    return code == CURLE_COULDNT_CONNECT || code == CURLE_COULDNT_RESOLVE_HOST ||
           code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_OPERATION_TIMEDOUT;
}

// Writes the page (possibly empty) as `folder`/`file`. An existing entry of
// that name is removed first, so a link placed there is never followed.
bool storePage(const fs::path& folder, const std::string& file, std::string_view bytes) {
    const fs::path target = folder / file;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return false;
    fs::remove(target, error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

class CurlDownloader final : public Downloader {
public:
    explicit CurlDownloader(DownloadLimits limits) : m_limits(limits) {
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
        const auto now = m_limits.now();
        if (!m_deadline) m_deadline = now + m_limits.refreshTimeout;

        const std::optional<W3getvRequest> request = parseW3getvCommand(command);
        if (!request || request->file.empty()) return kFailed;

        std::optional<std::string> page = fetch(request->address);
        const bool stored =
            storePage(pathFromText(request->folder), request->file, page ? *page : std::string());
        return stored && page ? kStored : kFailed;
    }

private:
    // The page converted to code page 932, or std::nullopt on any failure.
    std::optional<std::string> fetch(const std::string& address) {
        const std::string host = hostOf(address);
        if (m_curl == nullptr || m_multi == nullptr || host.empty() || m_downHosts.contains(host) ||
            stopRequested())
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*m_deadline - m_limits.now());
        if (left.count() <= 0) return std::nullopt;

        Body body{{}, m_limits.maxBytes};
        curl_easy_reset(m_curl);  // keeps the open connection and the caches
        curl_easy_setopt(m_curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(m_curl, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(m_curl, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(m_curl, CURLOPT_MAXREDIRS, m_limits.maxRedirects);
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::min(m_limits.connectTimeout, left).count()));
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT_MS,
                         static_cast<long>(std::min(m_limits.pageTimeout, left).count()));
        curl_easy_setopt(m_curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(m_limits.maxBytes));
        curl_easy_setopt(m_curl, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(m_curl, CURLOPT_USERAGENT, "Skyroll/2.0");
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, appendToBody);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(m_curl, CURLOPT_XFERINFOFUNCTION, abortOnStopRequest);
        curl_easy_setopt(m_curl, CURLOPT_NOPROGRESS, 0L);

        const CURLcode code = performStoppable(m_curl, m_multi);
        long status = 0;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
        if (code != CURLE_OK) {
            if (hostIsDown(code)) m_downHosts.insert(host);
            return std::nullopt;
        }
        if (status < 200 || status > 299) return std::nullopt;
        // The conversion counts towards the refresh's bound too.
        if (m_limits.now() >= *m_deadline) return std::nullopt;

        char* contentType = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_TYPE, &contentType);
        std::string charset = contentType != nullptr ? charsetOfContentType(contentType) : std::string();
        if (charset.empty()) charset = charsetOfMetaTag(body.bytes);
        return pageToCp932(body.bytes, charset);
    }

    DownloadLimits m_limits;
    CURL* m_curl = nullptr;
    CURLM* m_multi = nullptr;
    std::optional<Clock::time_point> m_deadline;
    std::set<std::string> m_downHosts;
};

}  // namespace

std::unique_ptr<Downloader> makeCurlDownloader(DownloadLimits limits) {
    return std::make_unique<CurlDownloader>(limits);
}

}  // namespace skyroll::platform
