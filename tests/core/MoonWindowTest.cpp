// The moon window: its place beside the globe, its shape, its pictures at the
// globe's speed, dragging, and closing with the program.

#include <gtest/gtest.h>

#include "platform/headless/HeadlessForm.h"
#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

struct MoonScenario : Scenario {
    explicit MoonScenario(std::string_view earthIni) {
        writeMoonFrames(app());
        writeEarthIni(earthIni);
        start();
    }
    headless::HeadlessForm* moon() { return toolkit().findForm("fMoon"); }
    // The moon pictures loaded so far: file name and virtual time in ms.
    std::vector<std::pair<std::string, std::int64_t>> pictures() {
        std::vector<std::pair<std::string, std::int64_t>> shown;
        for (const auto& r : sim->records("fMoon.Picture1", "picture"))
            shown.emplace_back(std::filesystem::path(r.value).filename().string(), r.timeUs / 1000);
        return shown;
    }
    std::string regionRecord(std::string_view what) {
        return sim->last("region:" + std::to_string(sim->program().state().WindowRegion), what);
    }
};

std::string moonMap(int n) { return "MoonMap_" + std::to_string(n) + ".bmp"; }

TEST(MoonWindow, OpensBesideTheGlobeAndStepsOnFromWhereItWasClosed) {
    // Upper right of a 1024 x 768 screen, at NORMAL (100 ms).
    MoonScenario s("[POSITION]\r\nDISPPOS=0\r\n[SPEED]\r\nROLLSPEED=2\r\n");
    auto& tk = s.toolkit();
    const auto opened = static_cast<std::int64_t>(tk.now() * 1000);
    tk.chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(0);
    EXPECT_TRUE(s.checked("mMOON"));
    ASSERT_NE(s.moon(), nullptr);
    // (12360 - 1600, 300 + 1650) twips, at whole pixels.
    EXPECT_EQ(s.moon()->left(), 10755);
    EXPECT_EQ(s.moon()->top(), 1950);
    EXPECT_EQ(s.moon()->width(), 1600);
    EXPECT_EQ(s.moon()->height(), 1650);
    EXPECT_TRUE(s.moon()->visible());
    EXPECT_EQ(s.regionRecord("created"), "ellipse 0,0,106,110");
    EXPECT_EQ(s.regionRecord("set"), "fMoon redraw");
    EXPECT_EQ(s.moon()->control("Picture1").width(), 111);  // pixels, the window's unit
    EXPECT_EQ(s.moon()->control("Picture1").left(), 0);

    // 1 .. 23 and 1 again, one every 100 ms from 100 ms after opening.
    s.sim->runFor(2.45);
    auto shown = s.pictures();
    ASSERT_EQ(shown.size(), 24u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].first, moonMap(static_cast<int>(i % 23) + 1));
        EXPECT_EQ(shown[i].second, opened + 100 * static_cast<std::int64_t>(i + 1));
    }

    // Off after picture 7, on again: the creation picture for 100 ms, then 8.
    s.sim->runFor(0.6);
    ASSERT_EQ(s.pictures().back().first, moonMap(7));
    tk.chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(0.5);
    EXPECT_FALSE(s.checked("mMOON"));
    EXPECT_EQ(s.moon(), nullptr);
    EXPECT_EQ(s.pictures().size(), 30u) << "no pictures while it is off";
    EXPECT_EQ(
        s.sim->records("region:" + std::to_string(s.sim->program().state().WindowRegion), "freed").size(), 1u)
        << "the closed window freed its region";

    const auto reopened = static_cast<std::int64_t>(tk.now() * 1000);
    tk.chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(0.05);
    ASSERT_NE(s.moon(), nullptr);
    EXPECT_EQ(s.moon()->findControl("Picture1")->picture(), "moon_full.bmp");
    // MINIMUM takes effect at the moon's next tick: 8 at 100 ms, then one a second.
    tk.chooseMenu("fSky_Roll", "mMIN");
    s.sim->runFor(2.2);
    EXPECT_FALSE(s.checked("mNOR"));
    EXPECT_EQ(readFile(s.earthIni()), "[POSITION]\r\nDISPPOS=0\r\n[SPEED]\r\nROLLSPEED=2\r\n")
        << "a speed from the menu is not stored";
    shown = s.pictures();
    ASSERT_EQ(shown.size(), 33u);
    EXPECT_EQ(shown[30], std::make_pair(moonMap(8), reopened + 100));
    EXPECT_EQ(shown[31], std::make_pair(moonMap(9), reopened + 1100));
    EXPECT_EQ(shown[32], std::make_pair(moonMap(10), reopened + 2100));

    // Dragging puts the moon's centre under the pointer; the globe stays.
    tk.mouseMove("fMoon", "Picture1", 1, 0, 300, 450);
    tk.mouseMove("fMoon", "Picture1", 3, 0, 0, 0);
    tk.mouseMove("fMoon", "Picture1", 0, 0, 0, 0);
    s.sim->runFor(0);
    EXPECT_EQ(s.moon()->left(), 10260);  // 300 - 800 + 10755 = 10255, at a whole pixel
    EXPECT_EQ(s.moon()->top(), 1575);    // 450 - 825 + 1950
    EXPECT_EQ(s.form().left(), 12360);
    EXPECT_EQ(s.form().top(), 300);
}

