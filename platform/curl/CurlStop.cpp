#include "platform/curl/CurlStop.h"

#include <mutex>
#include <thread>

namespace skyroll::platform {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void setTransferOptions(CURL* easy, const std::string& address, const RefreshBounds& bounds,
                        std::chrono::milliseconds left, const char* userAgent, Body& body) {
    const DownloadLimits& limits = bounds.limits();
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(bounds.connectTimeout(left).count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(bounds.pageTimeout(left).count()));
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendToBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, abortOnStopRequest);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
}

std::size_t appendToBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const std::size_t n = size * count;
    // Returning less than given ends the transfer with CURLE_WRITE_ERROR.
    if (n > body->limit - body->bytes.size()) return 0;
    body->bytes.append(data, n);
    return n;
}

CURLcode performStoppable(CURL* easy, CURLM* multi, const std::atomic<bool>* cancel) {
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) return CURLE_FAILED_INIT;
    CURLcode code = CURLE_OK;
    for (int running = 1;;) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            code = CURLE_RECV_ERROR;
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) code = message->data.result;
            }
            break;
        }
        if (stopRequested() || (cancel != nullptr && cancel->load())) {
            code = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (curl_multi_poll(multi, nullptr, 0, static_cast<int>(kStopCheckInterval.count()), nullptr) !=
            CURLM_OK) {
            code = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    return code;
}

CURLcode performWaiting(CURL* easy, CURLM* multi, const EventLoopWait& wait) {
    if (!wait) return performStoppable(easy, multi);
    std::atomic<bool> cancel{false}, done{false};
    CURLcode code = CURLE_FAILED_INIT;
    std::thread transfer([&] {
        code = performStoppable(easy, multi, &cancel);
        done = true;
    });
    try {
        while (!done) wait(kEventLoopSlice);
    } catch (...) {
        cancel = true;
        transfer.join();
        throw;
    }
    transfer.join();
    return code;
}

}  // namespace skyroll::platform
