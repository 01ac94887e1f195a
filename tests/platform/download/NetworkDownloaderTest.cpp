// The system's network downloader behind W3getv (libcurl on Linux, WinHTTP
// on Windows) against a loopback server: the same contract on both.

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "platform/Cp932.h"
#include "platform/PathText.h"
#include "platform/StopRequest.h"
#include "platform/download/Network.h"
#ifndef _WIN32
#include <future>

#include "platform/curl/CurlDownloader.h"
#endif
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestFiles.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;
using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::test::writeFile;
using skyroll::testing::HttpResponse;
using skyroll::testing::LoopbackServer;
using namespace std::chrono_literals;

// Small bounds so that every failure ends quickly.
DownloadLimits testLimits() {
    DownloadLimits limits;
    limits.connectTimeout = 1000ms;
    limits.pageTimeout = 400ms;
    limits.refreshTimeout = 10'000ms;
    return limits;
}

class NetworkDownloaderTest : public ::testing::Test {
protected:
    // Fetches `path` from `server` into `file` of the page folder.
    int fetch(Downloader& downloader, const std::string& host, const std::string& path,
              const std::string& file = "PAGE.html") {
        std::string command = "-d " + pathText(m_pages) + " -j sjis -o " + file + " http://" + host + path;
        std::int32_t option = 0;
        return downloader.W3getv(command, option);
    }
    std::string stored(const std::string& file = "PAGE.html") const { return readFile(m_pages / file); }

    TempDir m_folder;
    // A blank and Japanese in the folder's name; the command carries it as
    // the core writes it (platform/PathText.h).
    fs::path m_pages = m_folder.path() / fs::path(u8"WORLD TEMP 天気");

    void SetUp() override { fs::create_directory(m_pages); }
};

HttpResponse page(std::string body, std::string contentType = "text/html") {
    return skyroll::testing::okPage(std::move(body), std::move(contentType));
}

// The charset comes from the header, else from the page; what each converts
// to is PageCharsetTest's.
TEST_F(NetworkDownloaderTest, StoresPagesInCodePage932) {
    const std::string sjis = cp932::toCp932FromUtf8("<TD>パリ</TD>\r\n<TD>晴れ</TD>\n");
    const std::string utf8 = "<TD>パリ</TD>\r\n<TD>晴れ</TD>\n";
    const std::string utf8Meta = "<HTML><HEAD><meta charset=\"UTF-8\"></HEAD>\r\nパリ\r\n";
    const std::string utf8HttpEquiv =
        "<META HTTP-EQUIV='Content-Type' CONTENT='text/html; charset=utf-8'>\r\nパリ\r\n";
    struct Case {
        const char* name;
        HttpResponse response;
        std::string expected;
    };
    const Case cases[] = {
        {"no charset: stored as it is", page(sjis), sjis},
        {"UTF-8 in the header, line ends kept", page(utf8, "text/html; charset=UTF-8"),
         cp932::toCp932FromUtf8(utf8)},
        {"quoted charset in the header", page(utf8, "text/html; charset=\"utf-8\""),
         cp932::toCp932FromUtf8(utf8)},
        {"UTF-8 in a meta charset tag", page(utf8Meta), cp932::toCp932FromUtf8(utf8Meta)},
        {"UTF-8 in a meta http-equiv tag", page(utf8HttpEquiv), cp932::toCp932FromUtf8(utf8HttpEquiv)},
        {"the header wins over the page",
         page(sjis + "<meta charset=utf-8>", "text/html; charset=Windows-31J"),
         sjis + "<meta charset=utf-8>"},
        {"unknown charset: stored as it is", page(sjis, "text/html; charset=x-no-such-charset"), sjis},
    };
    for (const Case& c : cases) {
        LoopbackServer server([&](const std::string&) { return c.response; });
        const auto downloader = makeNetworkDownloader(testLimits());
        EXPECT_EQ(fetch(*downloader, server.host(), "/p.html"), 0) << c.name;
        EXPECT_EQ(stored(), c.expected) << c.name;
    }
}

