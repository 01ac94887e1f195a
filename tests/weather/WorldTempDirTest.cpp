// The page folder WORLDTEMP (the hold on it is a scenario in core).

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/Failure.h"
#include "platform/FileSystem.h"
#include "tests/support/TestFiles.h"
#include "weather/WorldTempDir.h"

namespace skyroll::weather {
namespace {

namespace fs = std::filesystem;
using skyroll::test::TempDir;
using skyroll::test::writeFile;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PrepareWorldTempDir, CreatesTheFolderWithoutADummy) {
    TempDir system;
    const auto files = platform::makeLocalFileSystem(system.path() / "cache folder");
    const fs::path dir = PrepareWorldTempDir(*files);
    EXPECT_EQ(dir, system.path() / "cache folder" / "WORLDTEMP");
    ASSERT_TRUE(fs::is_directory(dir));
    EXPECT_TRUE(namesIn(dir).empty());
}

TEST(PrepareWorldTempDir, EmptiesTheFolderOfPagesOnly) {
    TempDir system;
    const fs::path dir = system.path() / "WORLDTEMP";
    fs::create_directory(dir);
    for (const char* name :
         {"HONKON.html", "DUMMY.html", "other.html", "notes.txt", "page.html.bak", "PAGE.HTML"})
        writeFile(dir / name, "x");
    fs::create_directory(dir / "sub.html");
    const auto files = platform::makeLocalFileSystem(system.path());
    EXPECT_EQ(PrepareWorldTempDir(*files), dir);
    EXPECT_EQ(namesIn(dir),
              (std::vector<std::string>{"PAGE.HTML", "notes.txt", "page.html.bak", "sub.html"}));
}

TEST(PrepareWorldTempDir, FailureNamesTheFolder) {
    TempDir system;
    // A file where the folder should be: it can be neither created nor emptied.
    writeFile(system.path() / "WORLDTEMP", "not a folder");
    const auto files = platform::makeLocalFileSystem(system.path());
    try {
        PrepareWorldTempDir(*files);
        FAIL() << "no failure";
    } catch (const FatalError& failure) {
        EXPECT_NE(std::string(failure.what()).find((system.path() / "WORLDTEMP").string()), std::string::npos)
            << failure.what();
    }
}

// A link in the folder's place is not followed: the pages of the folder it
// points to stay.
TEST(PrepareWorldTempDir, ALinkInTheFoldersPlaceIsNotFollowed) {
    TempDir system;
    const fs::path elsewhere = system.path() / "elsewhere";
    fs::create_directory(elsewhere);
    writeFile(elsewhere / "index.html", "x");
    fs::create_directory_symlink(elsewhere, system.path() / "WORLDTEMP");
    const auto files = platform::makeLocalFileSystem(system.path());
    EXPECT_THROW(PrepareWorldTempDir(*files), FatalError);
    EXPECT_FALSE(files->folderExists(system.path() / "WORLDTEMP"));
    EXPECT_EQ(files->deleteFilesEndingWith(system.path() / "WORLDTEMP", ".html"), -1);
    EXPECT_EQ(namesIn(elsewhere), std::vector<std::string>{"index.html"});
}

}  // namespace
}  // namespace skyroll::weather
