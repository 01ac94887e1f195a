#include "weather/WeatherRefresh.h"

#include <array>
#include <cstdint>

#include "platform/DownloadCommand.h"
#include "platform/StopRequest.h"
#include "weather/LiveDownloader.h"
#include "weather/WeatherFile.h"
#include "weather/WorldTempDir.h"

namespace skyroll::weather {
namespace {

// The menu items that must not be used while the refresh runs, in the order
// they are disabled and enabled again.
constexpr std::array<std::string_view, 3> kBlockedMenus{"mEnd", "mSET", "mSPEED"};

void enableMenus(platform::Form& globe, bool enabled) {
    for (std::string_view name : kBlockedMenus) globe.menu(name).setEnabled(enabled);
}

}  // namespace

std::string ProgressCaption(int step) {
    return std::to_string(step) + "/" + std::to_string(kRegions.size()) + " 取得";
}

std::string PageAddress(const Region& region, const Sites& sites) {
    const std::string& host = region.site == Site::Japan ? sites.japan : sites.world;
    return "http://" + host + std::string(region.path);
}

std::string W3getvCommand(const std::filesystem::path& worldTempDir, const Region& region,
                          const Sites& sites) {
    return platform::makeW3getvCommand(worldTempDir, region.file, PageAddress(region, sites));
}

void FetchWorldPages(platform::Downloader& downloader, const std::filesystem::path& worldTempDir,
                     const Sites& sites, const FetchObserver& observer) {
    int step = 0;
    for (const Region& region : kRegions) {
        // A terminating signal: the pages not yet fetched are skipped.
        if (platform::stopRequested()) return;
        ++step;
        if (observer.beforeFetch) observer.beforeFetch(step, region);
        std::string command = W3getvCommand(worldTempDir, region, sites);
        std::int32_t option = 0;
        const std::int32_t result = downloader.W3getv(command, option);
        if (observer.afterFetch) observer.afterFetch(step, region, result);
    }
}

std::vector<CityWeather> ReduceWorldPages(platform::FileSystem& files,
                                          const std::filesystem::path& worldTempDir,
                                          const std::filesystem::path& weatherIni,
                                          const CityObserver& afterCity) {
    BeginWeatherFile(files, weatherIni);
    std::vector<CityWeather> lines;
    lines.reserve(kCities.size());
    for (const City& city : kCities) {
        lines.push_back(ExtractPageWeather(files, worldTempDir, weatherIni, city.file, city.name));
        if (afterCity) afterCity(city, lines.back());
    }
    EndWeatherFile(files, weatherIni);
    return lines;
}

void RefreshWorldWeather(platform::Form& globe, platform::Downloader& downloader, platform::FileSystem& files,
                         const std::filesystem::path& worldTempDir, const std::filesystem::path& weatherIni,
                         const Sites& sites, bool holdsPageFolder) {
    platform::Control& label4 = globe.control("Label4");
    globe.control("Timer1").setEnabled(false);
    enableMenus(globe, false);
    // The caption is painted before each blocking fetch; no event is
    // processed, so nothing else can run inside the refresh.
    if (holdsPageFolder) {
        FetchWorldPages(downloader, worldTempDir, sites,
                        {[&](int step, const Region&) {
                             label4.setCaption(ProgressCaption(step));
                             globe.repaintNow();
                         },
                         {}});
    }
    label4.setCaption("データ最適化");
    // A refresh cut short by a terminating signal leaves the previous file.
    if (holdsPageFolder && !platform::stopRequested()) ReduceWorldPages(files, worldTempDir, weatherIni);
    enableMenus(globe, true);
    globe.control("Timer1").setEnabled(true);
    globe.control("Label3").setVisible(false);
    label4.setVisible(false);
}

QuietRefresh RefreshLiveWeatherQuietly(platform::FileSystem& files, platform::WeatherService& service,
                                       const Sites& sites, const std::filesystem::path& weatherIni) {
    // This period is skipped rather than waited for: the globe must not stop.
    const std::unique_ptr<platform::FileLock> pageFolder =
        HoldPageFolder(files, std::chrono::milliseconds{0});
    if (!pageFolder) return QuietRefresh::FolderBusy;
    const std::filesystem::path answerFile = LiveAnswerFile(files.systemFolder() / "WORLDTEMP");
    LiveDownloader live(files, service, sites.live, answerFile);
    if (platform::stopRequested()) return QuietRefresh::Stopped;
    const bool answered = live.knowsAnyCity();
    if (platform::stopRequested()) return QuietRefresh::Stopped;
    if (!answered) return QuietRefresh::NoAnswer;
    const std::filesystem::path worldTempDir = PrepareWorldTempDir(files);
    FetchWorldPages(live, worldTempDir, sites);
    if (platform::stopRequested()) return QuietRefresh::Stopped;
    ReduceWorldPages(files, worldTempDir, weatherIni);
    return QuietRefresh::Replaced;
}

}  // namespace skyroll::weather
