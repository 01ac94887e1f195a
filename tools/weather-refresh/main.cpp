// weather-refresh [--system-folder DIR] [--pages DIR] [--live FILE] APPFOLDER
//
// Prepares the page folder, fetches the 18 weather pages from the source
// chosen in APPFOLDER/SKR20/PALAM/EARTH.INI (the page sites, or the live
// weather service) and writes APPFOLDER/SKR20/PALAM/WEATHER.INI. Prints one
// line per page and one per city. --pages copies the page sites' pages from a
// folder laid out like the sites (world/wd001.html ..., cities/63.html);
// --live answers the live source from a file instead of the service.
// --system-folder replaces the per-user cache folder as the place of WORLDTEMP.
// A refresh of another program that uses the same page folder is waited for
// (at most 45 s), else nothing is done.

#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "core/Failure.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/download/Network.h"
#include "platform/headless/HeadlessDownloader.h"
#include "platform/headless/HeadlessWeatherService.h"
#include "weather/LiveDownloader.h"
#include "weather/Sites.h"
#include "weather/WeatherRefresh.h"
#include "weather/WorldTempDir.h"

namespace {

namespace fs = std::filesystem;
using namespace skyroll;

int usage() {
    std::fputs("usage: weather-refresh [--system-folder DIR] [--pages DIR] [--live FILE] APPFOLDER\n",
               stderr);
    return 2;
}

std::uintmax_t sizeOf(const fs::path& file) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    return error ? 0 : size;
}

int refresh(const fs::path& appFolder, const fs::path& systemFolder, const fs::path& pages,
            const fs::path& liveAnswer) {
    const fs::path palam = appFolder / "SKR20" / "PALAM";
    std::error_code error;
    fs::create_directories(palam, error);
    if (error) throw FatalError("The folder " + palam.string() + " cannot be created.");

    const auto files = platform::makeLocalFileSystem(systemFolder);
    // Another refresh using the same page folder is waited for.
    const auto pageFolder = weather::HoldPageFolder(*files, weather::kPageFolderWait);
    if (!pageFolder) throw FatalError("The page folder is still used by another refresh.");
    const fs::path worldTempDir = weather::PrepareWorldTempDir(*files);
    const weather::Sites sites = weather::ReadSites(*files, palam / "EARTH.INI", &std::clog);
    const std::unique_ptr<platform::WeatherService> service =
        liveAnswer.empty() ? platform::makeNetworkWeatherService()
                           : std::make_unique<headless::HeadlessWeatherService>(liveAnswer);
    // A folder of pages stands for the page sites, an answer file for the service.
    weather::WeatherSource source = sites.source;
    if (!pages.empty()) source = weather::WeatherSource::Pages;
    if (!liveAnswer.empty()) source = weather::WeatherSource::Live;
    std::unique_ptr<platform::Downloader> downloader;
    if (source == weather::WeatherSource::Live) {
        downloader = std::make_unique<weather::LiveDownloader>(*files, *service, sites.live,
                                                               weather::LiveAnswerFile(worldTempDir));
        std::printf("live weather from %s\n", sites.live.c_str());
    } else if (pages.empty()) {
        downloader = platform::makeNetworkDownloader();
    } else {
        downloader = std::make_unique<headless::HeadlessDownloader>(pages);
    }

    std::printf("pages in %s\n", worldTempDir.string().c_str());
    weather::FetchWorldPages(
        *downloader, worldTempDir, sites,
        {{}, [&](int step, const weather::Region& region, int result) {
             // The live source makes every page from one answer; the address is not asked.
             const std::string from =
                 source == weather::WeatherSource::Live ? "live" : weather::PageAddress(region, sites);
             std::printf("page %2d/%zu %s -> %.*s %ju bytes %s\n", step, weather::kRegions.size(),
                         from.c_str(), static_cast<int>(region.file.size()), region.file.data(),
                         sizeOf(worldTempDir / std::string(region.file)), result == 0 ? "stored" : "failed");
         }});

    const fs::path weatherIni = palam / "WEATHER.INI";
    const auto lines = weather::ReduceWorldPages(*files, worldTempDir, weatherIni);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view city = weather::kCities[i].name;
        std::printf("city %.*s=%s%s\n", static_cast<int>(city.size()), city.data(),
                    cp932::toUtf8(lines[i].value).c_str(), lines[i].name.empty() ? " (not found)" : "");
    }
    std::printf("written %s\n", weatherIni.string().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path systemFolder, pages, liveAnswer, appFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if ((arg == "--system-folder" || arg == "--pages" || arg == "--live") && i + 1 < argc) {
            (arg == "--pages" ? pages : arg == "--live" ? liveAnswer : systemFolder) = argv[++i];
        } else if (!arg.starts_with("--") && appFolder.empty()) {
            appFolder = arg;
        } else {
            return usage();
        }
    }
    if (appFolder.empty() || (!pages.empty() && !liveAnswer.empty())) return usage();
    try {
        return refresh(appFolder, systemFolder, pages, liveAnswer);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "weather-refresh: %s\n", failure.what());
        return 1;
    }
}
