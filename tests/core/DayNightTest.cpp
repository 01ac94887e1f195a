// The globe by day and night on the virtual clock: off by default; switched
// on, it is kept in EARTH.INI and the ticks show the drawn set once it is
// whole; ten minutes on the other set is drawn and shown only when whole; a
// draw that fails shows the installed frames with one log line; switched
// off, the installed frames come back. A stored value that is neither 1 nor
// 0 reads as off.

#include <gtest/gtest.h>

#include <set>

#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

// The folders the globe's frames came from within [from, to) seconds.
std::set<std::string> folders(Scenario& s, double from, double to) {
    std::set<std::string> found;
    for (const auto& r : s.sim->records("fSky_Roll.Picture1", "picture")) {
        const double t = static_cast<double>(r.timeUs) / 1e6;
        if (t >= from && t < to) found.insert(fs::path(r.value).parent_path().generic_string());
    }
    return found;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(DayNight, DrawnSetsTakeTurnsAFailureFallsBackAndOffRestores) {
    Scenario s;
    const fs::path earth = s.app() / "SKR20" / "earth";
    const fs::path maps = s.app() / "SKR20" / "maps";
    const std::string installed = earth.generic_string();
    fs::create_directories(maps);
    writeFile(maps / "earth.jpg", makeBmp(64, 32, 1));
    writeFile(maps / "night.jpg", makeBmp(64, 32, 2));
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");  // 100 ms a frame
    headless::HeadlessToolkit& tk = s.toolkit();
    s.start();
    s.sim->runFor(3);
    EXPECT_FALSE(s.checked("mDAYNIGHT"));
    EXPECT_EQ(folders(s, 0, tk.now()), std::set<std::string>{installed});

    tk.chooseMenu("fSky_Roll", "mDAYNIGHT");
    s.sim->runFor(0);
    const double on = tk.now();
    EXPECT_TRUE(s.checked("mDAYNIGHT"));
    EXPECT_NE(readFile(s.earthIni()).find("[GLOBE]\r\nDAYNIGHT=1\r\n"), std::string::npos);
    EXPECT_NE(readFile(s.earthIni()).find("ROLLSPEED=2"), std::string::npos);
    // The draw takes 2 s; meanwhile the globe turns on with the installed frames.
    s.sim->runFor(605);
    EXPECT_EQ(s.sim->records("artist", "draw").size(), 2u);
    EXPECT_EQ(folders(s, on, on + 1.95), std::set<std::string>{installed});
    EXPECT_EQ(folders(s, on + 2.05, on + 601.95), std::set<std::string>{"skyroll-memory:/drawn-1"});
    EXPECT_EQ(folders(s, on + 602.05, tk.now()), std::set<std::string>{"skyroll-memory:/drawn-2"});
    EXPECT_FALSE(fs::exists("skyroll-memory:"));
    EXPECT_EQ(tk.pictures().files().published(), 88u);

    // Off: the file says so, the sets go, the installed frames come back.
    tk.chooseMenu("fSky_Roll", "mDAYNIGHT");
    s.sim->runFor(0);
    const double off = tk.now() + 0.001;  // a tick at the same moment came first
    EXPECT_FALSE(s.checked("mDAYNIGHT"));
    EXPECT_NE(readFile(s.earthIni()).find("[GLOBE]\r\nDAYNIGHT=0\r\n"), std::string::npos);
    EXPECT_EQ(tk.pictures().files().published(), 0u);
    s.sim->runFor(700);
    EXPECT_EQ(folders(s, off, tk.now()), std::set<std::string>{installed});
    EXPECT_EQ(s.sim->records("artist", "draw").size(), 2u) << "no redraw while off";

    // A damaged map: the installed frames, one log line, the mark stays,
    // also after the next period's draw fails again.
    writeFile(maps / "earth.jpg", "not a picture");
    testing::internal::CaptureStderr();
    tk.chooseMenu("fSky_Roll", "mDAYNIGHT");
    s.sim->runFor(0);
    const double again = tk.now() + 0.001;
    s.sim->runFor(610);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.sim->records("artist", "failed").size(), 2u);
    EXPECT_EQ(count(log, "cannot be drawn by day and night"), 1u) << log;
    EXPECT_NE(log.find("earth.jpg"), std::string::npos) << log;
    EXPECT_TRUE(s.checked("mDAYNIGHT"));
    EXPECT_EQ(folders(s, again, tk.now()), std::set<std::string>{installed});
}

TEST(DayNight, StoredSettingIsReadAtStart) {
    Scenario bad;
    bad.writeEarthIni("[GLOBE]\r\nDAYNIGHT=x\r\n");
    testing::internal::CaptureStderr();
    bad.start();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(bad.checked("mDAYNIGHT"));
    EXPECT_EQ(count(log, "DAYNIGHT=x"), 1u) << log;
    EXPECT_TRUE(bad.sim->records("artist").empty());

    Scenario good;
    good.writeEarthIni("[GLOBE]\r\nDAYNIGHT=1\r\n");
    good.start();
    EXPECT_TRUE(good.checked("mDAYNIGHT"));
    EXPECT_EQ(good.sim->records("artist", "draw").size(), 1u);
}

}  // namespace
}  // namespace skyroll::test
