#pragma once
// W3getv and the weather service on WinHTTP: the same contract as the libcurl
// ones (platform/curl/CurlDownloader.h), on the system's own HTTP stack.

#include <functional>
#include <memory>

#include "platform/Downloader.h"
#include "platform/WeatherService.h"
#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

// How the caller of a transfer waits for it, in slices of a tenth of a
// second: up to `milliseconds` for the event `done` (a HANDLE) to be set;
// true once it is. The desktop program runs its message loop meanwhile
// (Win32Toolkit::waitForObject), so that its windows keep answering and a
// request to end the program is seen; that wait throws ProgramEnded once the
// program has ended, and the transfer is then given up. Empty: the thread
// just waits.
using TransferWait = std::function<bool(void* done, unsigned long milliseconds)>;

// http and https only, within `limits`; the session keeps connections open
// from page to page where the host allows it. A host that refused a
// connection, could not be found or timed out gets no further request from
// this downloader. Once a stop is requested (platform/StopRequest.h) the call
// in progress returns within a tenth of a second and every later call fails
// at once.
std::unique_ptr<Downloader> makeWinHttpDownloader(DownloadLimits limits = {}, TransferWait wait = {});

// Every fetch honours `limits` as the downloader does; requests carry the
// weather service's User-Agent (platform/common/ProgramText.h).
std::unique_ptr<WeatherService> makeWinHttpWeatherService(DownloadLimits limits = {}, TransferWait wait = {});

}  // namespace skyroll::platform
