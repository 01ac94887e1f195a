// The program in the installed layout (shared data, the user's own folders)
// on the headless platform; how the local file system finds either layout is
// tested in tests/platform/posix.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/PathText.h"
#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

// The program installed under a prefix as the package lays it out, with
// every window opened: the globe, the tray menu, every speed, the moon, the
// space picture, the weather tour and the settings dialog. Every picture
// comes from the shared data, the settings from and to the user's folder,
// the weather through the cache; nothing is written under the prefix and no
// message is shown.
TEST(ProgramFiles, InstalledProgramOpensEveryWindowWithoutWritingItsInstallation) {
    TempDir dir;
    ScopedEnv home("HOME", dir.path().c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    const fs::path cache = dir.path() / "cache";
    const fs::path prefix = dir.path() / "usr";
    const fs::path data = prefix / "share" / "skyroll" / "SKR20";
    fs::create_directories(prefix / "bin");
    writeGlobeFrames(prefix / "share" / "skyroll");
    writeMoonFrames(prefix / "share" / "skyroll");
    writeFile(data / "BACK" / u8"宇宙.bmp", makeBmp(8, 8, 1));
    for (const char* gif : {"SUN.gif", "CLOUDY.gif", "RAIN.gif", "SNOW.gif", "SUN_RAIN.gif", "UNKNOWN.gif"})
        writeFile(data / "WEATHER" / gif, std::string("GIF89a\x1e\x00\x1e\x00\x80\x00\x00;", 14));
    fs::remove(data / "PALAM");
    const fs::path earthIni = dir.path() / ".config" / "skyroll" / "EARTH.INI";
    fs::create_directories(earthIni.parent_path());
    writeFile(earthIni, "[SPEED]\r\nROLLSPEED=4\r\n");
    const std::vector<std::string> installed = treeOf(prefix);

    trace::SimulationOptions options;
    options.appFolder = prefix / "bin";
    options.systemFolder = cache;
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
    EXPECT_TRUE(fs::is_regular_file(cache / "WEATHER.INI"));
    EXPECT_TRUE(fs::is_regular_file(cache / "live-weather.json"));
    EXPECT_TRUE(fs::is_directory(cache / "WORLDTEMP"));
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
