// The two layouts the program finds at start: portable (SKR20 beside the
// executable) and installed (shared data, the user's own folders), through
// the local file system and through the whole program on the headless
// platform.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathText.h"
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

// The program installed under a prefix as the package lays it out, with
// every window opened: the globe, the tray menu, every speed, the moon, the
// space picture, the weather tour and the settings dialog. Every picture
// comes from the shared data, the settings from and to the user's folder,
// the weather through the cache; nothing is written under the prefix and no
// message is shown.
TEST(ProgramFiles, InstalledProgramOpensEveryWindowWithoutWritingItsInstallation) {
    Layout l;
    const fs::path prefix = l.dir.path() / "usr";
    const fs::path data = prefix / "share" / "skyroll" / "SKR20";
    fs::create_directories(prefix / "bin");
    writeGlobeFrames(prefix / "share" / "skyroll");
    writeMoonFrames(prefix / "share" / "skyroll");
    writeFile(data / "BACK" / u8"宇宙.bmp", makeBmp(8, 8, 1));
    for (const char* gif : {"SUN.gif", "CLOUDY.gif", "RAIN.gif", "SNOW.gif", "SUN_RAIN.gif", "UNKNOWN.gif"})
        writeFile(data / "WEATHER" / gif, std::string("GIF89a\x1e\x00\x1e\x00\x80\x00\x00;", 14));
    fs::remove(data / "PALAM");
    const fs::path earthIni = l.dir.path() / ".config" / "skyroll" / "EARTH.INI";
    fs::create_directories(earthIni.parent_path());
    writeFile(earthIni, "[SPEED]\r\nROLLSPEED=4\r\n");
    const std::vector<std::string> installed = treeOf(prefix);

    trace::SimulationOptions options;
    options.appFolder = prefix / "bin";
    options.systemFolder = l.cache();
    options.liveAnswer = SKYROLL_WEATHER_DATA "/live/forecast.json";
    trace::Simulation sim(options);
    auto& tk = sim.toolkit();
    platform::Form& globe = sim.globe().form();
    const auto choose = [&](std::string_view item, double thenRun = 0.5) {
        tk.chooseMenu("fSky_Roll", item);
        sim.runFor(thenRun);
        ASSERT_FALSE(tk.fatalMessage()) << "after " << item << ": " << *tk.fatalMessage();
    };
    sim.start();
    sim.runFor(3);
    EXPECT_TRUE(globe.menu("mMIN").checked());
    EXPECT_EQ(sim.last("fSky_Roll.Picture1", "picture"), (data / "earth" / "EarthMap_3.bmp").string());
    EXPECT_TRUE(fs::is_regular_file(l.cache() / "WEATHER.INI"));
    EXPECT_TRUE(fs::is_regular_file(l.cache() / "live-weather.json"));
    EXPECT_TRUE(fs::is_directory(l.cache() / "WORLDTEMP"));
    tk.trayCallback(516);  // the right button on the tray icon
    sim.runFor(0);
    EXPECT_EQ(sim.last("fSky_Roll", "popup"), "mMenu");

    // Every speed, fastest to slowest.
    for (const char* speed : {"mMAX", "mHI", "mNOR", "mLOW", "mMIN"}) {
        choose(speed);
        EXPECT_TRUE(globe.menu(speed).checked()) << speed;
    }
    // The moon on, turning through its pictures, and off.
    choose("mMOON", 2.5);
    ASSERT_NE(tk.findForm("fMoon"), nullptr);
    EXPECT_EQ(fs::path(sim.last("fMoon.Picture1", "picture")).parent_path(), data / "moon");
    choose("mMOON");
    EXPECT_EQ(tk.findForm("fMoon"), nullptr);
    // The space picture on and off.
    choose("mSPACE");
    EXPECT_EQ(sim.desktop().wallpaperSetting(), platform::pathText(data / "BACK" / u8"宇宙.bmp"));
    choose("mSPACE");
    EXPECT_EQ(sim.desktop().wallpaperSetting(), "/home/user/wallpaper.png");
    // The weather tour off, then on for a whole turn at the fastest speed:
    // each city shows the shared picture its line of the cache's WEATHER.INI names.
    choose("mTENKI");
    EXPECT_FALSE(globe.menu("mTENKI").checked());
    choose("mMAX");
    choose("mTENKI", 60);
    EXPECT_TRUE(globe.menu("mTENKI").checked());
    std::set<std::string> shown;
    for (const headless::Record& r : sim.records("fSky_Roll.Image1", "picture")) shown.insert(r.value);
    const std::set<std::string> expected = {
        (data / "WEATHER" / "SUN.gif").string(), (data / "WEATHER" / "CLOUDY.gif").string(),
        (data / "WEATHER" / "RAIN.gif").string(), (data / "WEATHER" / "SNOW.gif").string(),
        (data / "WEATHER" / "SUN_RAIN.gif").string()};
    EXPECT_EQ(shown, expected);
    choose("mTENKI");
    // The settings dialog, its OK storing the lower left at the slowest speed.
    tk.post(tk.now() + 0.3, [&] {
        tk.selectOption("fSetting", "Option1(1)");
        tk.selectOption("fSetting", "Option2(4)");
        tk.pressButton("fSetting", "Command1");
    });
    choose("mSETTING", 1);
    EXPECT_EQ(tk.findForm("fSetting"), nullptr);
    const std::string stored = readFile(earthIni);
    EXPECT_NE(stored.find("\r\nDISPPOS=1\r\n"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\r\nROLLSPEED=4\r\n"), std::string::npos) << stored;
    EXPECT_TRUE(globe.menu("mMIN").checked());
    choose("mEnd");
    EXPECT_TRUE(tk.ended());
    EXPECT_EQ(tk.exitCode(), 0);
    EXPECT_TRUE(tk.messages().empty());
    EXPECT_TRUE(sim.records("", "picture-failed").empty());
    for (const headless::Record& r : sim.records("", "picture"))
        EXPECT_TRUE(r.value.starts_with(data.string() + "/")) << r.subject << " " << r.value;
    EXPECT_EQ(treeOf(prefix), installed);
}

}  // namespace
}  // namespace skyroll::test
