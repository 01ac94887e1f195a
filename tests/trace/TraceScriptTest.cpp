// Scripts of user actions for the trace tool, and the trace lines.

#include <gtest/gtest.h>

#include "tests/support/Scenario.h"
#include "tools/trace/TraceScript.h"

namespace skyroll::test {
namespace {

TEST(TraceScript, ParsesEveryAction) {
    const auto actions = trace::parseScript(
        "# comment\n"
        "0.5 tray 516\n"
        "1 menu mMIN   # the globe's menu\n"
        "1.5 menu fSky_Roll.mEnd\n"
        "2 mouse fSky_Roll.Picture1 1 2000 1500\n"
        "2.5 mouse fSky_Roll. 0 3 4 1\n"
        "3 activate fSky_Roll\n"
        "3.5 option fSetting.Option1(2)\n"
        "4 button fSetting.Command1\n"
        "5 close fSetting\n");
    ASSERT_EQ(actions.size(), 9u);
    EXPECT_EQ(actions[0].verb, "tray");
    EXPECT_EQ(actions[0].numbers, std::vector<double>{516});
    EXPECT_EQ(actions[1].form, "fSky_Roll");
    EXPECT_EQ(actions[1].target, "mMIN");
    EXPECT_EQ(actions[3].numbers, (std::vector<double>{1, 2000, 1500}));
    EXPECT_EQ(actions[4].target, "");
    EXPECT_EQ(actions[4].numbers.size(), 4u);
    EXPECT_EQ(actions[6].target, "Option1(2)");
    EXPECT_EQ(actions[8].form, "fSetting");
}

TEST(TraceScript, NamesTheLineOfAMistake) {
    const char* const broken[] = {
        "1 fly away",  "x tray 516", "-1 tray 516", "1 tray", "1 mouse fSky_Roll.Picture1 1 2",
        "1 option fSetting", "1 close fSetting.Command1", "1 tray 51x",
    };
    for (const char* line : broken) {
        try {
            trace::parseScript(std::string("0 tray 512\n") + line + "\n");
            ADD_FAILURE() << "accepted: " << line;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
        }
    }
}

TEST(TraceScript, DrivesTheProgramAndPrintsStableLines) {
    Scenario s;
    s.writeEarthIni("[SPEED]\r\nROLLSPEED=2\r\n");
    trace::schedule(s.toolkit(), trace::parseScript("1 tray 516\n1.2 menu mMIN\n2 tray 516\n2.1 menu mEnd\n"));
    s.start();
    s.sim->runFor(5);
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_DOUBLE_EQ(s.toolkit().now(), 2.1);
    std::vector<std::string> lines;
    for (const auto& r : s.toolkit().records()) lines.push_back(trace::formatLine(r, s.app()));
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("0.100 fSky_Roll.Picture1 picture SKR20/earth/EarthMap_1.bmp"));
    EXPECT_TRUE(has("1.000 fSky_Roll popup mMenu"));
    EXPECT_TRUE(has("1.200 fSky_Roll.Timer1 interval 1000"));
    EXPECT_TRUE(has("2.100 program ended 0"));
}

}  // namespace
}  // namespace skyroll::test
