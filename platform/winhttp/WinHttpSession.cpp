#include "platform/winhttp/WinHttpSession.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/StopRequest.h"

namespace skyroll::platform {
namespace {

using Clock = std::chrono::steady_clock;
using Outcome = HttpResult::Outcome;

// The bounds of one transfer.
struct HttpBounds {
    std::chrono::milliseconds connectTimeout;
    std::chrono::milliseconds wholeTimeout;  // the whole transfer
    std::size_t maxBytes;                    // a longer body is a failure
    long maxRedirects;
};

constexpr std::chrono::milliseconds kStopCheckInterval{100};
constexpr std::size_t kMaxAddressLength = 2048;
constexpr DWORD kMaxContentTypeLength = 1024;
constexpr DWORD kReadChunk = 64 * 1024;

// A WinHTTP handle closed when the last owner lets go of it.
std::shared_ptr<void> ownHandle(HINTERNET handle) {
    if (handle == nullptr) return {};
    return std::shared_ptr<void>(handle, [](void* h) { WinHttpCloseHandle(h); });
}

// Addresses are plain ASCII; anything else is refused rather than guessed at.
bool toWide(std::string_view ascii, std::wstring& wide) {
    if (ascii.empty() || ascii.size() > kMaxAddressLength) return false;
    wide.clear();
    for (char c : ascii) {
        if (c <= ' ' || c > '~') return false;
        wide.push_back(static_cast<wchar_t>(c));
    }
    return true;
}

int toTimeout(std::chrono::milliseconds ms) {
    return static_cast<int>(std::clamp<long long>(ms.count(), 1, 24LL * 3600 * 1000));
}

Outcome failureOf(DWORD error) {
    return (error == ERROR_WINHTTP_CANNOT_CONNECT || error == ERROR_WINHTTP_NAME_NOT_RESOLVED ||
            error == ERROR_WINHTTP_TIMEOUT)
               ? Outcome::HostDown
               : Outcome::Failed;
}

HttpResult endedBy(Outcome outcome) {
    HttpResult result;
    result.outcome = outcome;
    return result;
}

// What a transfer and the call that waits for it share.
struct Transfer {
    Transfer() : finished(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Transfer() {
        if (finished != nullptr) CloseHandle(finished);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    std::mutex mutex;
    HANDLE finished;  // set once result holds the outcome
    std::atomic<bool> abandoned{false};
    HttpResult result;
    bool answerLeftUnread = false;  // the connection holds the rest of an answer
};

std::string contentTypeOf(HINTERNET request) {
    wchar_t buffer[kMaxContentTypeLength];
    DWORD size = sizeof(buffer);
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, buffer, &size,
                             WINHTTP_NO_HEADER_INDEX))
        return {};
    std::string text;
    for (DWORD i = 0; i < size / sizeof(wchar_t); ++i)
        text.push_back(buffer[i] < 0x80 ? static_cast<char>(buffer[i]) : '?');
    return text;
}

// The transfer itself, on its own thread: every WinHTTP call of one request.
HttpResult run(HINTERNET session, const std::wstring& address, const HttpBounds& bounds,
               const std::atomic<bool>& abandoned, bool& answerLeftUnread) {
    HttpResult result;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0)
        return result;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.dwUrlPathLength > 0 ? parts.lpszUrlPath : L"/",
                      parts.dwUrlPathLength > 0 ? parts.dwUrlPathLength : 1);
    if (parts.dwExtraInfoLength > 0) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const std::shared_ptr<void> connection = ownHandle(WinHttpConnect(session, host.c_str(), parts.nPort, 0));
    if (!connection) {
        result.outcome = failureOf(GetLastError());
        return result;
    }
    const std::shared_ptr<void> request = ownHandle(WinHttpOpenRequest(
        connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
        parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return result;
    const int connect = toTimeout(bounds.connectTimeout), whole = toTimeout(bounds.wholeTimeout);
    WinHttpSetTimeouts(request.get(), connect, connect, whole, whole);
    DWORD redirects = static_cast<DWORD>(std::max(0L, bounds.maxRedirects));
    WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects,
                     sizeof(redirects));
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_ALWAYS;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));
    // Windows 8.1 and later decode gzip and deflate themselves and then ask
    // for them; elsewhere the option fails and the answer comes plain.
    DWORD decompression = WINHTTP_DECOMPRESSION_FLAG_ALL;
    WinHttpSetOption(request.get(), WINHTTP_OPTION_DECOMPRESSION, &decompression, sizeof(decompression));

    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                            0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        result.outcome = failureOf(GetLastError());
        return result;
    }
    DWORD status = 0, size = sizeof(status);
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        return result;
    // A body announced as too large is not read at all.
    DWORD announced = 0;
    size = sizeof(announced);
    if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &announced, &size, WINHTTP_NO_HEADER_INDEX) &&
        announced > bounds.maxBytes) {
        answerLeftUnread = true;
        return result;
    }
    result.status = status;
    result.contentType = contentTypeOf(request.get());

    std::string chunk(kReadChunk, '\0');
    for (;;) {
        if (abandoned) {
            answerLeftUnread = true;
            return result;
        }
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), chunk.data(), kReadChunk, &read)) {
            result.outcome = failureOf(GetLastError());
            result.body.clear();
            return result;
        }
        if (read == 0) break;
        // The body is bounded while it arrives, whatever the header said.
        if (read > bounds.maxBytes - result.body.size()) {
            result.body.clear();
            answerLeftUnread = true;
            return result;
        }
        result.body.append(chunk.data(), read);
    }
    result.outcome = Outcome::Answered;
    return result;
}

}  // namespace

