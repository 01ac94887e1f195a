#pragma once
// The world-weather catalogue: which page is fetched into which file, which
// city is looked up in which page, where each city lies, and the tour of the
// overlay on the globe. All text is UTF-8.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace skyroll::weather {

enum class Site { World, Japan };

struct Region {
    std::string_view file;  // name of the stored page in the page folder
    Site site;
    std::string_view path;  // path of the page's address on its site
};

struct City {
    std::string_view name;  // looked up verbatim in the page; key in WEATHER.INI
    std::string_view file;  // stored page that holds it
};

struct CityPlace {
    std::string_view name;     // as in the city table
    std::string_view english;  // for tables read by people
    // Degrees, north and east positive, as the text sent to the live weather
    // service; the artwork reads the same text for the globe's cities.
    std::string_view latitude, longitude;
};

struct TourEntry {
    std::int16_t frame;         // globe frame on which the city faces the viewer
    std::string_view caption;   // shown in Label2
    std::string_view key;       // key of the city's weather in WEATHER.INI
    int pictureLeft, pictureTop;  // Image1, twips within the globe picture
    int captionLeft, captionTop;  // Label2, twips within the globe picture
};

inline constexpr std::string_view kJapanPage = "JAPAN.html";

inline constexpr std::array<Region, 18> kRegions{{
    {"HONKON.html", Site::World, "/world/wd001.html"},
    {"SOURU.html", Site::World, "/world/wd002.html"},
    {"TOUNAN_ASIA.html", Site::World, "/world/wd003.html"},
    {"NEWDELLEY.html", Site::World, "/world/wd004.html"},
    {"CANADA.html", Site::World, "/world/wd005.html"},
    {"AMERICA.html", Site::World, "/world/wd006.html"},
    {"MEXICO.html", Site::World, "/world/wd009.html"},
    {"SOUTH_AMERIKA.html", Site::World, "/world/wd010.html"},
    {"EU.html", Site::World, "/world/wd011.html"},
    {"RUSSIA.html", Site::World, "/world/wd012.html"},
    {"SOUTH_EU.html", Site::World, "/world/wd014.html"},
    {"NORTH_EU.html", Site::World, "/world/wd016.html"},
    {"CYUUTOU.html", Site::World, "/world/wd017.html"},
    {"AFRICA.html", Site::World, "/world/wd018.html"},
    {"AUSTRARIA.html", Site::World, "/world/wd019.html"},
    {"NEWZEALAND.html", Site::World, "/world/wd020.html"},
    {"TAIHEIYOU.html", Site::World, "/world/wd021.html"},
    {"JAPAN.html", Site::Japan, "/cities/63.html"},
}};

inline constexpr std::array<City, 28> kCities{{
    {"香港", "HONKON.html"},
    {"ソウル", "SOURU.html"},
    {"バンコク", "TOUNAN_ASIA.html"},
    {"シンガポール", "TOUNAN_ASIA.html"},
    {"マニラ", "TOUNAN_ASIA.html"},
    {"ニューデリー", "NEWDELLEY.html"},
    {"バンクーバー", "CANADA.html"},
    {"ワシントンD.C.", "AMERICA.html"},
    {"ニューヨーク", "AMERICA.html"},
    {"メキシコシティー", "MEXICO.html"},
    {"サンパウロ", "SOUTH_AMERIKA.html"},
    {"ブエノスアイレス", "SOUTH_AMERIKA.html"},
    {"ロンドン", "EU.html"},
    {"パリ", "EU.html"},
    {"ベルリン", "EU.html"},
    {"モスクワ", "RUSSIA.html"},
    {"ローマ", "SOUTH_EU.html"},
    {"アテネ", "SOUTH_EU.html"},
    {"ストックホルム", "NORTH_EU.html"},
    {"イスタンブール", "CYUUTOU.html"},
    {"バーレーン", "CYUUTOU.html"},
    {"カイロ", "AFRICA.html"},
    {"ナイロビ", "AFRICA.html"},
    {"シドニー", "AUSTRARIA.html"},
    {"オークランド", "NEWZEALAND.html"},
    {"ホノルル", "TAIHEIYOU.html"},
    {"グアム", "TAIHEIYOU.html"},
    {"東京", "JAPAN.html"},
}};

