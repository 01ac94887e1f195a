// W3getv on WinHTTP: the page converted to code page 932 and stored as the
// command says, through the same shared pieces as the libcurl downloader.

#include <optional>
#include <string>

#include "platform/DownloadCommand.h"
#include "platform/StopRequest.h"
#include "platform/common/ProgramText.h"
#include "platform/download/PageCharset.h"
#include "platform/download/PageStore.h"
#include "platform/download/RefreshBounds.h"
#include "platform/winhttp/WinHttp.h"
#include "platform/winhttp/WinHttpSession.h"

namespace skyroll::platform {
namespace {

constexpr std::int32_t kStored = 0;
constexpr std::int32_t kFailed = 1;

class WinHttpDownloader final : public Downloader {
public:
    WinHttpDownloader(DownloadLimits limits, TransferWait wait)
        : m_bounds(std::move(limits)), m_session(userAgent(Requester::PageDownloader), std::move(wait)) {}

    std::int32_t W3getv(std::string& command, std::int32_t& /*option*/) override {
        m_bounds.start();
        const std::optional<W3getvRequest> request = parseW3getvCommand(command);
        if (!request || request->file.empty()) return kFailed;
        const std::optional<std::string> page = fetch(request->address);
        const bool stored = storePage(*request, page ? *page : std::string());
        return stored && page ? kStored : kFailed;
    }

private:
    // The page converted to code page 932, or std::nullopt on any failure.
    std::optional<std::string> fetch(const std::string& address) {
        const std::string host = hostOf(address);
        if (host.empty() || m_bounds.isDown(host) || stopRequested()) return std::nullopt;
        const auto left = m_bounds.left();
        if (left.count() <= 0) return std::nullopt;
        const HttpResult result = m_session.get(address, m_bounds, left);
        if (result.outcome == HttpResult::Outcome::HostDown) m_bounds.markDown(host);
        if (!result.succeeded()) return std::nullopt;
        // The conversion counts towards the refresh's bound too: it gives up
        // when the bound is over.
        return pageInCp932(result.body, result.contentType, [this] { return m_bounds.over(); });
    }

    RefreshBounds m_bounds;
    WinHttpSession m_session;
};

}  // namespace

std::unique_ptr<Downloader> makeWinHttpDownloader(DownloadLimits limits, TransferWait wait) {
    return std::make_unique<WinHttpDownloader>(std::move(limits), std::move(wait));
}

}  // namespace skyroll::platform
