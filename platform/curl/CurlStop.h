#pragma once
// The stop request of the program for libcurl transfers: set
//   CURLOPT_XFERINFOFUNCTION to abortOnStopRequest and CURLOPT_NOPROGRESS to 0
// on every easy handle; a requested stop then ends the transfer with
// CURLE_ABORTED_BY_CALLBACK. libcurl calls the function about once a second
// while nothing arrives: a transfer driven through a multi handle that polls
// for at most kStopCheckInterval at a time notices a stop sooner.

#include <curl/curl.h>

#include <chrono>

#include "platform/StopRequest.h"

namespace skyroll::platform {

inline constexpr std::chrono::milliseconds kStopCheckInterval{100};

inline int abortOnStopRequest(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return stopRequested() ? 1 : 0;
}

// Runs the transfer of `easy` through `multi`, waiting for the network in
// slices of kStopCheckInterval; CURLE_ABORTED_BY_CALLBACK once a stop is
// requested. Every libcurl transfer of the program goes through here.
CURLcode performStoppable(CURL* easy, CURLM* multi);

}  // namespace skyroll::platform
