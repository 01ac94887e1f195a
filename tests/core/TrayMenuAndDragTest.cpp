// The tray callback, the pop-up menu, dragging the globe and waiting.

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

TEST(TrayMenu, OnlyTheRightButtonGoingDownOpensTheMenu) {
    Scenario s;
    s.start();
    for (int code : {512, 513, 514, 515, 517, 519}) s.toolkit().trayCallback(code);
    s.sim->runFor(0);
    EXPECT_TRUE(s.sim->records("fSky_Roll", "popup").empty());
    EXPECT_TRUE(s.sim->records("desktop", "foreground").empty());

    s.toolkit().trayCallback(516);
    s.sim->runFor(0);
    const auto popups = s.sim->records("fSky_Roll", "popup");
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].value, "mMenu");
    EXPECT_EQ(s.sim->last("desktop", "foreground"), std::to_string(s.form().handle()));
}

TEST(TrayMenu, ADisabledItemCannotBeChosen) {
    Scenario s;
    s.start();
    s.form().menu("mEnd").setEnabled(false);
    s.toolkit().chooseMenu("fSky_Roll", "mEnd");
    s.form().menu("mSPEED").setEnabled(false);
    s.toolkit().chooseMenu("fSky_Roll", "mMIN");
    s.sim->runFor(0.5);
    EXPECT_FALSE(s.toolkit().ended());
    EXPECT_FALSE(s.checked("mMIN"));
    EXPECT_EQ(s.sim->records("", "ignored").size(), 2u);
}

TEST(Dragging, EachMovePutsTheCentreUnderThePointer) {
    Scenario s;
    s.writeEarthIni("[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=2\r\n");  // upper left, 300, 300
    s.start();
    s.toolkit().mouseMove("fSky_Roll", "Picture1", 1, 0, 2000, 1500);
    s.sim->runFor(0);
    // 2000 - 2700 / 2 + 300 = 950 -> pixel 63 -> 945; 1500 - 2750 / 2 + 300 = 425 -> 28 px -> 420.
    EXPECT_EQ(s.form().left(), 945);
    EXPECT_EQ(s.form().top(), 420);

    for (int buttons : {0, 2, 3, 4, 5}) s.toolkit().mouseMove("fSky_Roll", "Picture1", buttons, 0, 100, 100);
    s.toolkit().mouseMove("fSky_Roll", "Label4", 1, 0, 100, 100);
    s.sim->runFor(0);
    EXPECT_EQ(s.form().left(), 945);
    EXPECT_EQ(s.form().top(), 420);

    // Applying the settings again puts the window back at its stored place.
    s.globe().ApplySettings();
    EXPECT_EQ(s.form().left(), 300);
    EXPECT_EQ(s.form().top(), 300);
}

TEST(WaitSeconds, RunsEventsQueuedWhileItWaits) {
    Scenario s;
    s.writeEarthIni("[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=2\r\n");
    s.start();
    auto& tk = s.toolkit();
    const double start = tk.now();
    tk.post(start + 0.5, [&] { tk.chooseMenu("fSky_Roll", "mMIN"); });
    tk.post(start + 1.0, [&] { tk.mouseMove("fSky_Roll", "Picture1", 1, 0, 1500, 1375); });
    tk.clearRecords();
    float seconds = 1.5f;
    float clock = 0;
    tk.post(start, [&] { clock = s.globe().WaitSeconds(seconds); });
    s.sim->runFor(0);
    EXPECT_DOUBLE_EQ(tk.now(), start + 1.5);
    EXPECT_FLOAT_EQ(clock, static_cast<float>(12 * 3600 + start + 1.5));
    EXPECT_TRUE(s.checked("mMIN"));
    EXPECT_EQ(s.form().left(), 450);
    // The globe kept turning (a timer) until the speed changed at 0.5 s.
    EXPECT_GE(s.sim->records("fSky_Roll.Picture1", "picture").size(), 4u);
}

TEST(WaitSeconds, AWaitAcrossMidnightEndsOnTime) {
    headless::ScreenOptions screen;
    screen.secondsSinceMidnightAtStart = 86399.5;
    Scenario s(screen);
    s.start();
    s.globe().WeatherOn = false;  // no city display nests inside this wait
    auto& tk = s.toolkit();
    const double start = tk.now();
    float seconds = 1.5f;
    float clock = -1;
    tk.post(start, [&] { clock = s.globe().WaitSeconds(seconds); });
    s.sim->runFor(0);
    EXPECT_DOUBLE_EQ(tk.now(), start + 1.5);
    EXPECT_NEAR(clock, std::fmod(86399.5 + start + 1.5, 86400.0), 1e-3);
}

}  // namespace
}  // namespace skyroll::test