TEST_F(NetworkDownloaderTest, FailuresLeaveAnEmptyPage) {
    using skyroll::testing::statusPage;
    struct Case {
        const char* name;
        HttpResponse response;
        std::size_t requests;
    };
    const Case cases[] = {
        {"server error", statusPage(500), 1},
        {"not found", statusPage(404), 1},
        {"larger than 4 MiB", page(std::string(5 * 1024 * 1024, 'x')), 1},
        {"redirect loop: three redirects followed", statusPage(302, "/loop"), 4},
        {"no answer", skyroll::testing::silence(), 1},
    };
    for (const Case& c : cases) {
        LoopbackServer server([&](const std::string&) { return c.response; });
        const auto downloader = makeNetworkDownloader(testLimits());
        writeFile(m_pages / "PAGE.html", "an old page");
        EXPECT_NE(fetch(*downloader, server.host(), "/loop"), 0) << c.name;
        EXPECT_TRUE(fs::exists(m_pages / "PAGE.html")) << c.name;
        EXPECT_EQ(stored(), "") << c.name;
        EXPECT_EQ(server.requests().size(), c.requests) << c.name;
    }
}

TEST_F(NetworkDownloaderTest, FollowsAShortRedirect) {
    LoopbackServer server([](const std::string& path) {
        HttpResponse response = page("moved here");
        if (path == "/old") {
            response.status = 302;
            response.location = "/new";
        }
        return response;
    });
    const auto downloader = makeNetworkDownloader(testLimits());
    EXPECT_EQ(fetch(*downloader, server.host(), "/old"), 0);
    EXPECT_EQ(stored(), "moved here");
}

TEST_F(NetworkDownloaderTest, ReusesOneConnection) {
    LoopbackServer server(LoopbackServer::folderHandler(SKYROLL_WEATHER_DATA "/site"));
    const auto downloader = makeNetworkDownloader(testLimits());
    for (const char* path :
         {"/world/wd001.html", "/world/wd002.html", "/world/wd003.html", "/cities/63.html"})
        EXPECT_EQ(fetch(*downloader, server.host(), path), 0) << path;
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(stored(), readFile(SKYROLL_WEATHER_DATA "/site/cities/63.html"));
}

TEST_F(NetworkDownloaderTest, AHostThatFailedIsNotAskedAgain) {
    LoopbackServer hanging([](const std::string&) { return skyroll::testing::silence(); });
    LoopbackServer healthy([](const std::string&) { return page("fine"); });
    const std::string refused = "127.0.0.1:" + std::to_string(LoopbackServer::closedPort());
    const auto downloader = makeNetworkDownloader(testLimits());

    EXPECT_NE(fetch(*downloader, hanging.host(), "/a"), 0);
    EXPECT_NE(fetch(*downloader, refused, "/a"), 0);
    EXPECT_NE(fetch(*downloader, hanging.host(), "/b", "B.html"), 0);
    EXPECT_NE(fetch(*downloader, refused, "/b", "B.html"), 0);
    EXPECT_EQ(hanging.requests(), std::vector<std::string>{"/a"});
    EXPECT_EQ(stored("B.html"), "");
    EXPECT_EQ(fetch(*downloader, healthy.host(), "/c"), 0) << "other hosts are still asked";
    EXPECT_EQ(stored(), "fine");
}

