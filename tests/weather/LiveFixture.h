#pragma once
// What the recorded answer tests/data/weather/live/forecast.json reduces to:
// the 28 lines after "[WEATHER]", in city-table order.

#include <array>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace skyroll::testing {

inline constexpr std::array<std::string_view, 28> kLiveWeatherLines{{
    "香港=SUN.gif",              // 0 clear
    "ソウル=CLOUDY.gif",         // 3 overcast
    "バンコク=SUN_RAIN.gif",     // 80 showers by day
    "シンガポール=RAIN.gif",     // 80 showers by night
    "マニラ=RAIN.gif",           // 95 thunderstorm
    "ニューデリー=CLOUDY.gif",   // 45 fog
    "バンクーバー=RAIN.gif",     // 61 rain
    "ワシントンD.C.=SUN.gif",    // 2 partly cloudy
    "ニューヨーク=SNOW.gif",     // 71 snow
    "メキシコシティー=SUN.gif",  // 1 mainly clear
    "サンパウロ=RAIN.gif",       // 53 drizzle
    "ブエノスアイレス=SUN.gif",  // 0 clear by night
    "ロンドン=RAIN.gif",         // 51 drizzle
    "パリ=CLOUDY.gif",           // 48 rime fog
    "ベルリン=SNOW.gif",         // 85 snow showers
    "モスクワ=SNOW.gif",         // 73
    "ローマ=SUN.gif",            // 2
    "アテネ=SUN.gif",            // 0
    "ストックホルム=SNOW.gif",   // 77 snow grains
    "イスタンブール=SUN_RAIN.gif",  // 81 by day
    "バーレーン=SUN.gif",        // 0
    "カイロ=SUN.gif",            // 1
    "ナイロビ=SUN_RAIN.gif",     // 82 by day
    "シドニー=CLOUDY.gif",       // 3
    "オークランド=RAIN.gif",     // 63
    "ホノルル=SUN.gif",          // 2
    "グアム=RAIN.gif",           // 96 thunderstorm with hail
    "東京=CLOUDY.gif",           // 3, "曇り" on the Japan page
}};

// What Tokyo's line holds when the service gave no weather for it: the icon
// cell with "不明" matches no weather word and stands as the value itself.
inline constexpr std::string_view kTokyoUnknownValue =
    "<TD colspan=4><IMG SRC='/icons/live.gif' alt='不明'></TD></TR></TABLE></html>";

// WEATHER.INI as the recorded answer makes it: code page 932, CR LF after every line.
inline std::string liveWeatherIni() {
    std::string text = "[WEATHER]\r\n";
    for (std::string_view line : kLiveWeatherLines) text += std::string(line) + "\r\n";
    return cp932::toCp932FromUtf8(text);
}

}  // namespace skyroll::testing
