#pragma once
// W3getv on libcurl: fetches one page over http or https into a file in code
// page 932, within bounds of time and size.

#include <memory>

#include "platform/Downloader.h"
#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

// One connection is kept and reused from call to call where the host allows
// it. A host that refused a connection, could not be found or timed out gets
// no further request from this downloader. A page whose transfer ends after
// the refresh's bound is not converted: it fails. Once a stop is requested
// (platform/StopRequest.h) the transfer in progress is aborted within a
// tenth of a second and every later call fails at once.
std::unique_ptr<Downloader> makeCurlDownloader(DownloadLimits limits = {});

}  // namespace skyroll::platform
