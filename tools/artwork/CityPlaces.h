#pragma once
// Where the cities of the weather tour lie on the Earth, keyed by the weather
// key of the tour table. Degrees, north and east positive.

#include <array>
#include <optional>
#include <string_view>

namespace skyroll::artwork {

struct CityPlace {
    std::string_view key;   // weather key of the tour entry
    std::string_view name;  // English name, for the error table
    double latitude, longitude;
};

inline constexpr std::array<CityPlace, 28> kCityPlaces{{
    {"サンパウロ", "Sao Paulo", -23.55, -46.63},
    {"ワシントンD.C.", "Washington", 38.90, -77.04},
    {"ブエノスアイレス", "Buenos Aires", -34.60, -58.38},
    {"バンクーバー", "Vancouver", 49.28, -123.12},
    {"メキシコシティー", "Mexico City", 19.43, -99.13},
    {"ニューヨーク", "New York", 40.71, -74.01},
    {"ホノルル", "Honolulu", 21.31, -157.86},
    {"オークランド", "Auckland", -36.85, 174.76},
    {"グアム", "Guam", 13.44, 144.79},
    {"シドニー", "Sydney", -33.87, 151.21},
    {"東京", "Tokyo", 35.68, 139.69},
    {"マニラ", "Manila", 14.60, 120.98},
    {"香港", "Hong Kong", 22.32, 114.17},
    {"ソウル", "Seoul", 37.57, 126.98},
    {"バンコク", "Bangkok", 13.76, 100.50},
    {"シンガポール", "Singapore", 1.35, 103.82},
    {"ニューデリー", "New Delhi", 28.61, 77.21},
    {"モスクワ", "Moscow", 55.76, 37.62},
    {"イスタンブール", "Istanbul", 41.01, 28.98},
    {"バーレーン", "Bahrain", 26.23, 50.59},
    {"ナイロビ", "Nairobi", -1.29, 36.82},
    {"カイロ", "Cairo", 30.04, 31.24},
    {"アテネ", "Athens", 37.98, 23.73},
    {"ローマ", "Rome", 41.90, 12.50},
    {"ストックホルム", "Stockholm", 59.33, 18.07},
    {"ベルリン", "Berlin", 52.52, 13.40},
    {"パリ", "Paris", 48.86, 2.35},
    {"ロンドン", "London", 51.51, -0.13},
}};

inline std::optional<CityPlace> findCityPlace(std::string_view key) {
    for (const CityPlace& place : kCityPlaces)
        if (place.key == key) return place;
    return std::nullopt;
}

}  // namespace skyroll::artwork
