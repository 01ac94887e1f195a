// The turning globe: one picture per tick of Timer1, and the five speeds.

#include <string>

#include "app/GlobeTables.h"
#include "app/SkyRoll.h"
#include "core/Failure.h"

namespace skyroll::app {

void fSky_Roll::Timer1_Timer() {
    FrameNo = static_cast<std::int16_t>(FrameNo + 1);
    LoadGlobeFrame("EarthMap_" + std::to_string(FrameNo) + ".bmp");
    if (RollCount == 2 && WeatherOn) {
        if (TourCount == 28)
            ResetWeatherTour();
        else
            StepWeatherTour(FrameNo);
    }
    if (FrameNo == 44) {
        FrameNo = 0;
        // Only the comparison with 2 matters; with the overlay off nothing
        // sets the count back, so it stops at 3 instead of overflowing.
        if (RollCount < 3) RollCount = static_cast<std::int16_t>(RollCount + 1);
    }
}

void fSky_Roll::LoadGlobeFrame(const std::string& fileName) {
    const std::filesystem::path file = EarthDir / fileName;
    if (!m_form->control("Picture1").loadPicture(file))
        throw FatalError("Skyroll cannot show the globe picture \"" + file.string() +
                         "\": the file is missing or is not a picture.");
}

void fSky_Roll::SelectSpeed(std::size_t row) {
    for (std::size_t i = 0; i < kSpeeds.size(); ++i) m_form->menu(kSpeeds[i].menuItem).setChecked(i == row);
    m_form->control("Timer1").setInterval(kSpeeds[row].interval);
    m_program.RollInterval = kSpeeds[row].interval;
}

void fSky_Roll::mMAX_Click() { SelectSpeed(0); }
void fSky_Roll::mHI_Click() { SelectSpeed(1); }
void fSky_Roll::mNOR_Click() { SelectSpeed(2); }
void fSky_Roll::mLOW_Click() { SelectSpeed(3); }
void fSky_Roll::mMIN_Click() { SelectSpeed(4); }

}  // namespace skyroll::app
