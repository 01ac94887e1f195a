// The two layouts the program finds at start: portable (SKR20 beside the
// executable) and installed (shared data, the user's own folders), through
// the local file system and through the whole program on the headless
// platform.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

struct Layout {
    Layout() : home("HOME", dir.path().c_str()), config("XDG_CONFIG_HOME", nullptr) {}
    fs::path cache() const { return dir.path() / "cache"; }
    std::unique_ptr<platform::FileSystem> files() {
        return platform::makeLocalFileSystem(cache(), {}, [this](const std::string& note) { notes.push_back(note); });
    }

    TempDir dir;
    ScopedEnv home;
    ScopedEnv config;
    std::vector<std::string> notes;
};

TEST(ProgramFiles, PortableKeepsEverythingInSkr20) {
    Layout l;
    const fs::path app = l.dir.path() / "app";
    writeGlobeFrames(app);
    const platform::ProgramFiles files = l.files()->programFiles(app);
    EXPECT_EQ(files.dataFolder, app / "SKR20");
    EXPECT_EQ(files.earthIni, app / "SKR20" / "PALAM" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, app / "SKR20" / "PALAM" / "WEATHER.INI");
    EXPECT_TRUE(l.notes.empty());
    EXPECT_EQ(treeOf(app / "SKR20" / "PALAM"), std::vector<std::string>{}) << "no trace of the write check";
    EXPECT_FALSE(fs::exists(l.dir.path() / ".config"));

    // A portable folder without PALAM gets one.
    fs::remove(app / "SKR20" / "PALAM");
    EXPECT_EQ(l.files()->programFiles(app).weatherIni, app / "SKR20" / "PALAM" / "WEATHER.INI");
    EXPECT_TRUE(fs::is_directory(app / "SKR20" / "PALAM"));
}

TEST(ProgramFiles, PortableWithPalamNotWritableKeepsTheWeatherInTheCache) {
    Layout l;
    const fs::path app = l.dir.path() / "app";
    fs::create_directories(app / "SKR20");
    // A file where PALAM should be cannot be written into, even by root.
    writeFile(app / "SKR20" / "PALAM", "");
    const platform::ProgramFiles files = l.files()->programFiles(app);
    EXPECT_EQ(files.earthIni, app / "SKR20" / "PALAM" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, l.cache() / "WEATHER.INI");
    ASSERT_EQ(l.notes.size(), 1u);
    EXPECT_NE(l.notes[0].find((app / "SKR20" / "PALAM").string()), std::string::npos) << l.notes[0];
    EXPECT_NE(l.notes[0].find((l.cache() / "WEATHER.INI").string()), std::string::npos) << l.notes[0];
}

TEST(ProgramFiles, InstalledUsesTheSharedDataAndTheUserFolders) {
    Layout l;
    const fs::path bin = l.dir.path() / "usr" / "bin";
    fs::create_directories(bin);
    const platform::ProgramFiles files = l.files()->programFiles(bin);
    EXPECT_EQ(files.dataFolder, l.dir.path() / "usr" / "share" / "skyroll" / "SKR20");
    EXPECT_EQ(files.earthIni, l.dir.path() / ".config" / "skyroll" / "EARTH.INI");
    EXPECT_EQ(files.weatherIni, l.cache() / "WEATHER.INI");
    EXPECT_TRUE(fs::is_directory(l.dir.path() / ".config" / "skyroll"));
    EXPECT_TRUE(fs::is_directory(l.cache()));

    const std::string xdg = (l.dir.path() / "xdg").string();
    {
        ScopedEnv config("XDG_CONFIG_HOME", xdg.c_str());
        EXPECT_EQ(l.files()->programFiles(bin).earthIni, l.dir.path() / "xdg" / "skyroll" / "EARTH.INI");
    }
    EXPECT_TRUE(l.notes.empty());
}

// The program installed under a prefix: it reads the shared frames and the
// user's settings, writes the weather into the cache, and nothing under the
// prefix.
TEST(ProgramFiles, InstalledProgramRunsWithoutWritingItsInstallation) {
    Layout l;
    const fs::path prefix = l.dir.path() / "usr";
    fs::create_directories(prefix / "bin");
    writeGlobeFrames(prefix / "share" / "skyroll");
    fs::remove(prefix / "share" / "skyroll" / "SKR20" / "PALAM");
    fs::create_directories(l.dir.path() / ".config" / "skyroll");
    writeFile(l.dir.path() / ".config" / "skyroll" / "EARTH.INI", "[SPEED]\r\nROLLSPEED=4\r\n");
    const std::vector<std::string> installed = treeOf(prefix);

    trace::SimulationOptions options;
    options.appFolder = prefix / "bin";
    options.systemFolder = l.cache();
    trace::Simulation sim(options);
    sim.start();
    sim.runFor(3);
    EXPECT_TRUE(sim.globe().form().menu("mMIN").checked());
    EXPECT_EQ(sim.last("fSky_Roll.Picture1", "picture"),
              (prefix / "share" / "skyroll" / "SKR20" / "earth" / "EarthMap_3.bmp").string());
    EXPECT_TRUE(fs::is_regular_file(l.cache() / "WEATHER.INI"));
    EXPECT_TRUE(fs::is_directory(l.cache() / "WORLDTEMP"));
    EXPECT_EQ(treeOf(prefix), installed);
}

}  // namespace
}  // namespace skyroll::test
