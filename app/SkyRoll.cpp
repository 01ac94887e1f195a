#include "app/SkyRoll.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <utility>
#include <vector>

#include "companions/Wallpaper.h"
#include "forms/Layouts.h"
#include "forms/WindowShape.h"
#include "platform/PathText.h"
#include "settings/IniPalam.h"
#include "weather/LiveDownloader.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherRefresh.h"
#include "weather/WorldTempDir.h"

namespace skyroll::app {

namespace {
constexpr char kTrayTip[] = "Skyroll Ver.2.0";
constexpr int kMillisecondsPerMinute = 60'000;
// How soon a periodic refresh that fell inside another handler's wait looks again.
constexpr int kRefreshRetryMs = 250;

// Marks a weather refresh under way for as long as it is in scope, however it ends.
class RefreshUnderWay {
public:
    explicit RefreshUnderWay(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RefreshUnderWay() { m_flag = false; }
    RefreshUnderWay(const RefreshUnderWay&) = delete;
    RefreshUnderWay& operator=(const RefreshUnderWay&) = delete;

private:
    bool& m_flag;
};
}  // namespace

fSky_Roll::fSky_Roll(platform::Services& services, ProgramState& program, std::filesystem::path appFolder,
                     std::function<void()> unloaded)
    : m_services(services),
      m_program(program),
      m_appFolder(std::move(appFolder)),
      m_unloaded(std::move(unloaded)),
      m_form(services.toolkit.createForm(SkyRollLayout(), *this)) {}

fSky_Roll::~fSky_Roll() {
    // A draw under way must not report to a window that is gone.
    if (DayNightOn) m_services.artist.release();
}

void fSky_Roll::Form_Load() {
    // The data folder is SKR20 beside the executable, or the shared one of
    // an installed program, whose two files then live in the user's folders.
    const platform::ProgramFiles files = m_services.files.programFiles(m_appFolder);
    const std::filesystem::path& data = files.dataFolder;
    EarthDir = data / "earth";
    InstalledEarthDir = EarthDir;
    MapsDir = data / "maps";
    EarthIni = files.earthIni;
    WeatherIni = files.weatherIni;
    // A char8_t literal: a plain narrow one is not read as UTF-8 everywhere.
    SpaceBmp = data / "BACK" / u8"宇宙.bmp";
    UserWallpaper = companions::GetUserWallpaper(m_services.desktop, m_userWallpaperRead);
    WeatherDir = data / "WEATHER";
    MoonDir = data / "moon";
    // While another program refreshes, this one waits for it; when it does
    // not finish in time, this one leaves the folder and the weather file alone.
    m_pageFolder = weather::HoldPageFolder(m_services.files, weather::kPageFolderWait);
    RemoveLeftovers();
    const std::filesystem::path systemFolder = m_services.files.systemFolder();
    WorldTempDir = m_pageFolder || systemFolder.empty() ? weather::PrepareWorldTempDir(m_services.files)
                                                        : systemFolder / "WORLDTEMP";
    RollCount = 0;
    WeatherOn = true;

    platform::Control& label3 = m_form->control("Label3");
    label3.setTop(1140);
    label3.setLeft(390);
    platform::Control& label4 = m_form->control("Label4");
    label4.setTop(1410);
    label4.setLeft(390);

    TourCount = 0;
    m_form->control("Image1").setVisible(false);
    m_form->control("Label2").setVisible(false);

    FillTrayIconData();
    m_services.toolkit.shellNotifyIcon(platform::NIM_ADD, m_program.TrayIconData);

    platform::Control& picture = m_form->control("Picture1");
    picture.setHeight(183);
    picture.setWidth(179);
    m_form->setHeight(2750);
    m_form->setWidth(2700);
    picture.setTop(0);
    picture.setLeft(0);

    ApplySettings();
    CutToEllipse(m_services.toolkit, *m_form, m_program.WindowRegion);
    FirstActivate = true;
    if (settings::ReadDayNight(m_services.files, EarthIni, &std::clog)) {
        m_form->menu("mDAYNIGHT").setChecked(true);
        StartDayNight();
    }
}

void fSky_Roll::RemoveLeftovers() {
    // A program killed while it replaced a file leaves its temporary file
    // beside it; the file itself is whole, old or new. Only names of our own
    // temporary files go. The weather file's new copy is another program's
    // work in progress while that one refreshes, so it goes only while this
    // one holds the page folder.
    platform::FileSystem& files = m_services.files;
    std::vector<std::filesystem::path> folders;
    const auto add = [&](const std::filesystem::path& folder) {
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    };
    if (!EarthIni.empty()) add(EarthIni.parent_path());
    if (!WeatherIni.empty()) add(WeatherIni.parent_path());
    add(files.stateFolder());
    for (const std::filesystem::path& folder : folders) {
        std::vector<std::filesystem::path> alsoNamed;
        if (m_pageFolder && !WeatherIni.empty() && folder == WeatherIni.parent_path())
            alsoNamed.push_back(weather::NewWeatherFile(WeatherIni).filename());
        files.deleteLeftovers(folder, alsoNamed);
    }
}

void fSky_Roll::FillTrayIconData() {
    platform::TrayIconData& data = m_program.TrayIconData;
    data.cbSize = 88;
    data.hWnd = m_form->handle();
    data.uID = 1;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    data.uCallbackMessage = platform::WM_MOUSEMOVE;
    data.hIcon = m_form->icon();
    // The tip, one NUL, and the rest of the field filled with blanks.
    std::fill(std::begin(data.szTip), std::end(data.szTip), ' ');
    std::memcpy(data.szTip, kTrayTip, sizeof kTrayTip);
}

void fSky_Roll::Form_Activate() {
    // The refresh lets events through while it waits for the network; an
    // activation meanwhile is not the first one.
    if (!FirstActivate || m_refreshing) return;
    {
        const RefreshUnderWay underWay(m_refreshing);
        m_sites = weather::ReadSites(m_services.files, EarthIni, &std::clog);
        const bool holdsPageFolder = m_pageFolder != nullptr;
        if (m_sites.source == weather::WeatherSource::Live) {
            weather::LiveDownloader live(m_services.files, m_services.weather, m_sites.live,
                                         weather::LiveAnswerFile(WorldTempDir));
            weather::RefreshWorldWeather(*m_form, live, m_services.files, WorldTempDir, WeatherIni, m_sites,
                                         holdsPageFolder);
        } else {
            weather::RefreshWorldWeather(*m_form, m_services.downloader, m_services.files, WorldTempDir,
                                         WeatherIni, m_sites, holdsPageFolder);
        }
        m_pageFolder.reset();
    }
    FirstActivate = false;
    if (m_sites.refreshMinutes > 0) {
        platform::Control& timer2 = m_form->control("Timer2");
        timer2.setInterval(m_sites.refreshMinutes * kMillisecondsPerMinute);
        timer2.setEnabled(true);
    }
}

void fSky_Roll::Timer2_Timer() {
    if (m_refreshing) return;
    // Started inside the wait of another handler, the refresh would hold that
    // wait (a city on show, the settings dialog, the menu) until its request
    // ended; it comes a moment after that wait instead.
    platform::Control& timer2 = m_form->control("Timer2");
    const int period = m_sites.refreshMinutes * kMillisecondsPerMinute;
    if (m_nestedWaits > 0) {
        timer2.setInterval(kRefreshRetryMs);
        return;
    }
    if (timer2.interval() != period) timer2.setInterval(period);
    const RefreshUnderWay underWay(m_refreshing);
    switch (weather::RefreshLiveWeatherQuietly(m_services.files, m_services.weather, m_sites, WeatherIni)) {
        case weather::QuietRefresh::FolderBusy:
            std::clog
                << "skyroll: another program uses the page folder; the weather is refreshed next time\n";
            break;
        case weather::QuietRefresh::NoAnswer:
            std::clog << "skyroll: the weather service did not answer; the weather file is kept\n";
            break;
        case weather::QuietRefresh::Replaced:
        case weather::QuietRefresh::Stopped:
            break;
    }
}

void fSky_Roll::Form_Unload() {
    // The clean-up runs once, whether the window is unloaded or the program
    // ends on a failure or a signal.
    if (m_cleanedUp) return;
    m_cleanedUp = true;
    if (DayNightOn) StopDayNight();
    if (m_program.WindowRegion != 0) m_services.toolkit.deleteObject(m_program.WindowRegion);
    m_services.toolkit.shellNotifyIcon(platform::NIM_DELETE, m_program.TrayIconData);
    if (m_unloaded) m_unloaded();
    companions::SetUserWallpaper(m_services.desktop, UserWallpaper, m_userWallpaperRead);
}

void fSky_Roll::mSPACE_Click() {
    platform::MenuItem& item = m_form->menu("mSPACE");
    if (item.checked()) {
        item.setChecked(false);
        companions::SetUserWallpaper(m_services.desktop, UserWallpaper, m_userWallpaperRead);
    } else {
        item.setChecked(true);
        m_services.desktop.setDeskWallpaper(platform::pathText(SpaceBmp));
    }
}

void fSky_Roll::mEnd_Click() {
    if (m_moon) m_moon->Unload();
    m_form->unload();
}

void fSky_Roll::mouseMove(std::string_view control, int button, int shift, float x, float y) {
    if (control.empty())
        Form_MouseMove(button, shift, x, y);
    else if (control == "Picture1")
        Picture1_MouseMove(button, shift, x, y);
}

void fSky_Roll::timer(std::string_view timer) {
    if (timer == "Timer1") Timer1_Timer();
    if (timer == "Timer2") Timer2_Timer();
    if (timer == "Timer3") Timer3_Timer();
}

void fSky_Roll::menuClick(std::string_view item) {
    static constexpr std::pair<std::string_view, void (fSky_Roll::*)()> kCommands[] = {
        {"mSETTING", &fSky_Roll::mSETTING_Click},   {"mSPACE", &fSky_Roll::mSPACE_Click},
        {"mTENKI", &fSky_Roll::mTENKI_Click},       {"mMOON", &fSky_Roll::mMOON_Click},
        {"mMAX", &fSky_Roll::mMAX_Click},           {"mHI", &fSky_Roll::mHI_Click},
        {"mNOR", &fSky_Roll::mNOR_Click},           {"mLOW", &fSky_Roll::mLOW_Click},
        {"mMIN", &fSky_Roll::mMIN_Click},           {"mEnd", &fSky_Roll::mEnd_Click},
        {"mDAYNIGHT", &fSky_Roll::mDAYNIGHT_Click},
    };
    for (const auto& [name, handler] : kCommands)
        if (name == item) return (this->*handler)();
}

}  // namespace skyroll::app
