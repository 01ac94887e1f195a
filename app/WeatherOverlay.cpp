// The weather tour: in every second turn of the globe, the first city of the
// tour not yet shown stops the globe on the frame where it faces the viewer
// and shows its name and its weather picture there for one and a half
// seconds. When all 28 have been shown the tour starts again.

#include "app/SkyRoll.h"
#include "platform/PathText.h"
#include "settings/IniPalam.h"
#include "weather/WeatherPicture.h"

namespace skyroll::app {

void fSky_Roll::StepWeatherTour(const std::int16_t& frame) {
    for (std::size_t i = 0; i < weather::WeatherTour.size(); ++i) {
        const weather::TourEntry& entry = weather::WeatherTour[i];
        if (entry.frame != frame || CityShown[i]) continue;
        m_form->control("Timer1").setEnabled(false);  // the globe stays on this frame
        platform::Control& image = m_form->control("Image1");
        image.setLeft(entry.pictureLeft);
        image.setTop(entry.pictureTop);
        platform::Control& caption = m_form->control("Label2");
        caption.setCaption(entry.caption);
        caption.setLeft(entry.captionLeft);
        caption.setTop(entry.captionTop);
        ShowCityWeather(std::string(entry.key));
        CityShown[i] = true;
        return;
    }
}

void fSky_Roll::ShowCityWeather(const std::string& key) {
    std::string weather;
    settings::ReadWeatherIni(m_services.files, key, weather, WeatherIni);
    // The value comes from a downloaded page: only a plain file name is
    // looked for in the picture folder. Whatever names no loadable picture
    // shows the unknown-weather picture, or no picture when even that fails;
    // the display goes on either way.
    platform::Control& image = m_form->control("Image1");
    const bool pictureLoaded = (platform::isPlainFileName(weather) &&
                                image.loadPicture(WeatherDir / platform::pathFromText(weather))) ||
                               image.loadPicture(WeatherDir / weather::kUnknownWeatherPicture);
    platform::Control& caption = m_form->control("Label2");
    caption.setVisible(true);
    if (pictureLoaded) image.setVisible(true);
    platform::MenuItem& exitItem = m_form->menu("mEnd");
    exitItem.setEnabled(false);  // the program cannot end in the middle of a display
    float seconds = 1.5f;
    WaitSeconds(seconds);
    exitItem.setEnabled(true);
    image.setVisible(false);
    caption.setVisible(false);
    m_form->control("Timer1").setEnabled(true);  // turns on from the frame it stopped on
    RollCount = 0;
    TourCount = static_cast<std::int16_t>(TourCount + 1);
}

void fSky_Roll::ResetWeatherTour() {
    TourCount = 0;
    RollCount = 0;
    CityShown.fill(false);
}

void fSky_Roll::mTENKI_Click() {
    platform::MenuItem& tenki = m_form->menu("mTENKI");
    if (tenki.checked()) {
        // The tour keeps its place; switching on again starts it afresh.
        WeatherOn = false;
        tenki.setChecked(false);
    } else {
        ResetWeatherTour();
        WeatherOn = true;
        tenki.setChecked(true);
    }
}

}  // namespace skyroll::app
