// The whole weather refresh against the loopback server (18 pages of about
// 30 KB), the refresh through the live source (one answer for 28 cities,
// asked for or kept), the 28 extractions alone over pages of about 100 KB,
// and the conversion of hostile 4 MiB pages: bytes invalid in their charset,
// or characters code page 932 cannot hold (which must stay well under a
// second each).

#include <benchmark/benchmark.h>

#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include "platform/Cp932.h"
#include "platform/curl/CurlDownloader.h"
#include "platform/curl/CurlWeatherService.h"
#include "platform/download/PageCharset.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestFiles.h"
#include "weather/LiveDownloader.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherRefresh.h"

namespace {

namespace fs = std::filesystem;
using namespace skyroll;

// A fixture page with filler lines in front of its table until it has about
// `size` bytes. The filler holds no city name and no weather word.
std::string paddedPage(const fs::path& fixture, std::size_t size) {
    const std::string page = test::readFile(fixture);
    const std::string filler =
        cp932::toCp932FromUtf8("<P>世界各地の観測データを毎日お届けしています。</P>\r\n");
    std::string padding;
    while (padding.size() + page.size() + filler.size() <= size) padding += filler;
    // The Japan page is read in its first line only: pad it at its end.
    if (fixture.filename() == "63.html") return page + padding;
    return padding + page;
}

std::map<std::string, std::string> paddedSite(std::size_t size) {
    std::map<std::string, std::string> pages;
    for (const weather::Region& region : weather::kRegions) {
        const std::string path(region.path);
        pages[path] = paddedPage(fs::path(SKYROLL_WEATHER_DATA "/site") / path.substr(1), size);
    }
    return pages;
}

void BM_RefreshAgainstLoopbackServer(benchmark::State& state) {
    const auto pages = paddedSite(30 * 1024);
    testing::LoopbackServer server([&](const std::string& path) {
        const auto it = pages.find(path);
        return it == pages.end() ? testing::statusPage(404) : testing::okPage(it->second);
    });
    test::TempDir folder;
    const weather::Sites sites{server.host(), server.host()};
    for (auto _ : state) {
        // A new downloader per refresh, as in a new run of the program.
        const auto downloader = platform::makeCurlDownloader();
        weather::FetchWorldPages(*downloader, folder.path(), sites);
        weather::ReduceWorldPages(test::localFiles(), folder.path(), folder.path() / "WEATHER.INI");
    }
    state.counters["connections_per_refresh"] =
        static_cast<double>(server.connections()) / static_cast<double>(state.iterations());
    state.counters["requests_per_refresh"] =
        static_cast<double>(server.requests().size()) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_RefreshAgainstLoopbackServer)->Unit(benchmark::kMillisecond);

// state.range(0): 1 when the answer kept by the previous refresh may serve.
void BM_LiveRefreshAgainstLoopbackServer(benchmark::State& state) {
    const std::string answer = test::readFile(SKYROLL_WEATHER_DATA "/live/forecast.json");
    testing::LoopbackServer server([&](const std::string&) { return testing::okPage(answer, "application/json"); });
    test::TempDir folder;
    const fs::path pages = folder.path() / "WORLDTEMP";
    fs::create_directories(pages);
    for (auto _ : state) {
        if (state.range(0) == 0) fs::remove(weather::LiveAnswerFile(pages));
        const auto service = platform::makeCurlWeatherService();
        weather::LiveDownloader live(test::localFiles(), *service, "http://" + server.host(),
                                     weather::LiveAnswerFile(pages));
        weather::FetchWorldPages(live, pages, weather::Sites{});
        weather::ReduceWorldPages(test::localFiles(), pages, folder.path() / "WEATHER.INI");
    }
    state.counters["requests_per_refresh"] =
        static_cast<double>(server.requests().size()) / static_cast<double>(state.iterations());
    state.counters["answer_bytes"] = static_cast<double>(answer.size());
}
BENCHMARK(BM_LiveRefreshAgainstLoopbackServer)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ExtractionsOver100KBPages(benchmark::State& state) {
    test::TempDir folder;
    for (const auto& [path, bytes] : paddedSite(100 * 1024)) {
        for (const weather::Region& region : weather::kRegions) {
            if (region.path == path) test::writeFile(folder.path() / std::string(region.file), bytes);
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            weather::ReduceWorldPages(test::localFiles(), folder.path(), folder.path() / "WEATHER.INI"));
    }
}
BENCHMARK(BM_ExtractionsOver100KBPages)->Unit(benchmark::kMillisecond);

// 4 MiB pages that the conversion must get through in well under a second:
// bytes none of which starts a valid character in the page's charset, and
// valid characters half of which code page 932 cannot hold.
struct HostilePage {
    const char* what;
    const char* charset;
    std::string_view unit;  // repeated to 4 MiB
};
constexpr HostilePage kHostilePages[] = {
    {"invalid utf-32 (above U+10FFFF at every offset)", "utf-32", {"\x7F\xFF\xFF\xFF", 4}},
    {"invalid utf-16 (lone low surrogates)", "utf-16", {"\xDC\xDC", 2}},
    {"invalid euc-jp (0xFF)", "euc-jp", {"\xFF", 1}},
    {"invalid utf-8 (0xFF)", "utf-8", {"\xFF", 1}},
    // U+80FD and U+FEFF, which has no place in code page 932.
    {"utf-16 beyond code page 932", "utf-16", {"\xFF\xFE\xFD\x80", 4}},
    {"utf-8 beyond code page 932", "utf-8", {"\xE8\x83\xBD\xEF\xBB\xBF", 6}},
    // U+80FD, then U+4E02 of JIS X 0212.
    {"euc-jp beyond code page 932", "euc-jp", {"\xC7\xBD\x8F\xB0\xA1", 5}},
};

void BM_ConvertHostile4MiBPage(benchmark::State& state) {
    const HostilePage& hostile = kHostilePages[state.range(0)];
    std::string page;
    while (page.size() < (4u << 20)) page += hostile.unit;
    state.SetLabel(hostile.what);
    for (auto _ : state) benchmark::DoNotOptimize(platform::pageToCp932(page, hostile.charset));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ConvertHostile4MiBPage)
    ->DenseRange(0, static_cast<int>(std::size(kHostilePages)) - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