TEST(MoonWindow, ExitClosesTheMoonFirstAndFreesNothingTwice) {
    MoonScenario s("[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=3\r\n");
    auto& tk = s.toolkit();
    tk.chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(0.5);
    // Next to a globe at the left edge the moon lies mostly off the screen.
    EXPECT_EQ(s.moon()->left(), -1305);
    EXPECT_EQ(s.moon()->top(), 1950);
    const platform::RegionHandle moonRegion = s.sim->program().state().WindowRegion;
    tk.chooseMenu("fSky_Roll", "mEnd");
    s.sim->runFor(1);
    EXPECT_TRUE(tk.ended());
    EXPECT_EQ(tk.exitCode(), 0);
    EXPECT_EQ(tk.findForm("fMoon"), nullptr);
    EXPECT_EQ(tk.findForm("fSky_Roll"), nullptr);
    EXPECT_FALSE(tk.trayIcon());

    std::vector<std::string> ends;
    for (const auto& r : tk.records())
        if (r.what == "unloaded" || r.what == "deleted")
            ends.push_back(r.subject + " " + r.what + " " + r.value);
    const std::string region = "region:" + std::to_string(moonRegion);
    EXPECT_EQ(ends, (std::vector<std::string>{"fMoon unloaded ", region + " deleted not a live region",
                                              "fSky_Roll unloaded "}));
    EXPECT_EQ(tk.liveRegions(), 0u);
}

TEST(MoonWindow, WithoutAStoredSpeedItStaysOnTheFirstPicture) {
    MoonScenario s("[SPEED]\r\nROLLSPEED=x\r\n");
    s.toolkit().chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(3);
    const auto shown = s.pictures();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, moonMap(1));
    EXPECT_EQ(s.moon()->control("Timer1").interval(), 0);
}

TEST(MoonWindow, AMissingPictureEndsTheProgramLikeAMissingGlobe) {
    MoonScenario s("[SPEED]\r\nROLLSPEED=2\r\n");
    std::filesystem::remove(s.app() / "SKR20" / "moon" / moonMap(3));
    s.toolkit().chooseMenu("fSky_Roll", "mMOON");
    s.sim->runFor(1);
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_EQ(s.toolkit().exitCode(), 1);
    ASSERT_TRUE(s.toolkit().fatalMessage());
    EXPECT_NE(s.toolkit().fatalMessage()->find(moonMap(3)), std::string::npos) << *s.toolkit().fatalMessage();
    EXPECT_EQ(s.sim->records("program", "message").size(), 1u);
    EXPECT_FALSE(s.toolkit().trayIcon());
    EXPECT_EQ(s.sim->desktop().wallpapersSet().back(), "/home/user/wallpaper.png");
}

}  // namespace
}  // namespace skyroll::test
