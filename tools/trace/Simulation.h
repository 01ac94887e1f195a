#pragma once
// The whole program on the headless platform: a virtual clock, a private
// page folder, a desktop with a chosen wallpaper, and pages copied from a
// folder instead of downloaded. The trace tool and the scenario tests run the
// program through this.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Program.h"
#include "platform/FileSystem.h"
#include "platform/headless/HeadlessDesktop.h"
#include "platform/headless/HeadlessDownloader.h"
#include "platform/headless/HeadlessFrameArtist.h"
#include "platform/headless/HeadlessToolkit.h"
#include "platform/headless/HeadlessWeatherService.h"
#include "programs/AssembleServices.h"

namespace skyroll::trace {

struct SimulationOptions {
    std::filesystem::path appFolder;     // the folder whose SKR20 the program uses
    std::filesystem::path systemFolder;  // stands in for the system folder (WORLDTEMP goes there)
    std::filesystem::path pagesFolder;   // weather pages served by the headless downloader; may be empty
    std::filesystem::path stateFolder;   // keeps the wallpaper's crash record; empty: systemFolder/state
    std::filesystem::path liveAnswer;    // the weather service's answer for the live source; may be empty
    headless::ScreenOptions screen;
    // The file service, when given (it must outlive the simulation); else
    // the local file system with the folders above.
    platform::FileSystem* files = nullptr;
    std::optional<std::string> userWallpaper = std::string("/home/user/wallpaper.png");
    // Sees every record from the first one on, the globe window's creation included.
    std::function<void(const headless::Record&)> observer;
};

class Simulation {
public:
    explicit Simulation(SimulationOptions options);
    ~Simulation();

    // Loads and shows the globe window (start-up); the first activation
    // follows as the first event.
    void start();
    void runFor(double seconds) { m_toolkit.runFor(seconds); }

    headless::HeadlessToolkit& toolkit() { return m_toolkit; }
    headless::HeadlessDesktop& desktop() { return m_desktop; }
    platform::WallpaperKeeper& wallpaper() { return m_assembled->desktop(); }
    headless::HeadlessDownloader& downloader() { return m_downloader; }
    headless::HeadlessWeatherService& weatherService() { return m_weather; }
    headless::HeadlessFrameArtist& artist() { return m_artist; }
    app::Program& program() { return *m_program; }
    app::fSky_Roll& globe() { return m_program->globe(); }
    platform::Services& services() { return m_assembled->services(); }

    // Records of `subject` and `what` (either may be empty for any).
    std::vector<headless::Record> records(std::string_view subject, std::string_view what = {}) const;
    // Value of the last such record, or empty.
    std::string last(std::string_view subject, std::string_view what) const;

private:
    headless::HeadlessToolkit m_toolkit;
    std::unique_ptr<platform::FileSystem> m_localFiles;
    platform::FileSystem& m_files;
    headless::HeadlessDesktop m_desktop;
    headless::HeadlessDownloader m_downloader;
    headless::HeadlessWeatherService m_weather;
    headless::HeadlessFrameArtist m_artist;
    std::unique_ptr<programs::AssembledServices> m_assembled;
    std::unique_ptr<app::Program> m_program;
};

}  // namespace skyroll::trace
