// The globe by day and night: with the menu's item on, the frames are drawn
// for the present moment by the platform's artist, off the user-interface
// thread, and drawn again every ten minutes; the tick shows the last whole
// set. When a draw fails, the installed frames turn on instead.

#include <iostream>

#include "app/SkyRoll.h"
#include "settings/IniPalam.h"

namespace skyroll::app {

void fSky_Roll::mDAYNIGHT_Click() {
    platform::MenuItem& item = m_form->menu("mDAYNIGHT");
    const bool on = !item.checked();
    item.setChecked(on);
    if (!settings::WriteDayNight(m_services.files, on, EarthIni))
        m_services.toolkit.showMessage("Skyroll could not save the settings: the file \"" +
                                       EarthIni.string() +
                                       "\" cannot be written. The globe is shown this way until the end.");
    if (on)
        StartDayNight();
    else
        StopDayNight();
}

void fSky_Roll::StartDayNight() {
    DayNightOn = true;
    m_dayNightFailed = false;
    platform::Control& timer3 = m_form->control("Timer3");
    timer3.setInterval(DayNightRedrawMs);
    timer3.setEnabled(true);
    DrawDayNight();
}

void fSky_Roll::StopDayNight() {
    DayNightOn = false;
    m_form->control("Timer3").setEnabled(false);
    m_services.artist.release();
    EarthDir = InstalledEarthDir;
}

void fSky_Roll::Timer3_Timer() { DrawDayNight(); }

void fSky_Roll::DrawDayNight() {
    if (!DayNightOn) return;
    // A draw still under way when the next is due lets that one pass.
    platform::FrameArtist& artist = m_services.artist;
    artist.draw(MapsDir / "earth.jpg", MapsDir / "night.jpg", artist.utcNow(),
                [this](const platform::DrawnFrames& drawn) { DayNightDrawn(drawn); });
}

void fSky_Roll::DayNightDrawn(const platform::DrawnFrames& drawn) {
    if (!DayNightOn) return;
    if (drawn.failure.empty()) {
        EarthDir = drawn.folder;
        m_dayNightFailed = false;
        return;
    }
    EarthDir = InstalledEarthDir;
    if (!m_dayNightFailed)
        std::clog << "skyroll: the globe cannot be drawn by day and night (" << drawn.failure
                  << "); the installed frames are shown\n";
    m_dayNightFailed = true;
}

}  // namespace skyroll::app
