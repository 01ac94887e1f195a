#include "weather/LiveWeather.h"

#include <cstddef>

#include "platform/Cp932.h"
#include "weather/PageMarkers.h"
#include "weather/WeatherTables.h"

namespace skyroll::weather {
namespace {

// WMO weather codes as the service reports them, and the words a page gives
// each range. Drizzle reads as cloudy with rain; showers by day as fine with
// rain; thunderstorms as rain.
struct CodeWords {
    int first, last;
    std::u32string_view words;
    std::u32string_view dayWords;  // when not empty, used by day instead
};
constexpr CodeWords kCodeWords[] = {
    {0, 1, U"晴れ", {}},     {2, 2, U"晴れ時々くもり", {}}, {3, 3, U"くもり", {}},
    {45, 45, U"くもり", {}}, {48, 48, U"くもり", {}},       {51, 57, U"くもり時々雨", {}},
    {61, 67, U"雨", {}},     {71, 77, U"雪", {}},           {80, 82, U"雨", U"晴れ時々雨"},
    {85, 86, U"雪", {}},     {95, 99, U"雷雨", {}},
};

// The world pages' cloudy word and the Japan page's.
constexpr std::u32string_view kWorldCloudy = U"くもり";
constexpr std::u32string_view kJapanCloudy = U"曇り";

// The Japan page as the reduction reads it: one line holding the Tokyo
// heading, the icon cell within the 1,000 characters after it, and the words
// within the 100 characters from the cell's start. The heading and the cell
// are the reduction's own markers.
constexpr std::u32string_view kJapanHead = U"<html>";
constexpr std::u32string_view kIconRest = U"s/live.gif' alt='";
constexpr std::u32string_view kJapanTail = U"'></TD></TR></TABLE></html>";

}  // namespace

std::u32string WeatherWords(const std::optional<CurrentWeather>& weather, bool japanPage) {
    if (!weather) return std::u32string(kUnknown);
    for (const CodeWords& row : kCodeWords) {
        if (weather->weatherCode < row.first || weather->weatherCode > row.last) continue;
        std::u32string words(weather->isDay && !row.dayWords.empty() ? row.dayWords : row.words);
        if (japanPage) {
            if (const std::size_t at = words.find(kWorldCloudy); at != std::u32string::npos)
                words.replace(at, kWorldCloudy.size(), kJapanCloudy);
        }
        return words;
    }
    return std::u32string(kUnknown);
}

std::u32string MakeLivePage(std::string_view file, const LiveConditions& conditions) {
    std::u32string page;
    for (std::size_t row = 0; row < kCities.size(); ++row) {
        if (kCities[row].file != file) continue;
        const std::optional<CurrentWeather> weather =
            row < conditions.size() ? conditions[row] : std::optional<CurrentWeather>();
        if (file == kJapanPage) {
            page.append(kJapanHead).append(kTokyoHeading).append(U"<TABLE><TR>");
            page.append(kIconCell)
                .append(kIconRest)
                .append(WeatherWords(weather, true))
                .append(kJapanTail)
                .append(U"\r\n");
            return page;
        }
        page.append(cp932::fromUtf8(kCities[row].name)).append(U"\r\n");
        page.append(WeatherWords(weather, false)).append(U"\r\n");
    }
    return page;
}

std::string LiveAddress(std::string_view base) {
    std::string latitudes, longitudes;
    for (const CityPlace& place : kCityPlaces) {
        if (!latitudes.empty()) {
            latitudes += ',';
            longitudes += ',';
        }
        latitudes += place.latitude;
        longitudes += place.longitude;
    }
    return std::string(base) + "/v1/forecast?latitude=" + latitudes + "&longitude=" + longitudes +
           "&current=weather_code,is_day";
}

}  // namespace skyroll::weather
