#pragma once
// The bounds of every downloader and weather service, whatever carries the
// transfer (libcurl, WinHTTP).

#include <chrono>
#include <cstddef>
#include <functional>

namespace skyroll::platform {

// The bounds of the downloader; tests set them smaller.
struct DownloadLimits {
    std::chrono::milliseconds connectTimeout{5'000};  // per page, to connect
    std::chrono::milliseconds pageTimeout{15'000};    // per page, all of it
    std::size_t maxBytes = 4 * 1024 * 1024;           // page larger: failure
    long maxRedirects = 3;
    // All calls of one downloader together, from its first call: a refresh
    // of 18 pages ends within this whatever the network does; later pages
    // fail at once.
    std::chrono::milliseconds refreshTimeout{45'000};
    // The clock the refresh's bound is measured on; tests give their own.
    std::function<std::chrono::steady_clock::time_point()> now = std::chrono::steady_clock::now;
};

}  // namespace skyroll::platform
