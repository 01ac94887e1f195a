// The weather-refresh tool, run as its own process.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Cp932.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestFiles.h"
#include "tests/weather/FixtureExpectations.h"
#include "tests/weather/LiveFixture.h"

namespace skyroll::testing {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::test::writeFile;

struct ToolRun {
    int status;
    std::string output;
};

ToolRun runTool(const std::string& arguments) {
    const std::string command = std::string("'") + SKYROLL_WEATHER_REFRESH_TOOL + "' " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return {-1, {}};
    ToolRun run{0, {}};
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
    run.status = ::pclose(pipe);
    return run;
}

std::size_t countLines(const std::string& output, std::string_view prefix) {
    std::size_t count = 0;
    for (std::size_t start = 0; start < output.size();) {
        const std::size_t end = output.find('\n', start);
        if (std::string_view(output).substr(start).starts_with(prefix)) ++count;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return count;
}

class WeatherRefreshTool : public ::testing::Test {
protected:
    TempDir m_folder;
    fs::path m_app = m_folder.path() / "app folder";
    fs::path m_system = m_folder.path() / "cache";
    fs::path weatherIni() const { return m_app / "SKR20" / "PALAM" / "WEATHER.INI"; }
    std::string common() const {
        return "--system-folder '" + m_system.string() + "' '" + m_app.string() + "'";
    }
};

TEST_F(WeatherRefreshTool, ReducesPagesCopiedFromAFolder) {
    const ToolRun run = runTool("--pages '" SKYROLL_WEATHER_DATA "/site' " + common());
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(readFile(weatherIni()), fixtureWeatherIni());
    EXPECT_EQ(countLines(run.output, "page "), 18u) << run.output;
    EXPECT_EQ(countLines(run.output, "city "), 28u) << run.output;
    EXPECT_NE(run.output.find("/world/wd009.html -> MEXICO.html"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("city 東京=CLOUDY.gif\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("city アテネ=不明 (not found)\n"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::is_directory(m_system / "WORLDTEMP"));
}

// The service named in EARTH.INI, asked once (that a kept answer is not
// asked again is LiveRefreshTest's).
TEST_F(WeatherRefreshTool, AsksTheLiveServiceOfEarthIni) {
    LoopbackServer server([](const std::string&) {
        return okPage(readFile(SKYROLL_WEATHER_DATA "/live/forecast.json"), "application/json");
    });
    fs::create_directories(m_app / "SKR20" / "PALAM");
    writeFile(m_app / "SKR20" / "PALAM" / "EARTH.INI", "[SITES]\r\nLIVE=http://" + server.host() + "\r\n");
    const ToolRun result = runTool(common());
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(readFile(weatherIni()), liveWeatherIni());
    EXPECT_EQ(countLines(result.output, "page "), 18u) << result.output;
    EXPECT_EQ(server.requests().size(), 1u);
}

// Two refreshes sharing the page folder run one after the other: neither
// deletes or reads a page of the other, and WEATHER.INI is whole every time.
TEST_F(WeatherRefreshTool, TwoRefreshesAtOnceTakeTurns) {
    const std::string command = std::string("'") + SKYROLL_WEATHER_REFRESH_TOOL + "' --pages '" +
                                SKYROLL_WEATHER_DATA "/site' " + common() + " 2>&1";
    for (int pair = 0; pair < 30; ++pair) {
        SCOPED_TRACE(pair);
        FILE* first = ::popen(command.c_str(), "r");
        FILE* second = ::popen(command.c_str(), "r");
        ASSERT_TRUE(first != nullptr && second != nullptr);
        for (FILE* run : {first, second}) {
            std::string output;
            char buffer[4096];
            while (std::size_t n = std::fread(buffer, 1, sizeof buffer, run)) output.append(buffer, n);
            EXPECT_EQ(::pclose(run), 0) << output;
            EXPECT_EQ(countLines(output, "city "), 28u) << output;
        }
        EXPECT_EQ(readFile(weatherIni()), fixtureWeatherIni());
        if (HasFailure()) break;
    }
}

TEST_F(WeatherRefreshTool, RefusesWrongArguments) {
    EXPECT_NE(runTool("").status, 0);
    EXPECT_NE(runTool("--no-such-option " + common()).status, 0);
    EXPECT_NE(runTool("--pages /p --live /l " + common()).status, 0);
    EXPECT_FALSE(fs::exists(m_app));
}

}  // namespace
}  // namespace skyroll::testing
