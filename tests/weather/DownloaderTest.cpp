// The downloaders behind W3getv: the command string, the plain file names it
// may store under, and the headless downloader (the network ones:
// NetworkDownloaderTest.cpp).

#include <gtest/gtest.h>

#include <string>

#include "platform/DownloadCommand.h"
#include "platform/PathText.h"
#include "platform/headless/HeadlessDownloader.h"
#include "tests/support/TestFiles.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;

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

TEST(HeadlessDownloader, CopiesPagesByPathAndRecordsCommands) {
    TempDir folder;
    headless::HeadlessDownloader downloader(SKYROLL_WEATHER_DATA "/site");
    const std::string dir = folder.path().string();
    std::vector<std::string> commands = {
        "-d " + dir + " -j sjis -o EU.html http://any.host/world/wd011.html",
        "-d " + dir + " -j sjis -o NONE.html http://any.host/world/wd999.html",
        "-d " + dir + " -j sjis -o UP.html http://any.host/../site/world/wd011.html",
        "-d " + dir + " -j sjis -o ../x.html http://any.host/world/wd011.html",
    };
    std::vector<int> results;
    for (std::string command : commands) {
        std::int32_t option = 0;
        results.push_back(downloader.W3getv(command, option));
    }
    EXPECT_EQ(results, (std::vector<int>{0, 1, 1, 1}));
    EXPECT_EQ(downloader.commands(), commands);
    EXPECT_EQ(readFile(folder.path() / "EU.html"), readFile(SKYROLL_WEATHER_DATA "/site/world/wd011.html"));
    EXPECT_TRUE(fs::exists(folder.path() / "NONE.html"));
    EXPECT_EQ(readFile(folder.path() / "NONE.html"), "");
    EXPECT_EQ(readFile(folder.path() / "UP.html"), "");
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "x.html"));
}

TEST(HeadlessDownloader, WithoutAPagesFolderStoresEmptyPages) {
    TempDir folder;
    headless::HeadlessDownloader downloader;
    std::string command = "-d " + folder.path().string() + " -j sjis -o EU.html http://h/world/wd011.html";
    std::int32_t option = 0;
    EXPECT_NE(downloader.W3getv(command, option), 0);
    EXPECT_TRUE(fs::exists(folder.path() / "EU.html"));
    EXPECT_EQ(readFile(folder.path() / "EU.html"), "");
}

}  // namespace
}  // namespace skyroll::platform
