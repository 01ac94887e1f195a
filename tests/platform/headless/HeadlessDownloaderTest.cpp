// The headless downloader: pages copied from a folder by their path.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessDownloader.h"
#include "tests/support/TestFiles.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;

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
