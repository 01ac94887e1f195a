// WEATHER.INI: written line by line from stored pages beside the old file,
// put in its place in one step, read back by key.

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "core/Failure.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "settings/IniPalam.h"
#include "tests/support/ForwardingFiles.h"
#include "tests/support/TestFiles.h"
#include "tests/weather/FixtureExpectations.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherRefresh.h"

namespace skyroll::weather {
namespace {

using skyroll::test::readFile;
using skyroll::test::TempDir;
using skyroll::test::writeFile;

class WeatherFileTest : public ::testing::Test {
protected:
    std::filesystem::path page(std::string_view name) const { return m_folder.path() / std::string(name); }
    std::filesystem::path weatherIni() const { return m_folder.path() / "WEATHER.INI"; }
    void writePage(std::string_view name, std::string_view utf8) {
        writeFile(page(name), cp932::toCp932FromUtf8(utf8));
    }
    // What has been written so far: the new file, beside WEATHER.INI.
    std::string written() const { return readFile(NewWeatherFile(weatherIni())); }
    std::string extract(std::string_view file, std::string_view city) {
        ExtractPageWeather(test::localFiles(), m_folder.path(), weatherIni(), file, city);
        return cp932::toUtf8FromCp932(written());
    }

    // The fixture pages under the names the refresh stores them as.
    void writeFixturePages() {
        for (const Region& region : kRegions)
            writeFile(page(region.file),
                      readFile(std::filesystem::path(SKYROLL_WEATHER_DATA "/site") / region.path.substr(1)));
    }

