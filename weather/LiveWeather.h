#pragma once
// The live source's pages: current conditions of the 28 cities, from one
// answer of the open weather service, written as pages that the reduction
// reads exactly like the page sites' pages.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skyroll::weather {

// The current weather at one city: a WMO weather code and whether it is day there.
struct CurrentWeather {
    int weatherCode = 0;
    bool isDay = false;
    friend bool operator==(const CurrentWeather&, const CurrentWeather&) = default;
};

// One entry per city-table row; std::nullopt for a city the answer gave no
// usable weather for.
using LiveConditions = std::vector<std::optional<CurrentWeather>>;

// The words a page carries for `weather`: "晴れ", "くもり時々雨", ... ("曇り"
// instead of "くもり" on the Japan page), chosen so that the reduction gives
// the value they mean. "不明" for no weather or a code without words.
std::u32string WeatherWords(const std::optional<CurrentWeather>& weather, bool japanPage);

// The page stored as `file` (a region-table file name) for `conditions`:
// a world region's page holds, for each of its cities in city-table order,
// the city's name on one line and its weather words on the next, every line
// ended by CR LF; "JAPAN.html" is one line with the Tokyo heading and an icon
// cell whose alt text is the words. Empty for a file the region table lacks.
std::u32string MakeLivePage(std::string_view file, const LiveConditions& conditions);

// The one request for all 28 cities at the service whose base address is
// `base` (e.g. "https://api.open-meteo.com").
std::string LiveAddress(std::string_view base);

}  // namespace skyroll::weather
