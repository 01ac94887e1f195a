#pragma once
// Where the 28 cities of the city table lie, for the live weather service:
// latitude and longitude in degrees (north and east positive), as the text
// sent in the request. One row per city-table row, in the same order.

#include <array>
#include <string_view>

namespace skyroll::weather {

struct CityPlace {
    std::string_view name;  // as in the city table
    std::string_view latitude;
    std::string_view longitude;
};

inline constexpr std::array<CityPlace, 28> kCityPlaces{{
    {"香港", "22.30", "114.17"},
    {"ソウル", "37.57", "126.98"},
    {"バンコク", "13.75", "100.50"},
    {"シンガポール", "1.29", "103.85"},
    {"マニラ", "14.60", "120.98"},
    {"ニューデリー", "28.61", "77.21"},
    {"バンクーバー", "49.28", "-123.12"},
    {"ワシントンD.C.", "38.91", "-77.04"},
    {"ニューヨーク", "40.71", "-74.01"},
    {"メキシコシティー", "19.43", "-99.13"},
    {"サンパウロ", "-23.55", "-46.63"},
    {"ブエノスアイレス", "-34.60", "-58.38"},
    {"ロンドン", "51.51", "-0.13"},
    {"パリ", "48.86", "2.35"},
    {"ベルリン", "52.52", "13.41"},
    {"モスクワ", "55.76", "37.62"},
    {"ローマ", "41.90", "12.50"},
    {"アテネ", "37.98", "23.73"},
    {"ストックホルム", "59.33", "18.07"},
    {"イスタンブール", "41.01", "28.98"},
    {"バーレーン", "26.23", "50.59"},
    {"カイロ", "30.04", "31.24"},
    {"ナイロビ", "-1.29", "36.82"},
    {"シドニー", "-33.87", "151.21"},
    {"オークランド", "-36.85", "174.76"},
    {"ホノルル", "21.31", "-157.86"},
    {"グアム", "13.48", "144.75"},
    {"東京", "35.69", "139.69"},
}};

}  // namespace skyroll::weather
