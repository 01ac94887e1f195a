// Start-up, the stored place and speed, the window's shape, and the end of
// the program, on the headless platform.

#include <gtest/gtest.h>

#include "tests/support/Scenario.h"
#include "weather/LiveWeather.h"
#include "weather/Sites.h"
#include "weather/WeatherTables.h"

namespace skyroll::test {
namespace {

const char* const kSpeedItems[] = {"mMAX", "mHI", "mNOR", "mLOW", "mMIN"};

std::vector<std::string> checkedSpeeds(Scenario& s) {
    std::vector<std::string> names;
    for (const char* item : kSpeedItems)
        if (s.checked(item)) names.push_back(item);
    return names;
}

TEST(Startup, WithoutEarthIniTurnsAtMaximumAtTheUpperRight) {
    Scenario s;
    s.start();
    EXPECT_EQ(checkedSpeeds(s), std::vector<std::string>{"mMAX"});
    EXPECT_TRUE(s.checked("mTENKI"));
    EXPECT_EQ(s.form().control("Timer1").interval(), 1);
    EXPECT_EQ(s.sim->program().state().RollInterval, 1);
    EXPECT_EQ(s.form().left(), 12360);
    EXPECT_EQ(s.form().top(), 300);
    // Start-up reads the settings and writes nothing.
    EXPECT_FALSE(std::filesystem::exists(s.earthIni()));
}

struct StoredSpeed {
    const char* name;
    const char* file;
    const char* expectedItem;
    int interval;
    int rollInterval;
};

class StoredSpeedTest : public testing::TestWithParam<StoredSpeed> {};

TEST_P(StoredSpeedTest, SelectsOnlyAnExactCode) {
    const StoredSpeed& row = GetParam();
    Scenario s;
    s.writeEarthIni(row.file);
    const std::string before = readFile(s.earthIni());
    s.start();
    EXPECT_EQ(checkedSpeeds(s), std::vector<std::string>{row.expectedItem});
    EXPECT_TRUE(s.checked("mTENKI"));
    EXPECT_EQ(s.form().control("Timer1").interval(), row.interval);
    EXPECT_EQ(s.sim->program().state().RollInterval, row.rollInterval);
    EXPECT_EQ(readFile(s.earthIni()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, StoredSpeedTest,
    testing::Values(StoredSpeed{"Slowest", "[SPEED]\r\nROLLSPEED=4\r\n", "mMIN", 1000, 1000},
                    StoredSpeed{"Normal", "[SPEED]\r\nROLLSPEED=2\r\n", "mNOR", 100, 100},
                    StoredSpeed{"High", "[SPEED]\r\nROLLSPEED=1\r\n", "mHI", 30, 30},
                    StoredSpeed{"EmptyValueReadsAsZero", "[SPEED]\r\nROLLSPEED=\r\n", "mMAX", 1, 1},
                    StoredSpeed{"LeadingZero", "[SPEED]\r\nROLLSPEED=02\r\n", "mNOR", 200, 0},
                    StoredSpeed{"Decimal", "[SPEED]\r\nROLLSPEED=2.0\r\n", "mNOR", 200, 0},
                    StoredSpeed{"Letter", "[SPEED]\r\nROLLSPEED=a\r\n", "mNOR", 200, 0},
                    StoredSpeed{"QuotedBlank", "[SPEED]\r\nROLLSPEED=\" 2\"\r\n", "mNOR", 200, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct StoredPlace {
    const char* name;
    const char* code;
    double left, top;
};

class StoredPlaceTest : public testing::TestWithParam<StoredPlace> {};

TEST_P(StoredPlaceTest, PlacesTheWindowAtWholePixels) {
    const StoredPlace& row = GetParam();
    Scenario s;
    s.writeEarthIni(std::string("[POSITION]\r\nDISPPOS=") + row.code + "\r\n[SPEED]\r\nROLLSPEED=3\r\n");
    s.start();
    EXPECT_EQ(s.form().left(), row.left);
    EXPECT_EQ(s.form().top(), row.top);
    // The speed is applied whatever the place.
    EXPECT_EQ(s.form().control("Timer1").interval(), 200);
    EXPECT_TRUE(s.checked("mLOW"));
}

// Screen 15360 x 11520 twips; the window is 2700 x 2750. Top of "2" asks
// 4385 and the window system puts it on pixel 292.
INSTANTIATE_TEST_SUITE_P(Codes, StoredPlaceTest,
                         testing::Values(StoredPlace{"UpperRight", "0", 12360, 300},
                                         StoredPlace{"LowerRight", "1", 12360, 8265},
                                         StoredPlace{"Centre", "2", 6330, 4380},
                                         StoredPlace{"UpperLeft", "3", 300, 300},
                                         StoredPlace{"LowerLeft", "4", 300, 8265},
                                         StoredPlace{"QuotedBlank", "\" 1\"", 3435, 1665},
                                         StoredPlace{"LeadingZero", "01", 3435, 1665}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Startup, LoadSetsUpLabelsTrayAndShape) {
    Scenario s;
    s.sim->start();  // load and show, before the first activation runs
    platform::Form& f = s.form();
    EXPECT_TRUE(f.control("Label3").visible());
    EXPECT_FALSE(f.control("Label2").visible());
    EXPECT_FALSE(f.control("Image1").visible());
    EXPECT_TRUE(s.globe().FirstActivate);

    const auto tray = s.toolkit().trayIcon();
    ASSERT_TRUE(tray);
    EXPECT_EQ(tray->cbSize, 88u);
    EXPECT_EQ(tray->hWnd, f.handle());
    EXPECT_EQ(tray->uID, 1u);
    EXPECT_EQ(tray->uFlags, 7u);
    EXPECT_EQ(tray->uCallbackMessage, 0x200u);
    EXPECT_EQ(tray->hIcon, f.icon());
    EXPECT_NE(tray->hIcon, 0u);
    EXPECT_EQ(std::string(tray->szTip), "Skyroll Ver.2.0");
    EXPECT_EQ(std::string(tray->szTip + 16, 48), std::string(48, ' '));
}

TEST(Startup, TheWeatherRefreshRunsOnceAtTheFirstActivation) {
    Scenario s;
    s.sim->start();
    EXPECT_TRUE(s.sim->weatherService().addresses().empty());
    s.sim->runFor(0);
    // With no EARTH.INI the live source asks the usual service once for the 18 pages.
    EXPECT_EQ(s.sim->weatherService().addresses(),
              std::vector{weather::LiveAddress(weather::kDefaultLiveService)});
    EXPECT_TRUE(s.sim->downloader().commands().empty());
    EXPECT_FALSE(s.globe().FirstActivate);
    EXPECT_FALSE(s.form().control("Label3").visible());
    EXPECT_TRUE(s.form().control("Timer1").enabled());
    // Coming back to the window later fetches nothing again.
    s.toolkit().activate("fSky_Roll");
    s.form().hide();
    s.form().show();
    s.sim->runFor(1);
    EXPECT_EQ(s.sim->records("fSky_Roll", "activated").size(), 3u);
    EXPECT_EQ(s.sim->weatherService().addresses().size(), 1u);
}

// A downloader that waits for its transfers through the event loop (the
// Windows one) lets the user reach the program during the refresh: the tray
// menu opens, the window is activated again without a second refresh, and
// the window closed by the system ends the program at once, keeping the
// previous weather file.
TEST(Startup, TheRefreshAnswersWhileItWaitsAndAnEndInsideKeepsTheWeatherFile) {
    Scenario s;
    s.writeEarthIni("[SITES]\r\nSOURCE=pages\r\n");
    const auto weatherIni = s.app() / "SKR20" / "PALAM" / "WEATHER.INI";
    writeFile(weatherIni, "[WEATHER]\r\nprevious\r\n");
    auto& downloader = s.sim->downloader();
    downloader.setWhileTransferring([&] {
        if (downloader.commands().size() == 2) {
            s.toolkit().activate("fSky_Roll");
            s.toolkit().trayCallback(platform::WM_RBUTTONDOWN);
        } else if (downloader.commands().size() == 5) {
            s.toolkit().closeWindow("fSky_Roll");
        }
        s.toolkit().doEvents();
    });
    s.start();

    EXPECT_EQ(s.sim->records("fSky_Roll", "popup").size(), 1u);
    EXPECT_EQ(s.sim->records("fSky_Roll", "activated").size(), 2u);
    ASSERT_EQ(downloader.commands().size(), 5u) << "one refresh, ended with the program";
    for (std::size_t i = 0; i < 5; ++i) {
        // Appended, not `" " + std::string`: GCC 12 at -O3 takes that
        // operator+ for an overlapping memcpy (a false -Wrestrict).
        std::string file(" ");
        file.append(weather::kRegions[i].file).append(" ");
        EXPECT_NE(downloader.commands()[i].find(file), std::string::npos)
            << "page " << i + 1 << ": " << downloader.commands()[i];
    }
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_FALSE(s.toolkit().trayIcon());
    EXPECT_EQ(readFile(weatherIni), "[WEATHER]\r\nprevious\r\n");
}

TEST(Startup, RemovesOnlyOurOwnLeftoverTemporaryFiles) {
    // What a program killed while replacing a file leaves, beside files of
    // the same folders that merely look alike.
    Scenario s;
    const auto palam = s.app() / "SKR20" / "PALAM";
    const auto state = s.dir.path() / "system" / "state";
    std::filesystem::create_directories(state);
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");
    const std::vector<std::filesystem::path> leftovers = {
        palam / ".skyroll-0123456789abcdef.tmp", palam / ".skyroll-4021.tmp", palam / "WEATHER.INI.new",
        state / ".skyroll-00001a2b-00000003-0badf00d.tmp"};
    const std::vector<std::filesystem::path> others = {
        palam / ".skyroll-notes.tmp",    palam / ".skyroll-.tmp",     palam / ".skyroll-0123ABCD.tmp",
        palam / ".skyroll-0123.tmp.old", palam / "EARTH.INI.new",     palam / "skyroll-0123.tmp",
        state / "WEATHER.INI.new",       s.dir.path() / "outside.txt"};
    for (const auto& file : leftovers) writeFile(file, "half");
    for (const auto& file : others) writeFile(file, "keep");
    std::filesystem::create_directory(palam / ".skyroll-00aa.tmp");
    std::error_code noLinks;  // a Windows account may not be allowed to make links
    std::filesystem::create_symlink(s.dir.path() / "outside.txt", palam / ".skyroll-00bb.tmp", noLinks);

    s.start();
    for (const auto& file : leftovers) EXPECT_FALSE(std::filesystem::exists(file)) << file;
    for (const auto& file : others) EXPECT_EQ(readFile(file), "keep") << file;
    EXPECT_TRUE(std::filesystem::is_directory(palam / ".skyroll-00aa.tmp"));
    if (!noLinks) {
        EXPECT_TRUE(std::filesystem::is_symlink(palam / ".skyroll-00bb.tmp"))
            << "a link is not ours to remove";
    }
    EXPECT_EQ(readFile(s.earthIni()), "[SPEED]\r\nROLLSPEED=2\r\n");
    EXPECT_TRUE(s.checked("mNOR"));
}

TEST(Startup, RegionFollowsTheTwipsPerPixel) {
    // The window is 2700 x 2750 twips; both sides are rounded to whole twips
    // and divided by the rounded twips per pixel, a half going to the even
    // neighbour (4.5 to 4, 22.5 to 22).
    const std::pair<double, const char*> rows[] = {
        {15, "ellipse 0,0,180,183"},
        {12, "ellipse 0,0,225,229"},
        {4.5, "ellipse 0,0,675,687"},
        {22.5, "ellipse 0,0,122,125"},
    };
    for (const auto& [twipsPerPixel, ellipse] : rows) {
        headless::ScreenOptions screen;
        screen.twipsPerPixelX = screen.twipsPerPixelY = twipsPerPixel;
        Scenario s(screen);
        s.start();
        EXPECT_EQ(s.sim->records("", "created").back().value, ellipse) << twipsPerPixel;
    }
}

TEST(Shutdown, ExitFromTheTrayMenuUndoesWhatTheProgramDid) {
    Scenario s;
    s.start();
    const auto added = *s.toolkit().trayIcon();
    const auto region = s.sim->program().state().WindowRegion;
    s.toolkit().trayCallback(516);
    s.toolkit().chooseMenu("fSky_Roll", "mEnd");
    s.sim->runFor(0);
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_EQ(s.toolkit().exitCode(), 0);
    EXPECT_FALSE(s.toolkit().trayIcon());
    // The unload hands the globe's region to DeleteObject; the window owns
    // it and frees it as it goes.
    EXPECT_EQ(s.sim->last("region:" + std::to_string(region), "deleted"), "owned by a window");
    EXPECT_EQ(s.toolkit().liveRegions(), 0u);
    EXPECT_EQ(s.sim->desktop().wallpapersSet(), std::vector<std::string>{"/home/user/wallpaper.png"});
    const auto deletes = s.sim->records("tray", "delete");
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(deletes[0].value, s.sim->records("tray", "add")[0].value);
    EXPECT_EQ(added, s.sim->program().state().TrayIconData);
}

TEST(Shutdown, EndNowIsSafeTwice) {
    Scenario s;
    s.start();
    s.sim->program().endNow();
    s.sim->program().endNow();
    EXPECT_EQ(s.sim->records("tray", "delete").size(), 1u);
    EXPECT_EQ(s.sim->desktop().wallpapersSet().size(), 1u);
    EXPECT_EQ(s.toolkit().exitCode(), 0);
}

}  // namespace
}  // namespace skyroll::test