TEST_F(NetworkDownloaderTest, TheWholeRefreshIsBounded) {
    // The refresh's clock jumps past its bound once the silent server has
    // the first request, so the second call sees it spent however busy the
    // machine is.
    std::atomic<bool> spent{false};
    LoopbackServer hanging([&](const std::string&) {
        spent = true;
        return skyroll::testing::silence();
    });
    LoopbackServer healthy([](const std::string&) { return page("fine"); });
    DownloadLimits limits = testLimits();
    limits.pageTimeout = 60'000ms;
    limits.refreshTimeout = 300ms;
    const auto start = std::chrono::steady_clock::now();
    limits.now = [&] { return spent ? start + 1h : start; };
    const auto downloader = makeNetworkDownloader(limits);
    // The page bound is far away; the refresh bound ends the first call and
    // every call after it, without a request.
    EXPECT_NE(fetch(*downloader, hanging.host(), "/a"), 0);
    EXPECT_NE(fetch(*downloader, healthy.host(), "/b", "B.html"), 0);
    EXPECT_TRUE(healthy.requests().empty());
    EXPECT_TRUE(fs::exists(m_pages / "B.html"));
    EXPECT_EQ(stored("B.html"), "");
}

// Pages of 4 MiB full of bytes invalid in their charset do not hold up the
// refresh (their conversion is timed by the benchmark): each is stored as it
// came. And the refresh's bound counts the conversion: a page whose transfer
// ends after it is not converted but fails, and no page is asked for later.
TEST_F(NetworkDownloaderTest, HostilePagesStayWithinTheRefreshsBound) {
    std::string utf32, utf16;
    while (utf32.size() < (4u << 20)) utf32 += "\x7F\xFF\xFF\xFF";
    while (utf16.size() < (4u << 20)) utf16 += "\xDC\xDC";
    const std::string eucJp(4u << 20, '\xFF');
    std::atomic<int> virtualSeconds{0};
    LoopbackServer server([&](const std::string& path) {
        if (path == "/utf32") return page(utf32, "text/html; charset=UTF-32");
        if (path == "/utf16") return page(utf16, "text/html; charset=UTF-16");
        if (path == "/eucjp") return page(eucJp, "text/html; charset=EUC-JP");
        virtualSeconds += 46;  // this transfer takes the rest of the refresh's time
        return page("late");
    });
    DownloadLimits limits;
    const auto start = std::chrono::steady_clock::now();
    limits.now = [&] { return start + std::chrono::seconds(virtualSeconds.load()); };
    const auto downloader = makeNetworkDownloader(limits);
    for (const char* path : {"/utf32", "/utf16", "/eucjp"})
        EXPECT_EQ(fetch(*downloader, server.host(), path, path + 1), 0) << path;
    EXPECT_EQ(stored("utf32"), utf32);
    EXPECT_EQ(stored("utf16"), utf16);
    EXPECT_EQ(stored("eucjp"), eucJp);
    EXPECT_NE(fetch(*downloader, server.host(), "/late"), 0);
    EXPECT_NE(fetch(*downloader, server.host(), "/after", "B.html"), 0);
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(server.requests().size(), 4u) << "nothing asked for after the bound";
}

// A conversion still going when the refresh's time is over ends as a
// transfer would: its page fails and no page is asked for after it. The
// clock is the test's: once the page is served, each reading is a second
// later, so the bound passes while that page, 4 MiB of which code page 932
// cannot hold half the characters, is converted.
TEST_F(NetworkDownloaderTest, AConversionEndsAtTheRefreshsBound) {
    std::string hostile;
    while (hostile.size() < (4u << 20)) hostile += "\xFF\xFE\xFD\x80";  // U+80FD, U+FEFF
    std::atomic<bool> served{false};
    LoopbackServer server([&](const std::string&) {
        served = true;
        return page(hostile, "text/html; charset=UTF-16");
    });
    DownloadLimits limits;
    const auto start = std::chrono::steady_clock::now();
    int seconds = 0;
    limits.now = [&] { return start + std::chrono::seconds(served ? ++seconds : 0); };
    const auto downloader = makeNetworkDownloader(limits);
    EXPECT_NE(fetch(*downloader, server.host(), "/hostile"), 0);
    EXPECT_NE(fetch(*downloader, server.host(), "/after", "B.html"), 0);
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(server.requests().size(), 1u) << "nothing asked for after the bound";
}

