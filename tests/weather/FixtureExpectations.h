#pragma once
// What the fixture pages under tests/data/weather/site reduce to: the 28
// lines after "[WEATHER]", in city-table order (see make_fixture_pages.py
// for the case each page holds).

#include <array>
#include <string>
#include <string_view>

#include "platform/Cp932.h"

namespace skyroll::testing {

inline constexpr std::array<std::string_view, 28> kFixtureWeatherLines{{
    "香港=SUN_RAIN.gif",
    "ソウル=CLOUDY.gif",
    "バンコク=SNOW.gif",
    "シンガポール=SUN.gif",
    "マニラ=RAIN.gif",
    "ニューデリー=<TD ALIGN=center>曇り</TD></TR>",
    "バンクーバー=<HR>",
    "ワシントンD.C.=SNOW.gif",
    "ニューヨーク=\t\t<TD>---</TD></TR>",
    "メキシコシティー=SUN.gif",
    "サンパウロ=不明",
    "ブエノスアイレス=不明",
    "ロンドン=CLOUDY.gif",
    "パリ=RAIN.gif",
    "=不明",
    "モスクワ=SNOW.gif",
    "ローマ=SUN.gif",
    "=不明",
    "=不明",
    "イスタンブール=SUN_RAIN.gif",
    "バーレーン=SUN.gif",
    "カイロ=SUN.gif",
    "ナイロビ=RAIN.gif",
    "シドニー=CLOUDY.gif",
    "オークランド=<TD ALIGN=center>ｸﾓﾘ</TD></TR>",
    "ホノルル=SUN.gif",
    "グアム=<TD ALIGN=center><B>?\?</B></TD></TR>",
    "東京=CLOUDY.gif",
}};

// WEATHER.INI as the fixture pages make it: code page 932, CR LF after every line.
inline std::string fixtureWeatherIni() {
    std::string text = "[WEATHER]\r\n";
    for (std::string_view line : kFixtureWeatherLines) text += std::string(line) + "\r\n";
    return cp932::toCp932FromUtf8(text);
}

}  // namespace skyroll::testing
