#pragma once
// What every libcurl transfer of the program shares. The stop request: set
//   CURLOPT_XFERINFOFUNCTION to abortOnStopRequest and CURLOPT_NOPROGRESS to 0
// on every easy handle; a requested stop then ends the transfer with
// CURLE_ABORTED_BY_CALLBACK. libcurl calls the function about once a second
// while nothing arrives: a transfer driven through a multi handle that polls
// for at most kStopCheckInterval at a time notices a stop sooner.

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

#include "platform/StopRequest.h"
#include "platform/curl/CurlDownloader.h"
#include "platform/download/RefreshBounds.h"

namespace skyroll::platform {

inline constexpr std::chrono::milliseconds kStopCheckInterval{100};

inline int abortOnStopRequest(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return stopRequested() ? 1 : 0;
}

// A transfer's body, kept in memory up to `limit` bytes: set
// CURLOPT_WRITEFUNCTION to appendToBody and CURLOPT_WRITEDATA to the Body; a
// longer body ends the transfer with CURLE_WRITE_ERROR.
struct Body {
    std::string bytes;
    std::size_t limit = 0;
};
std::size_t appendToBody(char* data, std::size_t size, std::size_t count, void* user);

// libcurl's global set-up, once for the whole program, before its first handle.
void initialiseCurlOnce();

// The options every transfer of the program sets on a new or reset easy
// handle: GET `address`, http and https only (redirects too, at most the
// limits' number of them), no signals, the connect and transfer bounds of
// `bounds` each cut to `left` (one reading of its time left), at most the
// limits' bytes of body into `body`, any content encoding libcurl decodes,
// `userAgent`, and the stop request above.
void setTransferOptions(CURL* easy, const std::string& address, const RefreshBounds& bounds,
                        std::chrono::milliseconds left, const char* userAgent, Body& body);

// Runs the transfer of `easy` through `multi`, waiting for the network in
// slices of kStopCheckInterval; CURLE_ABORTED_BY_CALLBACK once a stop is
// requested, or `cancel` (when given) is set. Every libcurl transfer of the
// program goes through here.
CURLcode performStoppable(CURL* easy, CURLM* multi, const std::atomic<bool>* cancel = nullptr);

// performStoppable, and with `wait` on a thread of its own while the caller
// waits through `wait` in slices of kEventLoopSlice; when `wait` throws, the
// transfer ends at once and the exception goes on.
CURLcode performWaiting(CURL* easy, CURLM* multi, const EventLoopWait& wait);

}  // namespace skyroll::platform
