// The weather refresh on the globe form, through the headless toolkit, with
// the system's network downloader (libcurl, WinHTTP) against the loopback
// server: what the form shows, which pages it asks for and what the lost
// ones leave in WEATHER.INI. What the downloader does with each page (its
// charsets, failures, connections and bounds) is NetworkDownloaderTest's.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "forms/Layouts.h"
#include "platform/Cp932.h"
#include "platform/StopRequest.h"
#include "platform/download/Network.h"
#include "platform/headless/HeadlessDownloader.h"
#include "platform/headless/HeadlessToolkit.h"
#include "tests/support/TestFiles.h"
#include "tests/weather/FixtureExpectations.h"
#include "tests/support/LoopbackServer.h"
#include "weather/WeatherRefresh.h"

namespace skyroll::weather {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::testing::HttpResponse;
using skyroll::testing::LoopbackServer;

const fs::path kSite = SKYROLL_WEATHER_DATA "/site";

// Records each W3getv call in the toolkit's record, among the form's calls.
class RecordingDownloader final : public platform::Downloader {
public:
    RecordingDownloader(platform::Downloader& inner, headless::HeadlessToolkit& toolkit)
        : m_inner(inner), m_toolkit(toolkit) {}
    std::int32_t W3getv(std::string& command, std::int32_t& option) override {
        m_toolkit.record("downloader", "W3getv", command);
        return m_inner.W3getv(command, option);
    }

private:
    platform::Downloader& m_inner;
    headless::HeadlessToolkit& m_toolkit;
};

using Call = std::tuple<std::string, std::string, std::string>;  // subject, what, value

class RefreshTest : public ::testing::Test {
protected:
    void refresh(platform::Downloader& downloader, const Sites& sites) {
        RecordingDownloader recording(downloader, m_toolkit);
        m_form->show();
        m_toolkit.clearRecords();
        RefreshWorldWeather(*m_form, recording, test::localFiles(), m_pages, weatherIni(), sites);
    }

    std::vector<Call> calls() const {
        std::vector<Call> calls;
        for (const headless::Record& r : m_toolkit.records()) calls.emplace_back(r.subject, r.what, r.value);
        return calls;
    }

    fs::path weatherIni() const { return m_folder.path() / "WEATHER.INI"; }

    // The 28 lines after the header, in UTF-8; fails unless the file is well formed.
    std::vector<std::string> weatherLines() const {
        const std::string bytes = readFile(weatherIni());
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(cp932::toUtf8FromCp932(bytes.substr(start, end - start)));
        EXPECT_EQ(start, bytes.size()) << "CR LF after every line";
        EXPECT_EQ(lines.size(), 29u);
        if (lines.empty() || lines.size() != 29) return {};
        EXPECT_EQ(lines.front(), "[WEATHER]");
        lines.erase(lines.begin());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string key = lines[i].substr(0, lines[i].find('='));
            EXPECT_TRUE(key.empty() || key == kCities[i].name) << lines[i];
        }
        return lines;
    }

    TempDir m_folder;
    fs::path m_pages = m_folder.path() / "cache dir" / "WORLDTEMP";
    headless::HeadlessToolkit m_toolkit;
    struct : platform::FormEvents {
    } m_events;
    std::unique_ptr<platform::Form> m_form = m_toolkit.createForm(app::SkyRollLayout(), m_events);

    void SetUp() override { fs::create_directories(m_pages); }
    void TearDown() override { platform::clearStopRequest(); }
};

TEST_F(RefreshTest, FetchesEveryPageInOrderWhileTheGlobeStandsStill) {
    LoopbackServer server(LoopbackServer::folderHandler(kSite));
    const auto downloader = platform::makeNetworkDownloader();
    const Sites sites{server.host(), server.host()};
    refresh(*downloader, sites);

    std::vector<Call> expected = {
        {"fSky_Roll.Timer1", "enabled", "false"},
        {"fSky_Roll.mEnd", "enabled", "false"},
        {"fSky_Roll.mSET", "enabled", "false"},
        {"fSky_Roll.mSPEED", "enabled", "false"},
    };
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < kRegions.size(); ++i) {
        const std::string address = "http://" + server.host() + std::string(kRegions[i].path);
        expected.push_back({"fSky_Roll.Label4", "caption", std::to_string(i + 1) + "/18 取得"});
        expected.push_back({"fSky_Roll", "repaint", ""});
        expected.push_back(
            {"downloader", "W3getv",
             "-d " + m_pages.string() + " -j sjis -o " + std::string(kRegions[i].file) + " " + address});
        paths.emplace_back(kRegions[i].path);
    }
    const std::vector<Call> after = {
        {"fSky_Roll.Label4", "caption", "データ最適化"}, {"fSky_Roll.mEnd", "enabled", "true"},
        {"fSky_Roll.mSET", "enabled", "true"},           {"fSky_Roll.mSPEED", "enabled", "true"},
        {"fSky_Roll.Timer1", "enabled", "true"},         {"fSky_Roll.Label3", "visible", "false"},
        {"fSky_Roll.Label4", "visible", "false"},
    };
    expected.insert(expected.end(), after.begin(), after.end());
    EXPECT_EQ(calls(), expected);

    EXPECT_EQ(server.requests(), paths);
    EXPECT_EQ(readFile(weatherIni()), testing::fixtureWeatherIni());
    EXPECT_EQ(m_toolkit.records().back().subject, "fSky_Roll.Label4") << "no event ran inside the refresh";
}