    TempDir m_folder;
};

TEST_F(WeatherFileTest, TheOldFileStandsUntilTheNewOneIsComplete) {
    writeFile(weatherIni(), "old content\r\nmore\r\n");
    writeFile(NewWeatherFile(weatherIni()), "left by a refresh that was killed\r\n");
    BeginWeatherFile(test::localFiles(), weatherIni());
    EXPECT_EQ(written(), "[WEATHER]\r\n");
    EXPECT_EQ(extract("EU.html", "パリ"), "[WEATHER]\r\n=不明\r\n");
    EXPECT_EQ(readFile(weatherIni()), "old content\r\nmore\r\n");
    EndWeatherFile(test::localFiles(), weatherIni());
    EXPECT_EQ(readFile(weatherIni()), cp932::toCp932FromUtf8("[WEATHER]\r\n=不明\r\n"));
    EXPECT_FALSE(std::filesystem::exists(NewWeatherFile(weatherIni())));
}

// A full-width blank stays in a value; each invalid byte decodes to a
// replacement character, which code page 932 cannot hold: it is written as "?".
TEST_F(WeatherFileTest, EachExtractionAppendsOneLineInCodePage932) {
    writePage("EU.html", "<TD>パリ</TD>\r\n<TD>雨</TD>\r\n");
    writeFile(page("ASIA.html"), cp932::toCp932FromUtf8("ソウル\r\n") + "\x81\x40" + "x\r\n");
    writeFile(page("TAIHEIYOU.html"), "\xFF\x85\x40\r\n" + cp932::toCp932FromUtf8("グアム\r\n<B>") + "\xFF" +
                                          cp932::toCp932FromUtf8("</B>\r\n"));
    BeginWeatherFile(test::localFiles(), weatherIni());
    for (const auto& [file, city] : {std::pair{"EU.html", "パリ"},
                                     {"EU.html", "ベルリン"},
                                     {"ASIA.html", "ソウル"},
                                     {"TAIHEIYOU.html", "グアム"}})
        ExtractPageWeather(test::localFiles(), m_folder.path(), weatherIni(), file, city);
    EXPECT_EQ(written(), cp932::toCp932FromUtf8(
                             "[WEATHER]\r\nパリ=RAIN.gif\r\n=不明\r\nソウル=\u3000x\r\nグアム=<B>?</B>\r\n"));
}

TEST_F(WeatherFileTest, MissingOrUnreadablePageIsAnEmptyPage) {
    std::filesystem::create_directory(page("FOLDER.html"));
    BeginWeatherFile(test::localFiles(), weatherIni());
    EXPECT_EQ(extract("MISSING.html", "パリ"), "[WEATHER]\r\n=不明\r\n");
    EXPECT_EQ(extract("FOLDER.html", "パリ"), "[WEATHER]\r\n=不明\r\n=不明\r\n");
    EXPECT_EQ(extract("JAPAN.html", "東京"), "[WEATHER]\r\n=不明\r\n=不明\r\n=不明\r\n");
}

TEST_F(WeatherFileTest, PagesAreReadUpToTheirBound) {
    std::string big(kMaxPageRead - 2, 'x');
    big += "\r\n" + cp932::toCp932FromUtf8("パリ\r\n晴れ\r\n");
    writeFile(page("BIG.html"), big);
    EXPECT_EQ(ReadPageFile(test::localFiles(), page("BIG.html")).size(), kMaxPageRead);
    BeginWeatherFile(test::localFiles(), weatherIni());
    EXPECT_EQ(extract("BIG.html", "パリ"), "[WEATHER]\r\n=不明\r\n");
}

TEST_F(WeatherFileTest, UnwritableWeatherFileIsFatal) {
    const std::filesystem::path missing = m_folder.path() / "no-such-folder" / "WEATHER.INI";
    EXPECT_THROW(BeginWeatherFile(test::localFiles(), missing), FatalError);
    EXPECT_THROW(ExtractPageWeather(test::localFiles(), m_folder.path(), missing, "EU.html", "パリ"),
                 FatalError);
    EXPECT_THROW(EndWeatherFile(test::localFiles(), missing), FatalError);
}

// The new file is whole but cannot take the old one's place: the refresh
// fails, and WEATHER.INI keeps its old lines.
TEST_F(WeatherFileTest, AFailedReplaceIsFatalAndKeepsTheOldFile) {
    struct ReplaceFails final : test::ForwardingFiles {
        using ForwardingFiles::ForwardingFiles;
        bool replaceWithFile(const std::filesystem::path&, const std::filesystem::path&) override {
            return false;
        }
    } refusing(platform::makeLocalFileSystem());
    writeFixturePages();
    const std::string old = "[WEATHER]\r\nold=SUN.gif\r\n";
    writeFile(weatherIni(), old);
    EXPECT_THROW(ReduceWorldPages(refusing, m_folder.path(), weatherIni()), FatalError);
    EXPECT_EQ(readFile(weatherIni()), old);
    // On the disk: no file is renamed over a folder, whoever runs the test.
    std::filesystem::remove(weatherIni());
    std::filesystem::create_directory(weatherIni());
    writeFile(weatherIni() / "kept", old);
    EXPECT_THROW(ReduceWorldPages(test::localFiles(), m_folder.path(), weatherIni()), FatalError);
    EXPECT_EQ(readFile(weatherIni() / "kept"), old);
}

// A full disk: the short writes go to a buffer and fail only when it is
// flushed at close. That is a failure of the write all the same.
TEST_F(WeatherFileTest, ADiskFullAtCloseIsAFailure) {
    const std::filesystem::path full = "/dev/full";
    if (!std::filesystem::exists(full)) GTEST_SKIP() << "no /dev/full here";
    BeginWeatherFile(test::localFiles(), weatherIni());
    std::filesystem::remove(NewWeatherFile(weatherIni()));
    std::filesystem::create_symlink(full, NewWeatherFile(weatherIni()));
    EXPECT_THROW(ExtractPageWeather(test::localFiles(), m_folder.path(), weatherIni(), "EU.html", "パリ"),
                 FatalError);
    // The file service of the program and its tools.
    EXPECT_FALSE(platform::makeLocalFileSystem(m_folder.path())->writeFile(full, "DUMMY DATA\r\n"));
}

// A page cannot write lines of its own into WEATHER.INI, nor make it too big
// to be read: every other city reads back as its page says, a value of the
// longest length whole.
TEST_F(WeatherFileTest, NoPageCanBreakTheWeatherFile) {
    writeFixturePages();
    writePage("HONKON.html", "香港\r\nSUN.gif\n東京=../../../../etc/shadow\n[X]\r\n");
    std::string longLine = "xx";
    while (longLine.size() < (3u << 20)) longLine += "あ";
    writePage("SOURU.html", "ソウル\r\n" + longLine + "\r\n");
    writeFile(page("TOUNAN_ASIA.html"), cp932::toCp932FromUtf8("バンコク\r\n<B>") +
                                            std::string("\0\x1F\x7F", 3) +
                                            cp932::toCp932FromUtf8("</B>\t\r\nシンガポール\r\n晴れ\x0B\r\n"
                                                                   "マニラ\r\n\x01\n \x1B\r\n"));
    writePage("NEWDELLEY.html", "ニューデリー\r\n" + std::string(499, 'y') + "\r\n");
    const auto lines = ReduceWorldPages(test::localFiles(), m_folder.path(), weatherIni());
    ASSERT_EQ(lines.size(), kCities.size());
    EXPECT_EQ(cp932::toUtf8(lines[0].value), "SUN.gif 東京=../../../../etc/shadow [X]");
    EXPECT_EQ(cp932::encode(lines[1].value).size(), 498u) << "cut before a double-byte character";

    const std::string file = readFile(weatherIni());
    EXPECT_LT(file.size(), 16u * 1024);
    std::size_t lineEnds = 0;
    for (std::size_t at = 0;
         (at = file.find_first_of(std::string_view("\r\n\0", 3), at)) != std::string::npos; at += 2) {
        EXPECT_EQ(file.compare(at, 2, "\r\n"), 0) << "a control character at byte " << at;
        ++lineEnds;
    }
    EXPECT_EQ(lineEnds, 29u);

    std::vector<std::string> expected;
    for (const std::string_view line : testing::kFixtureWeatherLines)
        expected.push_back(line.starts_with("=")
                               ? "不明"
                               : std::string(line.substr(line.find_first_not_of('\t', line.find('=') + 1))));
    expected[0] = "SUN.gif 東京=../../../../etc/shadow [X]";
    expected[1] = "xx";
    for (int i = 0; i < 248; ++i) expected[1] += "あ";
    expected[2] = "<B>   </B>";  // the profile read drops the tab at the end
    expected[3] = "SUN.gif";
    expected[4] = "不明";
    expected[5] = std::string(499, 'y');  // as long as a value can be: kept whole
    for (std::size_t i = 0; i < kCities.size(); ++i) {
        std::string weather;
        settings::ReadWeatherIni(test::localFiles(), std::string(kCities[i].name), weather, weatherIni());
        EXPECT_EQ(weather, expected[i]) << kCities[i].name;
    }
}

#ifndef _WIN32  // a process killed by SIGKILL
// The new file takes the old one's place only when its last line is written.
TEST_F(WeatherFileTest, ARefreshKilledDuringTheReductionLeavesThePreviousFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    writeFixturePages();
    ReduceWorldPages(test::localFiles(), m_folder.path(), weatherIni());
    const std::string previous = readFile(weatherIni());
    ASSERT_EQ(previous, testing::fixtureWeatherIni());
    writeFile(page("EU.html"), "");
    EXPECT_EXIT(ReduceWorldPages(test::localFiles(), m_folder.path(), weatherIni(),
                                 [](const City& city, const CityWeather&) {
                                     if (city.name == "ベルリン") std::raise(SIGKILL);
                                 }),
                ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(readFile(weatherIni()), previous);
}
#endif

TEST_F(WeatherFileTest, ReadWeatherIniLooksUpOneCity) {
    writeFile(weatherIni(), cp932::toCp932FromUtf8("[WEATHER]\r\n"
                                                    "ワシントンD.C.=RAIN.gif\r\n"
                                                    "ソウル=不明\r\n"
                                                    "パリ=\r\n"
                                                    "=不明\r\n"
                                                    "ニューヨーク=\t\t<TD>---</TD>\r\n"));
    struct Case {
        const char* name;
        std::string key;
        std::string expected;
    };
    const Case cases[] = {
        {"exact key", "ワシントンD.C.", "RAIN.gif"},
        {"ASCII letters of a key ignore case", "ワシントンd.c.", "RAIN.gif"},
        {"full-width letters differ from half-width", "ワシントンＤ.Ｃ.", "不明"},
        {"undetermined stays exactly that", "ソウル", "不明"},
        {"empty value: not known, not fine", "パリ", "不明"},
        {"absent key: not known, not fine", "ベルリン", "不明"},
        {"one character off", "ソウ", "不明"},
        {"tabs around a value are dropped by the profile read", "ニューヨーク", "<TD>---</TD>"},
    };
    for (const Case& c : cases) {
        std::string weather = "unchanged";
        settings::ReadWeatherIni(test::localFiles(), c.key, weather, weatherIni());
        EXPECT_EQ(weather, c.expected) << c.name;
    }
    std::string weather;
    settings::ReadWeatherIni(test::localFiles(), "ソウル", weather, m_folder.path() / "MISSING.INI");
    EXPECT_EQ(weather, "不明") << "missing file";
}

}  // namespace
}  // namespace skyroll::weather