WinHttpSession::WinHttpSession(const char* userAgent, TransferWait wait) : m_wait(std::move(wait)) {
    if (!toWide(userAgent, m_userAgent)) m_userAgent = L"Skyroll";
    if (!m_wait)
        m_wait = [](void* done, unsigned long ms) { return WaitForSingleObject(done, ms) == WAIT_OBJECT_0; };
    open();
}

void WinHttpSession::open() {
    m_session = ownHandle(WinHttpOpen(m_userAgent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
}

HttpResult WinHttpSession::get(const std::string& address, const RefreshBounds& refresh,
                               std::chrono::milliseconds left) {
    const HttpBounds bounds{refresh.connectTimeout(left), refresh.pageTimeout(left),
                            refresh.limits().maxBytes, refresh.limits().maxRedirects};
    std::wstring wide;
    if (!m_session || !toWide(address, wide)) return {};
    if (stopRequested()) return endedBy(Outcome::Stopped);

    auto transfer = std::make_shared<Transfer>();
    if (transfer->finished == nullptr) return {};
    try {
        std::thread([session = m_session, transfer, wide, bounds] {
            bool answerLeftUnread = false;
            HttpResult result = run(static_cast<HINTERNET>(session.get()), wide, bounds, transfer->abandoned,
                                    answerLeftUnread);
            const std::lock_guard<std::mutex> lock(transfer->mutex);
            transfer->result = std::move(result);
            transfer->answerLeftUnread = answerLeftUnread;
            SetEvent(transfer->finished);
        }).detach();
    } catch (const std::system_error&) {
        return {};
    }

    const auto deadline = Clock::now() + bounds.wholeTimeout;
    for (;;) {
        const auto now = Clock::now();
        const auto slice = std::chrono::ceil<std::chrono::milliseconds>(
            std::min<Clock::duration>(kStopCheckInterval, std::max(deadline - now, Clock::duration{})));
        bool finished = false;
        try {
            finished = m_wait(transfer->finished, static_cast<unsigned long>(slice.count()));
        } catch (...) {
            // The program ended while it waited.
            transfer->abandoned = true;
            throw;
        }
        if (finished) {
            const std::lock_guard<std::mutex> lock(transfer->mutex);
            if (transfer->answerLeftUnread) open();
            return std::move(transfer->result);
        }
        if (stopRequested()) {
            transfer->abandoned = true;
            open();
            return endedBy(Outcome::Stopped);
        }
        if (Clock::now() >= deadline) {
            // As a timeout of WinHTTP itself: the host is not asked again.
            transfer->abandoned = true;
            open();
            return endedBy(Outcome::HostDown);
        }
    }
}

}  // namespace skyroll::platform
