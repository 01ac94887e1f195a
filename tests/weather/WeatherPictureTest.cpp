// Which weather values may name a file in the picture folder.

#include <gtest/gtest.h>

#include <string>

#include "weather/WeatherPicture.h"

namespace skyroll::weather {
namespace {

TEST(WeatherPicture, OnlyPlainFileNamesPass) {
    struct Case {
        const char* why;
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"a picture name", "SUN_RAIN.gif", true},
        {"Japanese text", "晴れ時々曇り", true},
        {"undetermined", "不明", true},
        {"a dot inside", "a.b.gif", true},
        {"255 bytes", std::string(251, 'a') + ".gif", true},
        {"empty", "", false},
        {"the folder itself", ".", false},
        {"the parent", "..", false},
        {"up with backslashes", "..\\..\\x.gif", false},
        {"up with slashes", "../../x.gif", false},
        {"two dots inside", "x..gif", false},
        {"root", "/etc/passwd", false},
        {"drive", "C:\\x.gif", false},
        {"drive-relative", "C:x.gif", false},
        {"UNC", "\\\\host\\share\\x.gif", false},
        {"carriage return", "SUN.gif\r", false},
        {"NUL", std::string("SUN.gif\0.bmp", 12), false},
        {"escape", "SUN\x1b.gif", false},
        {"DEL", "SUN\x7f.gif", false},
        {"C1 control", "SUN\xc2\x85.gif", false},
        {"256 bytes", std::string(252, 'a') + ".gif", false},
        {"300 bytes", std::string(296, 'a') + ".gif", false},
        {"300 bytes of kana",
         [] {
             std::string s;
             for (int i = 0; i < 100; ++i) s += "あ";  // three bytes each
             return s;
         }(),
         false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlainFileName(c.name), c.plain) << c.why;
}

}  // namespace
}  // namespace skyroll::weather
