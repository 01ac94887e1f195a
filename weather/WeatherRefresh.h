#pragma once
// The weather refresh of the first activation of the globe window: 18 pages
// fetched through W3getv into the page folder, then reduced to WEATHER.INI.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Downloader.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "platform/WeatherService.h"
#include "weather/Sites.h"
#include "weather/WeatherPage.h"
#include "weather/WeatherTables.h"

namespace skyroll::weather {

// "n/18 取得": the progress caption of fetch step `step` (1-based).
std::string ProgressCaption(int step);

// The page's address: "http://" & the host of its site & its path.
std::string PageAddress(const Region& region, const Sites& sites);

// The command that fetches the region's page into the page folder
// (platform/DownloadCommand.h).
std::string W3getvCommand(const std::filesystem::path& worldTempDir, const Region& region,
                          const Sites& sites);

// The fetches in region-table order; once a stop is requested
// (platform/StopRequest.h) the pages not yet fetched are skipped. `beforeFetch(step, region)` runs before
// each one; `afterFetch(step, region, result)` after it, with what W3getv
// returned (which the refresh itself ignores). Either may be empty.
struct FetchObserver {
    std::function<void(int, const Region&)> beforeFetch;
    std::function<void(int, const Region&, int)> afterFetch;
};
void FetchWorldPages(platform::Downloader& downloader, const std::filesystem::path& worldTempDir,
                     const Sites& sites, const FetchObserver& observer = {});

// BeginWeatherFile, then ExtractPageWeather for every city-table row in order
// (calling `afterCity`, when given, after each), then EndWeatherFile, all
// through `files`; returns the 28 lines written.
using CityObserver = std::function<void(const City&, const CityWeather&)>;
std::vector<CityWeather> ReduceWorldPages(platform::FileSystem& files,
                                          const std::filesystem::path& worldTempDir,
                                          const std::filesystem::path& weatherIni,
                                          const CityObserver& afterCity = {});

// The weather refresh of the first activation, steps "timer off" .. "labels hidden"
// (the caller checks and clears FirstActivate): Timer1 disabled; mEnd, mSET, mSPEED disabled in
// that order; per region: Label4 caption "n/18 取得", globe.repaintNow(), W3getv; Label4
// "データ最適化"; BeginWeatherFile; 28 ExtractPageWeather; menus enabled in the same order;
// Timer1 enabled; Label3 then Label4 hidden.
// Without `holdsPageFolder` (another program kept the page folder, see
// HoldPageFolder) nothing is fetched and WEATHER.INI stays as it is; once a
// stop is requested the fetches left and the reduction are skipped.
void RefreshWorldWeather(platform::Form& globe, platform::Downloader& downloader, platform::FileSystem& files,
                         const std::filesystem::path& worldTempDir, const std::filesystem::path& weatherIni,
                         const Sites& sites, bool holdsPageFolder = true);

// The live source asked again while the program runs. Nothing on the globe
// changes: no captions, and the timer and the menus are left alone. What
// the service's wait lets through the event loop goes on meanwhile.
enum class QuietRefresh {
    Replaced,    // the pages stored and WEATHER.INI replaced as a whole
    FolderBusy,  // another program holds the page folder: nothing done
    NoAnswer,    // the answer gave no city's weather: the folder and WEATHER.INI kept
    Stopped,     // a stop was requested: WEATHER.INI kept
};
// Takes the page folder only when no other program holds it (no waiting),
// asks the service at sites.live once, and only when its answer gives the
// weather of some city prepares the folder as start-up does, stores the 18
// pages and reduces them to WEATHER.INI. One request brings every city, so
// a failed one changes nothing. The lock is released however it ends.
QuietRefresh RefreshLiveWeatherQuietly(platform::FileSystem& files, platform::WeatherService& service,
                                       const Sites& sites, const std::filesystem::path& weatherIni);

}  // namespace skyroll::weather
