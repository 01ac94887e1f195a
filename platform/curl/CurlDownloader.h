#pragma once
// W3getv on libcurl: fetches one page over http or https into a file in code
// page 932, within bounds of time and size.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/Downloader.h"

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

// One connection is kept and reused from call to call where the host allows
// it. A host that refused a connection, could not be found or timed out gets
// no further request from this downloader. A page whose transfer ends after
// the refresh's bound is not converted: it fails. Once a stop is requested
// (platform/StopRequest.h) the transfer in progress is aborted within a
// tenth of a second and every later call fails at once.
std::unique_ptr<Downloader> makeCurlDownloader(DownloadLimits limits = {});

}  // namespace skyroll::platform
