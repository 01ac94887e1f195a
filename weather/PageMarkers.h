#pragma once
// The markers of the Japan page that the reduction looks for, and the word
// for weather it could not find: shared by the reduction and by the live
// source, which writes pages the reduction reads.

#include <string_view>

namespace skyroll::weather {

inline constexpr std::u32string_view kTokyoHeading =
    U"</DIV><DIV class=right_box><H2>東京<small>(東京都東京地方)</small>の天気</H2>";
inline constexpr std::u32string_view kIconCell = U"<TD colspan=4><IMG SRC='/icon";
inline constexpr std::u32string_view kUnknown = U"不明";

}  // namespace skyroll::weather
