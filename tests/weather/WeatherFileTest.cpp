// WEATHER.INI: written line by line from stored pages, read back by key.

#include <gtest/gtest.h>

#include <string>

#include "platform/Cp932.h"
#include "platform/Failure.h"
#include "settings/IniPalam.h"
#include "tests/support/TestFiles.h"
#include "weather/WeatherFile.h"

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
    std::string extract(std::string_view file, std::string_view city) {
        ExtractPageWeather(m_folder.path(), weatherIni(), file, city);
        return cp932::toUtf8FromCp932(readFile(weatherIni()));
    }

    TempDir m_folder;
};

TEST_F(WeatherFileTest, BeginCutsTheFileToItsHeader) {
    writeFile(weatherIni(), "old content\r\nmore\r\n");
    BeginWeatherFile(weatherIni());
    EXPECT_EQ(readFile(weatherIni()), "[WEATHER]\r\n");
}

TEST_F(WeatherFileTest, EachExtractionAppendsOneLineInCodePage932) {
    writePage("EU.html", "<TD>パリ</TD>\r\n<TD>雨</TD>\r\n");
    BeginWeatherFile(weatherIni());
    ExtractPageWeather(m_folder.path(), weatherIni(), "EU.html", "パリ");
    ExtractPageWeather(m_folder.path(), weatherIni(), "EU.html", "ベルリン");
    EXPECT_EQ(readFile(weatherIni()), cp932::toCp932FromUtf8("[WEATHER]\r\nパリ=RAIN.gif\r\n=不明\r\n"));
}

TEST_F(WeatherFileTest, MissingOrUnreadablePageIsAnEmptyPage) {
    std::filesystem::create_directory(page("FOLDER.html"));
    BeginWeatherFile(weatherIni());
    EXPECT_EQ(extract("MISSING.html", "パリ"), "[WEATHER]\r\n=不明\r\n");
    EXPECT_EQ(extract("FOLDER.html", "パリ"), "[WEATHER]\r\n=不明\r\n=不明\r\n");
    EXPECT_EQ(extract("JAPAN.html", "東京"), "[WEATHER]\r\n=不明\r\n=不明\r\n=不明\r\n");
}

// Each invalid byte decodes to a replacement character, which code page 932
// cannot hold: it is written as "?".
TEST_F(WeatherFileTest, InvalidBytesDoNotStopTheReduction) {
    writeFile(page("TAIHEIYOU.html"), "\xFF\x85\x40\r\n" + cp932::toCp932FromUtf8("グアム\r\n<B>") + "\xFF" +
                                           cp932::toCp932FromUtf8("</B>\r\n"));
    BeginWeatherFile(weatherIni());
    EXPECT_EQ(extract("TAIHEIYOU.html", "グアム"), "[WEATHER]\r\nグアム=<B>?</B>\r\n");
}

TEST_F(WeatherFileTest, FullWidthBlanksStayInTheValue) {
    writeFile(page("EU.html"), cp932::toCp932FromUtf8("パリ\r\n") + "\x81\x40" + "x\r\n");
    BeginWeatherFile(weatherIni());
    ExtractPageWeather(m_folder.path(), weatherIni(), "EU.html", "パリ");
    EXPECT_EQ(readFile(weatherIni()), cp932::toCp932FromUtf8("[WEATHER]\r\nパリ=\u3000x\r\n"));
}

TEST_F(WeatherFileTest, PagesAreReadUpToTheirBound) {
    std::string big(kMaxPageRead - 2, 'x');
    big += "\r\n" + cp932::toCp932FromUtf8("パリ\r\n晴れ\r\n");
    writeFile(page("BIG.html"), big);
    EXPECT_EQ(ReadPageFile(page("BIG.html")).size(), kMaxPageRead);
    BeginWeatherFile(weatherIni());
    EXPECT_EQ(extract("BIG.html", "パリ"), "[WEATHER]\r\n=不明\r\n");
}

TEST_F(WeatherFileTest, UnwritableWeatherFileIsFatal) {
    const std::filesystem::path missing = m_folder.path() / "no-such-folder" / "WEATHER.INI";
    EXPECT_THROW(BeginWeatherFile(missing), FatalError);
    EXPECT_THROW(ExtractPageWeather(m_folder.path(), missing, "EU.html", "パリ"), FatalError);
}

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
        {"full-width letters differ from half-width", "ワシントンＤ.Ｃ.", "SUN.gif"},
        {"undetermined stays exactly that", "ソウル", "不明"},
        {"empty value", "パリ", "SUN.gif"},
        {"absent key", "ベルリン", "SUN.gif"},
        {"one character off", "ソウ", "SUN.gif"},
        {"tabs around a value are dropped by the profile read", "ニューヨーク", "<TD>---</TD>"},
    };
    for (const Case& c : cases) {
        std::string weather = "unchanged";
        settings::ReadWeatherIni(c.key, weather, weatherIni());
        EXPECT_EQ(weather, c.expected) << c.name;
    }
    std::string weather;
    settings::ReadWeatherIni("ソウル", weather, m_folder.path() / "MISSING.INI");
    EXPECT_EQ(weather, "SUN.gif") << "missing file";
}

}  // namespace
}  // namespace skyroll::weather
