#pragma once
// fSky_Roll: the globe window, the program's start-up window and the owner of
// almost all of its state. Its handlers keep the names the program has always
// used and follow the order of their steps.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "companions/Moon.h"
#include "platform/FileLock.h"
#include "platform/Services.h"
#include "weather/Sites.h"
#include "weather/WeatherTables.h"

namespace skyroll::app {

// Program-wide variables: one copy for the whole program.
struct ProgramState {
    platform::TrayIconData TrayIconData;      // filled once at start-up, used to add and delete
    platform::RegionHandle WindowRegion = 0;  // the region created last by any window
    std::int16_t RollInterval = 0;            // frame interval of the current speed, ms
};

class fSky_Roll final : public platform::FormEvents {
public:
    // `unloaded` runs once the window's unload has finished.
    fSky_Roll(platform::Services& services, ProgramState& program, std::filesystem::path appFolder,
              std::function<void()> unloaded);
    ~fSky_Roll() override;

    platform::Form& form() { return *m_form; }

    // Start-up and shutdown.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void mEnd_Click();

    // The live weather again, every REFRESH minutes, while the globe turns.
    void Timer2_Timer();

    // The turning globe.
    void Timer1_Timer();
    void LoadGlobeFrame(const std::string& fileName);
    void mMAX_Click();
    void mHI_Click();
    void mNOR_Click();
    void mLOW_Click();
    void mMIN_Click();

    // Placement and the tray menu, dragging and waiting.
    void ApplySettings();
    void Form_MouseMove(int button, int shift, float x, float y);
    void Picture1_MouseMove(int button, int shift, float x, float y);
    float WaitSeconds(float& seconds);

    // The globe by day and night, drawn afresh every ten minutes.
    void mDAYNIGHT_Click();
    void Timer3_Timer();

    // The settings dialog and the moon window.
    void mSETTING_Click();
    void mMOON_Click();
    // The moon window, once it has been used; null before.
    companions::fMoon* Moon() { return m_moon.get(); }

    // The space wallpaper and the weather overlay.
    void mSPACE_Click();
    void mTENKI_Click();

    // The weather tour over the turning globe.
    void StepWeatherTour(const std::int16_t& frame);
    void ShowCityWeather(const std::string& key);
    void ResetWeatherTour();

    // Form-level state.
    std::filesystem::path EarthDir;  // where the tick loads its frames from
    std::filesystem::path InstalledEarthDir;
    std::filesystem::path MapsDir;  // the day and night maps the frames are drawn from
    bool DayNightOn = false;
    int DayNightRedrawMs = 10 * 60'000;  // how often the drawn frames are drawn afresh
    std::int16_t FrameNo = 0;
    std::int16_t RollCount = 0;
    std::string DispPos;
    std::string RollSpeed;
    std::filesystem::path EarthIni;
    std::filesystem::path WorldTempDir;
    std::filesystem::path SpaceBmp;
    std::string UserWallpaper;
    bool WeatherOn = false;
    std::int16_t TourCount = 0;
    std::filesystem::path WeatherIni;
    std::filesystem::path WeatherDir;
    std::filesystem::path MoonDir;
    bool FirstActivate = false;
    std::array<bool, weather::WeatherTour.size()> CityShown{};

    // platform::FormEvents
    void activate() override { Form_Activate(); }
    void unload() override { Form_Unload(); }
    void mouseMove(std::string_view control, int button, int shift, float x, float y) override;
    void timer(std::string_view timer) override;
    void menuClick(std::string_view item) override;

private:
    // Marks a wait inside a handler (a city on show, the settings dialog,
    // the menu) for as long as it is in scope.
    class NestedWait {
    public:
        explicit NestedWait(fSky_Roll& globe) : m_globe(globe) { ++m_globe.m_nestedWaits; }
        ~NestedWait() { --m_globe.m_nestedWaits; }
        NestedWait(const NestedWait&) = delete;
        NestedWait& operator=(const NestedWait&) = delete;

    private:
        fSky_Roll& m_globe;
    };

    void SelectSpeed(std::size_t row);
    void FillTrayIconData();
    void RemoveLeftovers();
    void ShowMoon();
    void StartDayNight();
    void StopDayNight();
    void DrawDayNight();
    void DayNightDrawn(const platform::DrawnFrames& drawn);

    platform::Services& m_services;
    ProgramState& m_program;
    std::filesystem::path m_appFolder;
    std::function<void()> m_unloaded;
    std::unique_ptr<platform::Form> m_form;
    std::unique_ptr<companions::fMoon> m_moon;
    bool m_settingOpen = false;
    bool m_cleanedUp = false;
    bool m_userWallpaperRead = false;  // UserWallpaper holds the setting, not an empty stand-in
    // The page folder, held from its preparation to the end of the refresh.
    std::unique_ptr<platform::FileLock> m_pageFolder;
    // Where the weather comes from, read by the first activation.
    weather::Sites m_sites;
    // A weather refresh is under way (its transfer lets events through).
    bool m_refreshing = false;
    // Waits inside handlers under way; a periodic refresh waits for them to end.
    int m_nestedWaits = 0;
    // The last draw by day and night failed (said once, until one succeeds).
    bool m_dayNightFailed = false;
};

}  // namespace skyroll::app
