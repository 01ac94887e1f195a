// The command string of W3getv as the refresh builds it and the downloaders
// read it, and the plain file names a page may be stored under.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/DownloadCommand.h"
#include "platform/PathText.h"

namespace skyroll::platform {
namespace {

TEST(ParseW3getvCommand, ReadsTheOptionsFromTheRight) {
    struct Case {
        const char* command;
        std::optional<W3getvRequest> expected;
    };
    const Case cases[] = {
        {"-d /c/WORLDTEMP -j sjis -o EU.html http://h/world/wd011.html",
         W3getvRequest{"/c/WORLDTEMP", "EU.html", "http://h/world/wd011.html"}},
        {"-d /c/my -j sjis -o x/WORLDTEMP -j sjis -o EU.html http://h/p",
         W3getvRequest{"/c/my -j sjis -o x/WORLDTEMP", "EU.html", "http://h/p"}},
        {"-d /c/a b -o EU.html http://h/p", W3getvRequest{"/c/a b", "EU.html", "http://h/p"}},
        // Only a plain file name (the table below) is kept.
        {"-d /c -j sjis -o ../x.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o C:x.html http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis -o  http://h/p", W3getvRequest{"/c", "", "http://h/p"}},
        {"-d /c -j sjis http://h/p", std::nullopt},
        {"-o EU.html -d /c http://h/p", std::nullopt},
        {"-d  -j sjis -o EU.html http://h/p", std::nullopt},
        {"-d /c -j sjis -o EU.html ", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = parseW3getvCommand(c.command);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.command;
        if (!got) continue;
        EXPECT_EQ(got->folder, c.expected->folder) << c.command;
        EXPECT_EQ(got->file, c.expected->file) << c.command;
        EXPECT_EQ(got->address, c.expected->address) << c.command;
    }
    // What the refresh writes reads back whole, whatever the folder holds.
    const auto written = parseW3getvCommand(makeW3getvCommand("/c/my -j sjis -o x", "EU.html", "http://h/p"));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->folder, "/c/my -j sjis -o x");
    EXPECT_EQ(written->file, "EU.html");
    EXPECT_EQ(written->address, "http://h/p");
}

TEST(PlainFileName, OnlyNamesThatStayInTheirFolderPass) {
    struct Case {
        const char* why;
        std::string name;
        bool plain;
    };
    const Case cases[] = {
        {"a picture name", "SUN_RAIN.gif", true},
        {"Japanese text", "晴れ時々曇り", true},
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
        {"300 bytes of kana",
         [] {
             std::string s;
             for (int i = 0; i < 100; ++i) s += "あ";  // three bytes each
             return s;
         }(),
         false},
    };
    for (const Case& c : cases) EXPECT_EQ(isPlainFileName(c.name), c.plain) << c.why;
}

}  // namespace
}  // namespace skyroll::platform
