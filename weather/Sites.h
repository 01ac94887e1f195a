#pragma once
// Where the weather comes from, configured in EARTH.INI:
//   [SITES]
//   SOURCE=live or pages
//   LIVE=http(s)://host[:port]   the open weather service (live)
//   WORLD=host[:port]            the two page sites (pages)
//   JAPAN=host[:port]
//   REFRESH=minutes              how often the live source asks again

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace skyroll::weather {

enum class WeatherSource { Live, Pages };

// The open weather service asked by the live source.
inline constexpr std::string_view kDefaultLiveService = "https://api.open-meteo.com";

// How often the live source asks again while the program runs, in minutes:
// every hour unless EARTH.INI says otherwise; never more often than the
// service's answers are kept (see platform/common/AnswerCache.h); at most once a week.
inline constexpr int kDefaultRefreshMinutes = 60;
inline constexpr int kShortestRefreshMinutes = 10;
inline constexpr int kLongestRefreshMinutes = 10080;

struct Sites {
    std::string world;  // host or host:port
    std::string japan;
    WeatherSource source = WeatherSource::Pages;
    std::string live = std::string(kDefaultLiveService);  // base address, no trailing slash
    int refreshMinutes = 0;                               // 0: once per run, at the first activation
};

// Used when EARTH.INI names no usable host: a mirror of both sites on this
// machine (see weather/README.md).
inline constexpr std::string_view kDefaultWorldSite = "localhost:8018";
inline constexpr std::string_view kDefaultJapanSite = "localhost:8018";

// True for a plain host name, IPv4 address or bracketed IPv6 address,
// optionally followed by ":port": no blanks, no slash, no scheme.
bool IsPlainHost(std::string_view site);

// True for "http://" or "https://", a plain host (see IsPlainHost) and an
// optional path of letters, digits and "-._~/": no query, no blanks.
bool IsServiceAddress(std::string_view address);

// EARTH.INI, section "SITES". "WORLD" and "JAPAN": a value that is not a plain
// host or host:port is ignored as if absent; defaults when absent. "LIVE": a
// service address, else the default. "SOURCE": "live" or "pages"; without it,
// "pages" when WORLD or JAPAN has a value (a file written for page sites goes
// on using them), else "live". "REFRESH": for the live source, a decimal
// number of minutes from 0 (once per run) to kLongestRefreshMinutes, raised
// to kShortestRefreshMinutes when below it; else kDefaultRefreshMinutes. The
// page source is read once per run whatever REFRESH says. A value too long
// for the profile read to return whole does not fit and is ignored, whatever
// its start holds. Every value ignored is reported with one line on `log`
// (when not null); it is never a failure.
Sites ReadSites(platform::FileSystem& files, const std::filesystem::path& earthIni,
                std::ostream* log = nullptr);

}  // namespace skyroll::weather
