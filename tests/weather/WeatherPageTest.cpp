// The reduction of page text to a city's weather value.

#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "weather/WeatherPage.h"

namespace skyroll::weather {
namespace {

std::string utf8(const std::u32string& text) { return cp932::toUtf8(text); }

struct ClassifyCase {
    const char* name;
    std::u32string text;
    bool japanPage;
    std::u32string expected;
};

TEST(ClassifyWeather, FirstMatchingRuleDecides) {
    const ClassifyCase cases[] = {
        {"fine at times rain", U"晴れ時々雨", false, U"SUN_RAIN.gif"},
        {"rain later snow", U"雨のち雪", false, U"SNOW.gif"},
        {"fine, rain and snow: snow wins", U"晴れ時々雨一時雪", false, U"SNOW.gif"},
        {"cloudy at times fine", U"くもり時々晴れ", false, U"SUN.gif"},
        {"cloudy at times rain", U"くもり一時雨", false, U"RAIN.gif"},
        {"kana cloudy on a world page", U"くもり", false, U"CLOUDY.gif"},
        {"kanji cloudy on a world page is kept", U"曇り", false, U"曇り"},
        {"kanji cloudy on the Japan page", U"曇り", true, U"CLOUDY.gif"},
        {"kana cloudy on the Japan page is kept", U"くもり", true, U"くもり"},
        {"snow wins on the Japan page too", U"曇り時々雪", true, U"SNOW.gif"},
        {"fine needs its okurigana", U"晴", false, U"晴"},
        {"half-width kana are other characters", U"ｸﾓﾘ", false, U"ｸﾓﾘ"},
        {"empty text is undetermined", U"", false, U"不明"},
        {"text without weather is kept", U"\t<TD>---</TD>", false, U"\t<TD>---</TD>"},
    };
    for (const ClassifyCase& c : cases) {
        EXPECT_EQ(utf8(ClassifyWeather(c.text, c.japanPage)), utf8(c.expected)) << c.name;
    }
}

struct ReduceCase {
    const char* name;
    std::u32string page;
    std::u32string city;
    CityWeather expected;
};

void expectReductions(std::string_view file, const std::vector<ReduceCase>& cases) {
    for (const ReduceCase& c : cases) {
        const CityWeather got = ReducePage(c.page, file, c.city);
        EXPECT_EQ(utf8(got.name), utf8(c.expected.name)) << c.name;
        EXPECT_EQ(utf8(got.value), utf8(c.expected.value)) << c.name;
    }
}

TEST(ReducePage, WorldPageTakesTheLineAfterTheFirstMention) {
    expectReductions(
        "HONKON.html",
        {
            {"next line", U"<TD>香港</TD>\r\n <TD>晴れ</TD> \r\n", U"香港", {U"香港", U"SUN.gif"}},
            {"first mention decides", U"香港\r\nくもり\r\n香港\r\n雪\r\n", U"香港", {U"香港", U"CLOUDY.gif"}},
            {"first mention without weather decides",
             U"香港\r\n<HR>\r\n香港\r\n雪",
             U"香港",
             {U"香港", U"<HR>"}},
            {"inside a longer word",
             U"ロンドン塔\r\n雨\r\nロンドン\r\n雪",
             U"ロンドン",
             {U"ロンドン", U"RAIN.gif"}},
            {"menu before the table",
             U"<A>パリ</A>|<A>ローマ</A>\r\n<HR>\r\nパリ\r\n雨",
             U"パリ",
             {U"パリ", U"<HR>"}},
            {"on the last line", U"晴れ\r\n香港", U"香港", {U"", U"不明"}},
            {"on the last line before its terminator", U"晴れ\r\n香港\r\n", U"香港", {U"", U"不明"}},
            {"absent", U"ソウル\r\n晴れ\r\n", U"香港", {U"", U"不明"}},
            {"empty page", U"", U"香港", {U"", U"不明"}},
            {"empty next line", U"香港\r\n\r\n雪\r\n", U"香港", {U"香港", U"不明"}},
            {"all-blank next line", U"香港\r\n     \r\n雪\r\n", U"香港", {U"香港", U"不明"}},
            {"LF alone ends no line", U"香港\n晴れ\n", U"香港", {U"", U"不明"}},
            {"LF stays inside the line", U"メニュー\n香港\r\n雨", U"香港", {U"香港", U"RAIN.gif"}},
            {"CR alone ends a line", U"香港\r晴れ", U"香港", {U"香港", U"SUN.gif"}},
            {"CR CR leaves an empty line", U"香港\r\r晴れ", U"香港", {U"香港", U"不明"}},
            {"blanks go, tabs survive",
             U"ニューヨーク\r\n \t\t<TD>---</TD>  \r\n",
             U"ニューヨーク",
             {U"ニューヨーク", U"\t\t<TD>---</TD>"}},
            {"full-width letters differ", U"ワシントンＤ.Ｃ.\r\n雪\r\n", U"ワシントンD.C.", {U"", U"不明"}},
            {"replacement characters are searched over",
             U"\uFFFD\uFFFD\r\nグアム\r\n\uFFFD雨",
             U"グアム",
             {U"グアム", U"RAIN.gif"}},
        });
}

const std::u32string kHeading =
    U"</DIV><DIV class=right_box><H2>東京<small>(東京都東京地方)</small>の天気</H2>";
const std::u32string kIcon = U"<TD colspan=4><IMG SRC='/icon";

TEST(ReducePage, JapanPageReadsTheIconCellAfterTheTokyoHeading) {
    const std::u32string fine = kIcon + U"/100.gif' ALT='晴れ'>";
    const std::u32string cloudy = kIcon + U"/200.gif' ALT='曇り'>";
    // 29 characters of marker, then padding so that the word ends exactly at
    // character 100 of the piece, or begins at character 101.
    const std::u32string rainAt99 = kIcon + std::u32string(70, U'x') + U"雨";
    const std::u32string rainAt101 = kIcon + std::u32string(71, U'x') + U"雨";
    expectReductions(
        "JAPAN.html",
        {
            {"fine", U"<HTML>" + kHeading + U"<TR>" + fine + U"</TR>\r\n", U"東京", {U"東京", U"SUN.gif"}},
            {"kanji cloudy", kHeading + cloudy, U"東京", {U"東京", U"CLOUDY.gif"}},
            {"kana cloudy is kept",
             kHeading + kIcon + U"/200.gif' ALT='くもり'>",
             U"東京",
             {U"東京", kIcon + U"/200.gif' ALT='くもり'>"}},
            {"word ending at character 100 counts",
             kHeading + rainAt99 + U"晴れ",
             U"東京",
             {U"東京", U"RAIN.gif"}},
            {"word past character 100 does not count",
             kHeading + rainAt101,
             U"東京",
             {U"東京", rainAt101.substr(0, 100)}},
            {"only the first line", U"<HTML>\r\n" + kHeading + fine, U"東京", {U"", U"不明"}},
            {"no heading", U"<HTML>" + fine, U"東京", {U"", U"不明"}},
            {"no icon cell", kHeading + U"<TD>晴れ</TD>", U"東京", {U"", U"不明"}},
            {"icon cell beyond the 1,000-character piece",
             kHeading + std::u32string(1000 - kHeading.size() + 1, U'x') + fine,
             U"東京",
             {U"", U"不明"}},
            {"icon cell just inside the piece",
             kHeading + std::u32string(1000 - kHeading.size() - kIcon.size(), U'x') + fine,
             U"東京",
             {U"東京", kIcon}},
            {"heading at character 32,767",
             std::u32string(32766, U'x') + kHeading + fine,
             U"東京",
             {U"東京", U"SUN.gif"}},
            {"heading at character 32,768",
             std::u32string(32767, U'x') + kHeading + fine,
             U"東京",
             {U"", U"不明"}},
            {"empty page", U"", U"東京", {U"", U"不明"}},
        });
}

}  // namespace
}  // namespace skyroll::weather
