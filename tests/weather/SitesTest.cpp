// The weather sites from EARTH.INI (the page addresses and commands the refresh
// builds from them are RefreshTest's).

#include <gtest/gtest.h>

#include <sstream>

#include "platform/Cp932.h"
#include "tests/support/TestFiles.h"
#include "weather/Sites.h"

namespace skyroll::weather {
namespace {

using skyroll::test::TempDir;
using skyroll::test::writeFile;

TEST(IsPlainHost, AcceptsOnlyAHostAndAPort) {
    struct Case {
        const char* site;
        bool plain;
    };
    const Case cases[] = {
        {"weather.example.jp", true},
        {"localhost:8018", true},
        {"127.0.0.1:65535", true},
        {"[::1]:8080", true},
        {"[::1]", true},
        {"", false},
        {"http://host", false},
        {"host/path", false},
        {"host name", false},
        {"host:", false},
        {"host:0", false},
        {"host:65536", false},
        {"host:80x", false},
        {"-host", false},
        {"host:80:81", false},
        {"user@host", false},
        {"[::1", false},
        {"ホスト", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsPlainHost(c.site), c.plain) << c.site;
}

TEST(ReadSites, ReadsTheSitesSectionOrFallsBack) {
    TempDir folder;
    const auto ini = folder.path() / "EARTH.INI";
    struct Case {
        const char* name;
        std::string content;
        Sites expected;
    };
    const Case cases[] = {
        {"both given",
         "[POSITION]\r\nDISPPOS=2\r\n[SITES]\r\nWORLD=world.example:8080\r\nJAPAN=jp.example\r\n",
         {"world.example:8080", "jp.example"}},
        {"keys in any case",
         "[sites]\r\nworld = w.example \r\n",
         {"w.example", std::string(kDefaultJapanSite)}},
        {"not plain hosts",
         "[SITES]\r\nWORLD=http://w.example\r\nJAPAN=j.example/x\r\n",
         {std::string(kDefaultWorldSite), std::string(kDefaultJapanSite)}},
        {"empty values",
         "[SITES]\r\nWORLD=\r\nJAPAN=\r\n",
         {std::string(kDefaultWorldSite), std::string(kDefaultJapanSite)}},
        {"no section",
         "[SPEED]\r\nROLLSPEED=1\r\n",
         {std::string(kDefaultWorldSite), std::string(kDefaultJapanSite)}},
    };
    for (const Case& c : cases) {
        writeFile(ini, c.content);
        const Sites sites = ReadSites(test::localFiles(), ini);
        EXPECT_EQ(sites.world, c.expected.world) << c.name;
        EXPECT_EQ(sites.japan, c.expected.japan) << c.name;
    }
    const Sites missing = ReadSites(test::localFiles(), folder.path() / "MISSING.INI");
    EXPECT_EQ(missing.world, kDefaultWorldSite);
    EXPECT_EQ(missing.japan, kDefaultJapanSite);
}

TEST(ReadSites, ChoosesTheSourceAndHowOftenAndReportsWhatItIgnores) {
    TempDir folder;
    const auto ini = folder.path() / "EARTH.INI";
    constexpr auto live = WeatherSource::Live, pages = WeatherSource::Pages;
    const std::string service(kDefaultLiveService);
    // Values longer than any the program takes, and longer than the read returns.
    const std::string longAddress = "https://meteo.example/" + std::string(406, 'a');  // 428 bytes
    const std::string longerThanRead = "http://x/" + std::string(2000, 'b');
    const std::string zeros(1100, '0');
    struct Case {
        std::string sites;  // lines of [SITES]
        WeatherSource source;
        std::string live;
        int refresh;  // minutes
        std::string log;
    };
    const Case cases[] = {
        {"", live, service, 60, ""},
        {"WORLD=w.example\r\n", pages, service, 0, ""},
        {"JAPAN=j.example\r\n", pages, service, 0, ""},
        {"WORLD=http://w.example\r\n", pages, service, 0, "WORLD=http://w.example ignored"},
        {"SOURCE=live\r\nWORLD=w.example\r\n", live, service, 60, ""},
        {"SOURCE=pages\r\n", pages, service, 0, ""},
        {"SOURCE=Live\r\nWORLD=w.example\r\n", pages, service, 0, "SOURCE=Live ignored"},
        {"SOURCE=radio\r\n", live, service, 60, "SOURCE=radio ignored"},
        {"LIVE=http://127.0.0.1:8099\r\n", live, "http://127.0.0.1:8099", 60, ""},
        {"LIVE=https://meteo.example/api/\r\n", live, "https://meteo.example/api", 60, ""},
        {"LIVE=ftp://meteo.example\r\n", live, service, 60, "LIVE=ftp://meteo.example ignored"},
        {"LIVE=http://x/v1?a=b\r\n", live, service, 60, "LIVE=http://x/v1?a=b ignored"},
        {"LIVE=http://x/../y\r\n", live, service, 60, "LIVE=http://x/../y ignored"},
        {"LIVE=127.0.0.1:8099\r\n", live, service, 60, "LIVE=127.0.0.1:8099 ignored"},
        // Too long to be an address: never cut down to one.
        {"LIVE=" + longAddress + "\r\n", live, service, 60, "LIVE=" + longAddress + " ignored"},
        {"LIVE=" + longerThanRead + "\r\n", live, service, 60,
         "LIVE=" + longerThanRead.substr(0, 1023) + " ignored"},
        {"REFRESH=0\r\n", live, service, 0, ""},
        {"REFRESH=1\r\n", live, service, 10, ""},
        {"REFRESH=9\r\n", live, service, 10, ""},
        {"REFRESH=10\r\n", live, service, 10, ""},
        {"REFRESH= 0090 \r\n", live, service, 90, ""},
        {"REFRESH=10080\r\n", live, service, 10080, ""},
        {"REFRESH=10081\r\n", live, service, 60, "REFRESH=10081 ignored"},
        {"REFRESH=99999999999999999999\r\n", live, service, 60, "REFRESH=99999999999999999999 ignored"},
        {"REFRESH=-5\r\n", live, service, 60, "REFRESH=-5 ignored"},
        {"REFRESH=30m\r\n", live, service, 60, "REFRESH=30m ignored"},
        {"REFRESH=1.5\r\n", live, service, 60, "REFRESH=1.5 ignored"},
        {"REFRESH=" + zeros + "30\r\n", live, service, 60, "REFRESH=" + zeros.substr(0, 1023) + " ignored"},
        {"SOURCE=pages\r\nREFRESH=30\r\n", pages, service, 0,
         "REFRESH=30 ignored: the page sites are read once per run"},
        {"WORLD=w.example\r\nREFRESH=x\r\n", pages, service, 0,
         "REFRESH=x ignored: the page sites are read once per run"},
    };
    for (const Case& c : cases) {
        writeFile(ini, "[SITES]\r\n" + c.sites);
        std::ostringstream log;
        const Sites sites = ReadSites(test::localFiles(), ini, &log);
        const std::string name = c.sites.substr(0, 80);
        EXPECT_EQ(sites.source, c.source) << name;
        EXPECT_EQ(sites.live, c.live) << name;
        EXPECT_EQ(sites.refreshMinutes, c.refresh) << name;
        if (c.log.empty()) {
            EXPECT_EQ(log.str(), "") << name;
        } else {
            EXPECT_EQ(log.str(), "skyroll: EARTH.INI [SITES] " + c.log + "\n") << name;
        }
    }
    const Sites missing = ReadSites(test::localFiles(), folder.path() / "MISSING.INI");
    EXPECT_EQ(missing.source, live);
    EXPECT_EQ(missing.refreshMinutes, 60);
}

}  // namespace
}  // namespace skyroll::weather
