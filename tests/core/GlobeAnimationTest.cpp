// The turning globe: frame order, turn counting, and a frame that changes
// (one that cannot be shown is in BadInstallationTest).

#include <gtest/gtest.h>

#include <chrono>

#include "platform/headless/HeadlessForm.h"
#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

std::vector<std::string> framesShown(Scenario& s) {
    std::vector<std::string> names;
    for (const auto& r : s.sim->records("fSky_Roll.Picture1", "picture"))
        names.push_back(std::filesystem::path(r.value).filename().string());
    return names;
}

TEST(GlobeAnimation, FramesRunOneToFortyFourAndCountTurns) {
    Scenario s;
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");  // 100 ms
    s.start();
    s.sim->runFor(0.05);
    EXPECT_TRUE(framesShown(s).empty()) << "no frame before the first tick";
    s.sim->runFor(0.1);
    ASSERT_EQ(framesShown(s), std::vector<std::string>{"EarthMap_1.bmp"});
    s.sim->runFor(4.4);  // 45 ticks in all
    const auto frames = framesShown(s);
    ASSERT_EQ(frames.size(), 45u);
    EXPECT_EQ(frames[43], "EarthMap_44.bmp");
    EXPECT_EQ(frames[44], "EarthMap_1.bmp");
    EXPECT_EQ(s.globe().RollCount, 1);
}

// The turn count at the end of each of the first `turns` turns.
std::vector<int> countsAtTurnEnds(Scenario& s, std::size_t turns) {
    std::vector<int> counts;
    int last = s.globe().FrameNo;
    for (int step = 0; counts.size() < turns && step < 10000; ++step) {
        s.sim->runFor(0.1);
        const int frame = s.globe().FrameNo;
        if (frame < last) counts.push_back(s.globe().RollCount);
        last = frame;
    }
    return counts;
}

TEST(GlobeAnimation, TurnCountPastTheThirdTurn) {
    // With the overlay off nothing sets the count back: it stops at 3.
    {
        Scenario s;
        s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");  // 100 ms
        s.start();
        s.globe().WeatherOn = false;
        s.sim->toolkit().setRecording(false);
        EXPECT_EQ(countsAtTurnEnds(s, 6), (std::vector<int>{1, 2, 3, 3, 3, 3}));
        EXPECT_FALSE(s.toolkit().ended());
    }
    // With the overlay on, the third turn shows a city and counts afresh.
    {
        Scenario s;
        s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");
        s.start();
        ASSERT_TRUE(s.globe().WeatherOn);
        s.sim->toolkit().setRecording(false);
        EXPECT_EQ(countsAtTurnEnds(s, 7), (std::vector<int>{1, 2, 1, 2, 1, 2, 1}));
        EXPECT_EQ(s.globe().TourCount, 3);
    }
}

TEST(GlobeAnimation, UnchangedFramesComeFromTheCacheAndAChangedOneShowsAtTheNextTick) {
    Scenario s;
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=4\r\n");
    // The frames were written just now; here they count as settled already.
    s.toolkit().pictures().files().setSettleTime(-std::chrono::hours(24));
    s.start();
    s.sim->runFor(1.0);
    auto* picture = s.toolkit().findForm("fSky_Roll")->findControl("Picture1");
    ASSERT_EQ(std::filesystem::path(picture->picture()).filename(), "EarthMap_1.bmp");
    const platform::Picture* first = picture->decoded();
    s.sim->runFor(44.0);
    ASSERT_EQ(std::filesystem::path(picture->picture()).filename(), "EarthMap_1.bmp");
    EXPECT_EQ(s.toolkit().pictures().files().size(), 44u);
    EXPECT_EQ(picture->decoded(), first) << "an unchanged frame was decoded again";
    // Frame 2, cached, is rewritten in place two seconds later with other
    // pixels of the same size: the next tick must show the new pixels.
    const auto frame2 = s.app() / "SKR20" / "earth" / "EarthMap_2.bmp";
    const auto written = std::filesystem::last_write_time(frame2);
    writeFile(frame2, makeBmp(180, 183, 99));
    std::filesystem::last_write_time(frame2, written + std::chrono::seconds(2));
    const auto expected = platform::readPictureFile(frame2);
    ASSERT_TRUE(expected);
    s.sim->runFor(1.0);
    ASSERT_EQ(std::filesystem::path(picture->picture()).filename(), "EarthMap_2.bmp");
    ASSERT_TRUE(picture->decoded());
    EXPECT_TRUE(picture->decoded()->pixels == expected->pixels) << "a changed frame was shown stale";
}

}  // namespace
}  // namespace skyroll::test
