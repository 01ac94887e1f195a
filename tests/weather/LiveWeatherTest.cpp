// The live source's parts: the words of each weather code as the reduction
// reads them, the pages, the service's answer, the request and the kept answer.

#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/common/AnswerCache.h"
#include "tests/support/TestFiles.h"
#include "tests/weather/LiveFixture.h"
#include "weather/LiveAnswer.h"
#include "weather/LiveWeather.h"
#include "weather/WeatherPage.h"
#include "weather/WeatherTables.h"

namespace skyroll::weather {
namespace {

using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::test::writeFile;
using namespace std::chrono_literals;

// The value each WMO code is meant to give; codes outside these ranges give
// "不明".
struct Intended {
    int first, last;
    std::u32string_view night, day;
};
constexpr Intended kIntended[] = {
    {0, 2, U"SUN.gif", U"SUN.gif"},         {3, 3, U"CLOUDY.gif", U"CLOUDY.gif"},
    {45, 45, U"CLOUDY.gif", U"CLOUDY.gif"}, {48, 48, U"CLOUDY.gif", U"CLOUDY.gif"},
    {51, 57, U"RAIN.gif", U"RAIN.gif"},     {61, 67, U"RAIN.gif", U"RAIN.gif"},
    {71, 77, U"SNOW.gif", U"SNOW.gif"},     {80, 82, U"RAIN.gif", U"SUN_RAIN.gif"},
    {85, 86, U"SNOW.gif", U"SNOW.gif"},     {95, 99, U"RAIN.gif", U"RAIN.gif"},
};

std::u32string intendedValue(int code, bool isDay, bool japanPage) {
    for (const Intended& row : kIntended)
        if (code >= row.first && code <= row.last) return std::u32string(isDay ? row.day : row.night);
    return japanPage ? cp932::fromUtf8(testing::kTokyoUnknownValue) : U"不明";
}

// Every page made for `conditions`, read back by the reduction for every city.
std::vector<CityWeather> reduceAll(const LiveConditions& conditions) {
    std::vector<CityWeather> lines;
    for (const City& city : kCities) {
        const std::string bytes = cp932::encode(MakeLivePage(city.file, conditions));
        lines.push_back(ReducePage(cp932::decode(bytes), city.file, cp932::fromUtf8(city.name)));
    }
    return lines;
}

TEST(LiveWeather, EveryCodeReadsAsTheValueItMeans) {
    for (int code = 0; code <= 99; ++code) {
        for (bool isDay : {false, true}) {
            const LiveConditions conditions(kCities.size(), CurrentWeather{code, isDay});
            const auto lines = reduceAll(conditions);
            for (std::size_t row = 0; row < kCities.size(); ++row) {
                const bool japan = kCities[row].file == kJapanPage;
                EXPECT_EQ(lines[row].name, cp932::fromUtf8(kCities[row].name)) << code;
                EXPECT_EQ(lines[row].value, intendedValue(code, isDay, japan))
                    << "code " << code << (isDay ? " by day, " : " by night, ") << kCities[row].file;
            }
        }
    }
}

TEST(LiveWeather, ACityWithoutWeatherKeepsItsNameAndReadsUnknown) {
    LiveConditions conditions(kCities.size(), CurrentWeather{0, true});
    conditions[3] = std::nullopt;   // シンガポール, between two cities of its page
    conditions[27] = std::nullopt;  // 東京
    const auto lines = reduceAll(conditions);
    EXPECT_EQ(lines[2].value, U"SUN.gif");
    EXPECT_EQ(lines[3], (CityWeather{U"シンガポール", U"不明"}));
    EXPECT_EQ(lines[4].value, U"SUN.gif");
    EXPECT_EQ(lines[27], (CityWeather{U"東京", cp932::fromUtf8(testing::kTokyoUnknownValue)}));
    // No answer at all: every page still names its cities.
    const auto none = reduceAll(LiveConditions(kCities.size()));
    for (std::size_t row = 0; row + 1 < kCities.size(); ++row)
        EXPECT_EQ(none[row], (CityWeather{cp932::fromUtf8(kCities[row].name), U"不明"}));
}

TEST(LiveWeather, PagesEndEveryLineWithCrLf) {
    const LiveConditions conditions(kCities.size(), CurrentWeather{3, false});
    EXPECT_EQ(MakeLivePage("TOUNAN_ASIA.html", conditions),
              U"バンコク\r\nくもり\r\nシンガポール\r\nくもり\r\nマニラ\r\nくもり\r\n");
    EXPECT_EQ(
        MakeLivePage("JAPAN.html", conditions),
        U"<html></DIV><DIV class=right_box><H2>東京<small>(東京都東京地方)</small>の天気</H2>"
        U"<TABLE><TR><TD colspan=4><IMG SRC='/icons/live.gif' alt='曇り'></TD></TR></TABLE></html>\r\n");
    EXPECT_EQ(MakeLivePage("OTHER.html", conditions), U"");
}

TEST(LiveWeather, OneRequestAsksForEveryCityInTableOrder) {
    const std::string address = LiveAddress("http://127.0.0.1:8080");
    EXPECT_TRUE(address.starts_with("http://127.0.0.1:8080/v1/forecast?latitude=22.30,37.57,13.75,"));
    EXPECT_NE(address.find(",35.69&longitude=114.17,126.98,"), std::string::npos);
    EXPECT_TRUE(address.ends_with(",139.69&current=weather_code,is_day"));
}

TEST(LiveAnswer, ReadsTheRecordedAnswerAndRejectsEveryOtherShape) {
    const std::string recorded = readFile(SKYROLL_WEATHER_DATA "/live/forecast.json");
    const LiveAnswer good = ReadLiveAnswer(recorded, kCities.size());
    ASSERT_TRUE(good.complete);
    EXPECT_EQ(good.conditions[2], (CurrentWeather{80, true}));
    EXPECT_EQ(good.conditions[3], (CurrentWeather{80, false}));

    auto place = [](const std::string& current) { return "{\"current\":{" + current + "}}"; };
    auto array = [&](std::size_t count, const std::string& first) {
        std::string text = "[" + first;
        for (std::size_t i = 1; i < count; ++i) {
            // Two appends: GCC 12 at -O3 takes `"," + std::string` for an
            // overlapping copy (a false -Wrestrict).
            text += ',';
            text += place("\"weather_code\":0,\"is_day\":1");
        }
        return text + "]";
    };
    struct Case {
        const char* name;
        std::string body;
        std::size_t known;  // places with weather
    };
    const Case cases[] = {
        {"two short", array(26, place("\"weather_code\":0")), 0},
        {"one too many", array(29, place("\"weather_code\":0")), 0},
        {"truncated", recorded.substr(0, recorded.size() / 2), 0},
        {"not JSON", "<html>Too many requests</html>", 0},
        {"empty", "", 0},
        {"an object", "{\"error\":true,\"reason\":\"x\"}", 0},
        {"deeply nested", std::string(200'000, '[') + std::string(200'000, ']'), 0},
        {"code as text", array(28, place("\"weather_code\":\"3\"")), 27},
        {"code above 99", array(28, place("\"weather_code\":100")), 27},
        {"negative code", array(28, place("\"weather_code\":-1")), 27},
        {"fractional code", array(28, place("\"weather_code\":2.5")), 27},
        {"no code", array(28, place("\"is_day\":1")), 27},
        {"no current", array(28, "{\"weather_code\":3}"), 27},
        {"place not an object", array(28, "3"), 27},
    };
    for (const Case& c : cases) {
        const LiveAnswer answer = ReadLiveAnswer(c.body, kCities.size());
        ASSERT_EQ(answer.conditions.size(), kCities.size()) << c.name;
        EXPECT_FALSE(answer.complete) << c.name;
        std::size_t known = 0;
        for (const auto& weather : answer.conditions) known += weather ? 1 : 0;
        EXPECT_EQ(known, c.known) << c.name;
    }
    // The first and the last code are weather like any other.
    for (int code : {0, 99}) {
        const LiveAnswer edge =
            ReadLiveAnswer(array(28, place("\"weather_code\":" + std::to_string(code))), 28);
        EXPECT_TRUE(edge.complete) << code;
        EXPECT_EQ(edge.conditions[0], (CurrentWeather{code, false})) << code;
    }
    // A missing or odd "is_day" counts as night.
    const LiveAnswer night = ReadLiveAnswer(array(28, place("\"weather_code\":80,\"is_day\":\"yes\"")), 28);
    EXPECT_EQ(night.conditions[0], (CurrentWeather{80, false}));
}

TEST(AnswerCache, KeepsAnAnswerForTenMinutesForItsAddressOnly) {
    TempDir folder;
    const auto file = folder.path() / "answer.json";
    const auto t0 = platform::WallClock::now();
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 1000, t0));
    ASSERT_TRUE(platform::keepAnswer(test::localFiles(), file, "http://a/x", "[1,\n2]", t0));
    EXPECT_EQ(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 1000, t0 + 9min + 59s),
              "[1,\n2]");
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 1000, t0 + 10min + 1s));
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 1000, t0 - 1min))
        << "clock set back";
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://b/x", 1000, t0));
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 3, t0))
        << "larger than asked for";
    writeFile(file, "garbage");
    EXPECT_FALSE(platform::readKeptAnswer(test::localFiles(), file, "http://a/x", 1000, t0));
    EXPECT_FALSE(platform::keepAnswer(test::localFiles(), folder.path() / "missing" / "answer.json",
                                      "http://a/x", "[]", t0));
}

}  // namespace
}  // namespace skyroll::weather
