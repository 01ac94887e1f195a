// The live source through the system's network (libcurl, WinHTTP) against a
// loopback server that answers like the weather service, from the recorded
// answer and broken variants of it.

#include <gtest/gtest.h>

#include <future>
#include <set>
#include <string>

#include "platform/StopRequest.h"
#include "platform/common/AnswerCache.h"
#include "platform/download/Network.h"
#ifndef _WIN32
#include "platform/curl/CurlWeatherService.h"
#endif
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestFiles.h"
#include "tests/weather/LiveFixture.h"
#include "weather/LiveDownloader.h"
#include "weather/WeatherRefresh.h"

namespace skyroll::weather {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::testing::HttpResponse;
using skyroll::testing::LoopbackServer;
using namespace std::chrono_literals;

const std::string kRecorded = readFile(SKYROLL_WEATHER_DATA "/live/forecast.json");

HttpResponse answer(std::string body) { return testing::okPage(std::move(body), "application/json"); }

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The recorded answer without its last `count` places.
std::string withoutLastPlaces(int count) {
    std::string text = kRecorded;
    for (int i = 0; i < count; ++i) text.erase(text.rfind(",{\"latitude\"")) += "]";
    return text;
}

// WEATHER.INI of the recorded answer with the cities of `unknownRows` read as
// having no weather.
std::string expectedIni(const std::set<std::size_t>& unknownRows) {
    std::string text = "[WEATHER]\r\n";
    for (std::size_t row = 0; row < kCities.size(); ++row) {
        std::string line(testing::kLiveWeatherLines[row]);
        if (unknownRows.contains(row)) {
            line = std::string(kCities[row].name) + "=" +
                   std::string(kCities[row].file == kJapanPage ? testing::kTokyoUnknownValue : "不明");
        }
        text += line + "\r\n";
    }
    return cp932::toCp932FromUtf8(text);
}

std::set<std::size_t> allRows() {
    std::set<std::size_t> rows;
    for (std::size_t row = 0; row < kCities.size(); ++row) rows.insert(row);
    return rows;
}

class LiveRefresh : public ::testing::Test {
protected:
    // One refresh through the live source at `base`, as the program runs it:
    // 18 W3getv calls, then the reduction. Returns WEATHER.INI.
    std::string refresh(const std::string& base) {
        platform::DownloadLimits limits;
        limits.connectTimeout = 1000ms;
        limits.pageTimeout = 400ms;
        const auto service = platform::makeNetworkWeatherService(limits);
        LiveDownloader live(test::localFiles(), *service, base, answerFile());
        fs::remove_all(m_pages);
        fs::create_directories(m_pages);
        FetchWorldPages(live, m_pages, Sites{});
        ReduceWorldPages(test::localFiles(), m_pages, weatherIni());
        return readFile(weatherIni());
    }
    fs::path answerFile() const { return LiveAnswerFile(m_pages); }
    fs::path weatherIni() const { return m_folder.path() / "WEATHER.INI"; }