// A stop request (a terminating signal) aborts the transfer that waits for a
// silent server, long before any bound, and no page is asked for after it.
TEST_F(NetworkDownloaderTest, AStopRequestAbortsTheTransfer) {
    LoopbackServer hanging([](const std::string&) {
        requestStop();
        return skyroll::testing::silence();
    });
    LoopbackServer healthy([](const std::string&) { return page("fine"); });
    DownloadLimits limits = testLimits();
    limits.pageTimeout = limits.refreshTimeout = 60'000ms;
    const auto downloader = makeNetworkDownloader(limits);
    EXPECT_NE(fetch(*downloader, hanging.host(), "/a"), 0);
    EXPECT_NE(fetch(*downloader, healthy.host(), "/b", "B.html"), 0);
    clearStopRequest();
    EXPECT_EQ(hanging.requests(), std::vector<std::string>{"/a"});
    EXPECT_TRUE(healthy.requests().empty());
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(stored("B.html"), "");
}

#ifndef _WIN32
// On the desktop a page waits through the program's event loop, called again
// and again while the page is in flight; when the program ends inside it,
// the transfer ends at once and no later page is asked for.
TEST_F(NetworkDownloaderTest, OnTheDesktopAPageWaitsThroughTheEventLoop) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    // A caller that never waits through its loop gets the page after 5 s.
    LoopbackServer slow([released](const std::string&) {
        released.wait_for(5s);
        return page("slow");
    });
    DownloadLimits limits = testLimits();
    limits.connectTimeout = limits.pageTimeout = limits.refreshTimeout = 600'000ms;
    int waits = 0;
    const auto downloader = makeCurlDownloader(limits, [&](std::chrono::milliseconds slice) {
        EXPECT_EQ(slice, kEventLoopSlice);
        if (++waits == 5) release.set_value();
    });
    EXPECT_EQ(fetch(*downloader, slow.host(), "/a"), 0);
    EXPECT_GE(waits, 5);
    EXPECT_EQ(stored(), "slow");

    struct ProgramEnded {};
    LoopbackServer silent([](const std::string&) { return skyroll::testing::silence(); });
    int calls = 0;
    const auto ending = makeCurlDownloader(limits, [&](std::chrono::milliseconds) {
        if (++calls == 3) throw ProgramEnded{};
    });
    EXPECT_THROW(fetch(*ending, silent.host(), "/b", "B.html"), ProgramEnded);
    EXPECT_EQ(calls, 3);
}
#endif

TEST_F(NetworkDownloaderTest, NeverWritesOutsideItsFolder) {
    LoopbackServer server([](const std::string&) { return page("page"); });
    const auto downloader = makeNetworkDownloader(testLimits());
    const fs::path outside = m_folder.path() / "x.html";
    const bool tmpHadIt = fs::exists("/tmp/x.html");
    for (const std::string& file : {std::string("../x.html"), outside.string(), std::string("/tmp/x.html"),
                                    std::string("a/b.html"), std::string("..")}) {
        EXPECT_NE(fetch(*downloader, server.host(), "/p", file), 0) << file;
    }
    EXPECT_FALSE(fs::exists(outside));
    if (!tmpHadIt) {
        EXPECT_FALSE(fs::exists("/tmp/x.html"));
    }
    EXPECT_TRUE(fs::is_empty(m_pages));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(NetworkDownloaderTest, OnlyHttpAndHttps) {
    const auto downloader = makeNetworkDownloader(testLimits());
    const fs::path secret = m_folder.path() / "secret.txt";
    writeFile(secret, "secret");
    for (const std::string& address : {"file://" + secret.string(), std::string("ftp://127.0.0.1/x"),
                                       std::string("gopher://127.0.0.1/x")}) {
        std::string command = "-d " + pathText(m_pages) + " -j sjis -o PAGE.html " + address;
        std::int32_t option = 0;
        EXPECT_NE(downloader->W3getv(command, option), 0) << address;
        EXPECT_EQ(stored(), "") << address;
    }
}

}  // namespace
}  // namespace skyroll::platform