TEST_F(RefreshTest, TheTimerRunsAfterwardsWhateverItsStateBefore) {
    headless::HeadlessDownloader downloader(kSite);
    m_form->control("Timer1").setEnabled(false);
    refresh(downloader, {"h", "h"});
    EXPECT_TRUE(m_form->control("Timer1").enabled());
    EXPECT_FALSE(m_form->control("Label3").visible());
    EXPECT_EQ(m_form->control("Label3").caption(), "最新データ更新中...");
}

// A site that is down or a page that fails: WEATHER.INI is still well formed,
// only the cities of the pages lost read "不明", and every page is there.
TEST_F(RefreshTest, LostPagesEndInAWellFormedWeatherFile) {
    const auto fixture = LoopbackServer::folderHandler(kSite);
    // Every world city "=不明"; Tokyo from the Japan site.
    std::vector<std::string> worldLost(27, "=不明");
    worldLost.push_back("東京=CLOUDY.gif");
    std::vector<std::string> europeLost(testing::kFixtureWeatherLines.begin(),
                                        testing::kFixtureWeatherLines.end());
    europeLost[12] = europeLost[13] = europeLost[14] = "=不明";

    struct Case {
        const char* name;
        std::function<HttpResponse(const std::string&)> world;
        bool worldRefused;
        std::vector<std::string> expectedLines;
    };
    const std::vector<Case> cases = {
        {"refused connection", fixture, true, worldLost},
        {"server error on one page",
         [&](const std::string& path) {
             return path == "/world/wd011.html" ? testing::statusPage(500) : fixture(path);
         },
         false, europeLost},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer world(c.world);
        LoopbackServer japan(fixture);
        const std::string worldHost =
            c.worldRefused ? "127.0.0.1:" + std::to_string(LoopbackServer::closedPort()) : world.host();
        const auto downloader = platform::makeNetworkDownloader();
        refresh(*downloader, {worldHost, japan.host()});
        EXPECT_EQ(weatherLines(), c.expectedLines);
        EXPECT_EQ(japan.requests(), std::vector<std::string>{"/cities/63.html"});
        for (const Region& region : kRegions) EXPECT_TRUE(fs::exists(m_pages / std::string(region.file)));
        EXPECT_TRUE(m_form->menu("mEnd").enabled());
        EXPECT_TRUE(m_form->control("Timer1").enabled());
    }
}

// A terminating signal during the refresh: the fetches left are skipped, the
// previous WEATHER.INI stays, and the globe is handed back as usual.
TEST_F(RefreshTest, AStopRequestEndsTheRefreshAndKeepsThePreviousFile) {
    headless::HeadlessDownloader inner(kSite);
    struct : platform::Downloader {
        platform::Downloader* inner = nullptr;
        int calls = 0;
        std::int32_t W3getv(std::string& command, std::int32_t& option) override {
            if (++calls == 5) platform::requestStop();
            return inner->W3getv(command, option);
        }
    } stopping;
    stopping.inner = &inner;
    skyroll::test::writeFile(weatherIni(), "[WEATHER]\r\nprevious\r\n");
    refresh(stopping, {"h", "h"});
    EXPECT_EQ(stopping.calls, 5);
    EXPECT_EQ(readFile(weatherIni()), "[WEATHER]\r\nprevious\r\n");
    EXPECT_EQ(readFile(m_pages / "NEWDELLEY.html"), readFile(kSite / "world/wd004.html"));
    EXPECT_EQ(readFile(m_pages / "CANADA.html"), "") << "the downloader fails once a stop is requested";
    EXPECT_FALSE(fs::exists(m_pages / "AMERICA.html"));
    EXPECT_TRUE(m_form->menu("mEnd").enabled());
    EXPECT_TRUE(m_form->control("Timer1").enabled());
    EXPECT_FALSE(m_form->control("Label4").visible());
}

}  // namespace
}  // namespace skyroll::weather