    TempDir m_folder;
    fs::path m_pages = m_folder.path() / "WORLDTEMP";
};

TEST_F(LiveRefresh, OneRequestServesTheRefreshAndIsKeptForTheNextStart) {
    LoopbackServer server([](const std::string&) { return answer(kRecorded); });
    const std::string base = "http://" + server.host();
    EXPECT_EQ(refresh(base), expectedIni({}));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ("http://" + server.host() + server.requests()[0], LiveAddress(base));
    EXPECT_TRUE(fs::exists(answerFile()));

    // A second start within ten minutes asks nothing and writes the same file.
    EXPECT_EQ(refresh(base), expectedIni({}));
    EXPECT_EQ(server.requests().size(), 1u);

    // An answer kept longer ago, or incomplete, or for another service, is
    // asked again.
    platform::keepAnswer(test::localFiles(), answerFile(), LiveAddress(base), kRecorded,
                         platform::WallClock::now() - 11min);
    EXPECT_EQ(refresh(base), expectedIni({}));
    EXPECT_EQ(server.requests().size(), 2u);
    platform::keepAnswer(test::localFiles(), answerFile(), LiveAddress(base), withoutLastPlaces(1));
    EXPECT_EQ(refresh(base), expectedIni({}));
    EXPECT_EQ(server.requests().size(), 3u);
    LoopbackServer other([](const std::string&) { return answer(kRecorded); });
    EXPECT_EQ(refresh("http://" + other.host()), expectedIni({}));
    EXPECT_EQ(other.requests().size(), 1u);
}

TEST_F(LiveRefresh, EveryFaultIsBoundedAndGivesUnknownForTheCitiesConcerned) {
    struct Case {
        const char* name;
        LoopbackServer::Handler handler;  // empty: nothing listens
        std::set<std::size_t> unknown;
    };
    const std::size_t manila = 4, newDelhi = 5, tokyo = 27;
    const Case cases[] = {
        {"connection refused", {}, allRows()},
        {"no answer", [](const std::string&) { return testing::silence(); }, allRows()},
        {"HTTP 429", [](const std::string&) { return testing::statusPage(429); }, allRows()},
        {"HTTP 500", [](const std::string&) { return testing::statusPage(500); }, allRows()},
        {"truncated body", [](const std::string&) { return answer(kRecorded.substr(0, 5000)); }, allRows()},
        {"wrong shape", [](const std::string&) { return answer(R"({"error":true,"reason":"x"})"); },
         allRows()},
        {"two places short", [](const std::string&) { return answer(withoutLastPlaces(2)); }, allRows()},
        {"5 MiB body",
         [](const std::string&) { return answer("[" + std::string(5 * 1024 * 1024, ' ') + "]"); }, allRows()},
        {"code as text",
         [](const std::string&) {
             return answer(replaced(kRecorded, "\"weather_code\":95", "\"weather_code\":\"95\""));
         },
         {manila}},
        {"code out of range",
         [](const std::string&) {
             return answer(replaced(kRecorded, "\"weather_code\":45", "\"weather_code\":145"));
         },
         {newDelhi}},
        {"Tokyo without a code",
         [](const std::string&) {
             return answer(replaced(kRecorded, "\"weather_code\":3,\"is_day\":1}}]", "\"is_day\":1}}]"));
         },
         {tokyo}},
    };
    for (const Case& c : cases) {
        fs::remove(answerFile());
        std::optional<LoopbackServer> server;
        std::string base = "http://127.0.0.1:" + std::to_string(LoopbackServer::closedPort());
        if (c.handler) base = "http://" + server.emplace(c.handler).host();
        EXPECT_EQ(refresh(base), expectedIni(c.unknown)) << c.name;
        if (server) {
            EXPECT_EQ(server->requests().size(), 1u) << c.name;
        }
        EXPECT_FALSE(fs::exists(answerFile())) << c.name << ": a failed answer is not kept";
    }
}

// A terminating signal during the request ends it at once (the bounds here
// are far beyond the test's own time limit) and no later request is made.
TEST(LiveService, AStopRequestAbortsTheRequest) {
    LoopbackServer silent([](const std::string&) {
        platform::requestStop();
        return testing::silence();
    });
    LoopbackServer healthy([](const std::string&) { return answer(kRecorded); });
    platform::DownloadLimits limits;
    limits.connectTimeout = limits.pageTimeout = limits.refreshTimeout = 600'000ms;
    const auto service = platform::makeNetworkWeatherService(limits);
    EXPECT_FALSE(service->fetch("http://" + silent.host() + "/v1/forecast"));
    EXPECT_FALSE(service->fetch("http://" + healthy.host() + "/v1/forecast"));
    platform::clearStopRequest();
    EXPECT_EQ(silent.requests().size(), 1u);
    EXPECT_TRUE(healthy.requests().empty());
}

// A program that runs for days asks again and again: each request has the
// whole bound of a refresh, however long after the first it comes.
TEST(LiveService, AsksAgainLongAfterTheFirstRefresh) {
    LoopbackServer server([](const std::string&) { return answer(kRecorded); });
    platform::DownloadLimits limits;
    const auto start = std::chrono::steady_clock::now();
    auto offset = 0h;
    limits.now = [&] { return start + offset; };
    const auto service = platform::makeNetworkWeatherService(limits);
    EXPECT_EQ(service->fetch("http://" + server.host() + "/v1/forecast"), kRecorded);
    offset = 1h;
    EXPECT_EQ(service->fetch("http://" + server.host() + "/v1/forecast"), kRecorded);
    EXPECT_EQ(server.requests().size(), 2u);
}

#ifndef _WIN32
// On the desktop the request waits through the program's event loop, called
// again and again while the answer is in flight; when the program ends
// inside it, the request ends at once (the bounds here are far beyond the
// test's own time limit).
TEST(LiveService, WaitsThroughTheEventLoopWhileTheAnswerIsInFlight) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    LoopbackServer slow([released](const std::string&) {
        released.wait();
        return answer(kRecorded);
    });
    platform::DownloadLimits limits;
    limits.connectTimeout = limits.pageTimeout = limits.refreshTimeout = 600'000ms;
    int waits = 0;
    const auto service = platform::makeCurlWeatherService(limits, [&](std::chrono::milliseconds slice) {
        EXPECT_EQ(slice, platform::kEventLoopSlice);
        if (++waits == 5) release.set_value();
    });
    EXPECT_EQ(service->fetch("http://" + slow.host() + "/v1/forecast"), kRecorded);
    EXPECT_GE(waits, 5);

    struct ProgramEnded {};
    LoopbackServer silent([](const std::string&) { return testing::silence(); });
    int calls = 0;
    const auto ending = platform::makeCurlWeatherService(limits, [&](std::chrono::milliseconds) {
        if (++calls == 3) throw ProgramEnded{};
    });
    EXPECT_THROW(ending->fetch("http://" + silent.host() + "/v1/forecast"), ProgramEnded);
    EXPECT_EQ(calls, 3);
}
#endif

}  // namespace
}  // namespace skyroll::weather
