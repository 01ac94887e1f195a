// The conversion of a page to code page 932: one table, run on every
// system's converter (iconv on Linux, the code-page API on Windows), so that
// both store a page alike.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/download/PageCharset.h"

namespace skyroll::platform {
namespace {

TEST(PageToCp932, ConvertsEachCharsetAlike) {
    struct Case {
        const char* what;
        const char* charset;
        std::string page;
        std::string expected;
    };
    const std::string tokyoSunny = "\x93\x8C\x8B\x9E \x90\xB0\x82\xEA";  // "東京 晴れ"
    const std::string manyInvalid(kMaxInvalidPageBytes, '\xFF');
    const Case cases[] = {
        {"utf-8, line ends kept", "utf-8", "\xE6\x9D\xB1\xE4\xBA\xAC\r\n\xE6\x99\xB4\xE3\x82\x8C\n",
         "\x93\x8C\x8B\x9E\r\n\x90\xB0\x82\xEA\n"},
        {"names in any case", "UTF-8", "\xE6\x9D\xB1", "\x93\x8C"},
        {"euc-jp", "euc-jp", "\xC5\xEC\xB5\xFE \xC0\xB2\xA4\xEC", tokyoSunny},
        {"euc-jp half-width kana", "EUC-JP", "\x8E\xB1x", "\xB1x"},
        {"iso-2022-jp", "iso-2022-jp", "\x1B$BEl5~\x1B(B \x1B$B@2$l\x1B(B", tokyoSunny},
        {"utf-16le", "utf-16le", std::string("\x71\x67\xAC\x4E\x20\x00\x74\x66\x8C\x30", 10), tokyoSunny},
        {"utf-16be", "utf-16be", std::string("\x67\x71\x4E\xAC\x00\x20\x66\x74\x30\x8C", 10), tokyoSunny},
        {"utf-16 with its byte order mark", "utf-16",
         std::string("\xFF\xFE\x71\x67\xAC\x4E\x20\x00\x74\x66\x8C\x30", 12), tokyoSunny},
        {"iso-8859-1", "iso-8859-1", "caf\xE9 \xD7", "caf? \x81\x7E"},
        {"windows-1252", "windows-1252", "\x93x\x94", "\x81\x67x\x81\x68"},
        {"us-ascii", "us-ascii", "plain\r\n", "plain\r\n"},
        {"invalid bytes, one each", "utf-8",
         "A\xE3\x81"
         "B\xFF"
         "C",
         "A??B?C"},
        {"cut at the end", "utf-8", "A\xE3\x81", "A??"},
        {"beyond code page 932", "utf-8", "\xF0\x9F\x98\x80\xC3\xA9", "??"},
        {"shift_jis stored as is", "Shift_JIS", "\x93\x8C\xFF", "\x93\x8C\xFF"},
        {"windows-31j stored as is", "windows-31j", "\x93\x8C\xFF", "\x93\x8C\xFF"},
        {"unknown charset", "x-unknown", "\x93\x8C\xFF", "\x93\x8C\xFF"},
        {"no charset", "", "\x93\x8C\xFF", "\x93\x8C\xFF"},
        {"as many invalid bytes as allowed", "utf-8", manyInvalid + "A",
         std::string(kMaxInvalidPageBytes, '?') + "A"},
        {"more: not in that charset", "utf-8",
         manyInvalid + "\xFF"
                       "A",
         manyInvalid + "\xFF"
                       "A"},
    };
    for (const Case& c : cases) EXPECT_EQ(pageToCp932(c.page, c.charset), c.expected) << c.what;
}

// 4 MiB of valid characters half of which code page 932 cannot hold: the
// conversion asks whether it is overdue as it goes, and gives up at once
// when it is.
TEST(PageToCp932, AsksAlongTheWayAndGivesUpWhenOverdue) {
    struct Case {
        const char* charset;
        std::string_view unit;  // "能" and a character code page 932 has not
        std::size_t characters;
    };
    const Case cases[] = {
        {"utf-16", {"\xFF\xFE\xFD\x80", 4}, 2},  // U+FEFF
        {"utf-8", {"\xE8\x83\xBD\xEF\xBB\xBF", 6}, 2},
        {"euc-jp", {"\xC7\xBD\x8F\xB0\xA1", 5}, 2},  // U+4E02 of JIS X 0212
    };
    for (const Case& c : cases) {
        std::string page;
        while (page.size() < (4u << 20)) page += c.unit;
        int asked = 0;
        const std::optional<std::string> whole = pageToCp932(page, c.charset, [&] {
            ++asked;
            return false;
        });
        ASSERT_TRUE(whole) << c.charset;
        EXPECT_GE(asked, 16) << c.charset << ": asked once in a while, not only at the start";
        EXPECT_EQ(whole->substr(0, 3), "\x94\x5C?") << c.charset;
        // The UTF-16 one loses its first character, the byte order mark.
        EXPECT_GE(whole->size(), page.size() / c.unit.size() * 3 - 1) << c.charset;

        int left = 5;
        const std::optional<std::string> cut = pageToCp932(page, c.charset, [&] { return --left < 0; });
        EXPECT_FALSE(cut) << c.charset;
        EXPECT_EQ(left, -1) << c.charset << ": not asked again once overdue";
    }
}

}  // namespace
}  // namespace skyroll::platform