// Where the cities lie: one row per city-table row, in the same order.
inline constexpr std::array<CityPlace, 28> kCityPlaces{{
    {"香港", "Hong Kong", "22.30", "114.17"},
    {"ソウル", "Seoul", "37.57", "126.98"},
    {"バンコク", "Bangkok", "13.75", "100.50"},
    {"シンガポール", "Singapore", "1.29", "103.85"},
    {"マニラ", "Manila", "14.60", "120.98"},
    {"ニューデリー", "New Delhi", "28.61", "77.21"},
    {"バンクーバー", "Vancouver", "49.28", "-123.12"},
    {"ワシントンD.C.", "Washington", "38.91", "-77.04"},
    {"ニューヨーク", "New York", "40.71", "-74.01"},
    {"メキシコシティー", "Mexico City", "19.43", "-99.13"},
    {"サンパウロ", "Sao Paulo", "-23.55", "-46.63"},
    {"ブエノスアイレス", "Buenos Aires", "-34.60", "-58.38"},
    {"ロンドン", "London", "51.51", "-0.13"},
    {"パリ", "Paris", "48.86", "2.35"},
    {"ベルリン", "Berlin", "52.52", "13.41"},
    {"モスクワ", "Moscow", "55.76", "37.62"},
    {"ローマ", "Rome", "41.90", "12.50"},
    {"アテネ", "Athens", "37.98", "23.73"},
    {"ストックホルム", "Stockholm", "59.33", "18.07"},
    {"イスタンブール", "Istanbul", "41.01", "28.98"},
    {"バーレーン", "Bahrain", "26.23", "50.59"},
    {"カイロ", "Cairo", "30.04", "31.24"},
    {"ナイロビ", "Nairobi", "-1.29", "36.82"},
    {"シドニー", "Sydney", "-33.87", "151.21"},
    {"オークランド", "Auckland", "-36.85", "174.76"},
    {"ホノルル", "Honolulu", "21.31", "-157.86"},
    {"グアム", "Guam", "13.48", "144.75"},
    {"東京", "Tokyo", "35.69", "139.69"},
}};

static_assert(
    [] {
        for (std::size_t row = 0; row < kCities.size(); ++row)
            if (kCityPlaces[row].name != kCities[row].name) return false;
        return true;
    }(),
    "the places follow the city table row by row");

// In tour order: ascending frame, entries of one frame in the order given.
inline constexpr std::array<TourEntry, 28> WeatherTour{{
    {8, "サンパウロ", "サンパウロ", 1110, 1200, 720, 1620},
    {10, "ワシントン", "ワシントンD.C.", 1170, 300, 780, 720},
    {10, "ﾌﾞｴﾉｽｱｲﾚｽ", "ブエノスアイレス", 1110, 2130, 690, 1980},
    {11, "バンクーバー", "バンクーバー", 1050, 30, 660, 450},
    {12, "メキシコシティ", "メキシコシティー", 1080, 690, 690, 1110},
    {13, "ニューヨーク", "ニューヨーク", 1020, 300, 630, 720},
    {20, "ホノルル", "ホノルル", 1170, 780, 750, 1230},
    {23, "オークランド", "オークランド", 1260, 1950, 840, 1770},
    {26, "グアム", "グアム", 1110, 630, 690, 1080},
    {27, "シドニー", "シドニー", 1260, 1740, 840, 2190},
    {29, "東京", "東京", 1320, 180, 900, 630},
    {30, "マニラ", "マニラ", 1230, 720, 810, 1140},
    {30, "香港", "香港", 930, 480, 540, 900},
    {30, "ソウル", "ソウル", 1200, 120, 810, 540},
    {32, "バンコク", "バンコク", 1050, 810, 660, 1230},
    {32, "シンガポール", "シンガポール", 1170, 1050, 780, 1470},
    {36, "ニューデリー", "ニューデリー", 1200, 720, 810, 1140},
    {37, "モスクワ", "モスクワ", 1080, 120, 660, 570},
    {39, "イスタンブール", "イスタンブール", 1260, 510, 840, 960},
    {40, "バーレーン", "バーレーン", 1380, 720, 960, 1170},
    {40, "ナイロビ", "ナイロビ", 1230, 1290, 810, 1740},
    {41, "カイロ", "カイロ", 1080, 690, 660, 1140},
    {42, "アテネ", "アテネ", 1170, 420, 750, 870},
    {43, "ローマ", "ローマ", 1080, 420, 660, 870},
    {43, "ストックホルム", "ストックホルム", 1020, 90, 600, 540},
    {44, "ベルリン", "ベルリン", 1110, 300, 690, 750},
    {44, "パリ", "パリ", 960, 420, 540, 870},
    {44, "ロンドン", "ロンドン", 1020, 150, 600, 600},
}};

}  // namespace skyroll::weather
