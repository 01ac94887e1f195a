#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace skyroll::cp932 {
namespace {

constexpr char32_t kBad = U'\uFFFD';

struct DecodeRow {
    const char* name;
    std::string bytes;
    std::u32string text;
};

// Names the row in test listings and failure messages.
void PrintTo(const DecodeRow& row, std::ostream* out) { *out << row.name; }

class DecodeTable : public testing::TestWithParam<DecodeRow> {};

TEST_P(DecodeTable, GivesTheCharactersAndOneReplacementPerBadSpot) {
    EXPECT_EQ(decode(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cp932, DecodeTable,
    testing::Values(DecodeRow{"Empty", "", U""},
                    // Windows keeps backslash and tilde in the single-byte range.
                    DecodeRow{"BackslashAndTildeStayAscii", "C:\\a~b", U"C:\\a~b"},
                    DecodeRow{"TrailByteBackslash", "\x83\x5c\x95\x5c\x94\x5c", U"ソ表能"},
                    DecodeRow{"TrailByteBar", "\x83\x7c|", U"ポ|"},
                    DecodeRow{"TrailBytesLikeBrackets", "[\x83\x5d\x81\x5b\x83\x93]", U"[ゾーン]"},
                    DecodeRow{"HalfWidthKatakana", "\xcc\xde\xb4\xc9\xbd\xb1\xb2\xda\xbd", U"ﾌﾞｴﾉｽｱｲﾚｽ"},
                    DecodeRow{"NecAndIbmExtensions", "\x87\x40\xfa\x40", U"①ⅰ"},
                    DecodeRow{"UserDefinedArea", "\xf0\x40", U"\uE000"},
                    DecodeRow{"Byte80", "a\x80z", std::u32string{U'a', kBad, U'z'}},
                    DecodeRow{"ByteA0", "a\xa0z", std::u32string{U'a', kBad, U'z'}},
                    DecodeRow{"BytesFDtoFF", "\xfd\xfe\xff", std::u32string{kBad, kBad, kBad}},
                    // The line end after a lone lead byte survives.
                    DecodeRow{"LeadByteBeforeCr", "\x83\r\n", std::u32string{kBad, U'\r', U'\n'}},
                    DecodeRow{"LeadByteBeforeAscii", "\x83=1", std::u32string{kBad, U'=', U'1'}},
                    DecodeRow{"LeadByteAtEnd", "ab\x83", std::u32string{U'a', U'b', kBad}},
                    // An unassigned pair is one character, so one replacement.
                    DecodeRow{"UnassignedPair", "\x85\x40x", std::u32string{kBad, U'x'}},
                    DecodeRow{"GoesOnAfterBadBytes", "\x80\x83\x41\xff\x83\x61",
                              std::u32string{kBad, U'ア', kBad, U'ヂ'}}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodeRow {
    const char* name;
    std::u32string text;
    std::string bytes;
};

void PrintTo(const EncodeRow& row, std::ostream* out) { *out << row.name; }

class EncodeTable : public testing::TestWithParam<EncodeRow> {};

TEST_P(EncodeTable, GivesTheBytesAndAQuestionMarkPerMissingCharacter) {
    EXPECT_EQ(encode(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cp932, EncodeTable,
    testing::Values(EncodeRow{"Empty", U"", ""}, EncodeRow{"Ascii", U"C:\\a~b", "C:\\a~b"},
                    EncodeRow{"TrailByteBackslash", U"ソ表能", "\x83\x5c\x95\x5c\x94\x5c"},
                    EncodeRow{"HalfWidthKatakana", U"ﾌﾞｴﾉｽ", "\xcc\xde\xb4\xc9\xbd"},
                    EncodeRow{"FullWidthTilde", U"\uFF5E", "\x81\x60"},
                    EncodeRow{"Emoji", U"a\U0001F600b", "a?b"},
                    EncodeRow{"AccentedLatin", U"caf\u00e9", "caf?"},
                    EncodeRow{"Surrogate", std::u32string{U'x', char32_t{0xD800}, U'y'}, "x?y"},
                    EncodeRow{"BeyondUnicode", std::u32string{char32_t{0x110000}, U'ア'}, "?\x83\x41"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp932, JapaneseTextRoundTrips) {
    const std::u32string text = U"ニューヨーク　晴れ時々曇り　ソ表能十予ポ｜ｿ\\~ ﾌﾞｴﾉｽｱｲﾚｽ ①ⅰ\r\n天気予報";
    const std::string bytes = encode(text);
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    EXPECT_EQ(decode(bytes), text);
    EXPECT_EQ(encode(decode(bytes)), bytes);
}

TEST(Cp932, LongTextWithScatteredBadBytesKeepsEveryGoodCharacter) {
    std::string bytes;
    std::u32string expected;
    for (int i = 0; i < 5000; ++i) {
        bytes += "\x83\x5c\x80";  // ソ and a stray byte
        expected += U'ソ';
        expected += kBad;
    }
    EXPECT_EQ(decode(bytes), expected);
}

TEST(Cp932, ThreadsConvertAtTheSameTime) {
    std::u32string text;
    for (int i = 0; i < 200; ++i) text += U"ニューヨーク晴れ\\ﾌﾞｴﾉｽ";
    const std::string bytes = encode(text);
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < mismatches.size(); ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                if (decode(bytes) != text || encode(text) != bytes) ++mismatches[t];
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

struct Utf8Row {
    const char* name;
    std::string utf8;
    std::u32string text;
};

void PrintTo(const Utf8Row& row, std::ostream* out) { *out << row.name; }

class Utf8Table : public testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8Table, DecodesWithOneReplacementPerMalformedSequence) {
    EXPECT_EQ(fromUtf8(GetParam().utf8), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Utf8, Utf8Table,
    testing::Values(Utf8Row{"AllLengths", "a\xc3\xa9\xe3\x82\xbd\xf0\x9f\x98\x80", U"a\u00e9ソ\U0001F600"},
                    Utf8Row{"LoneContinuation", "a\x80z", std::u32string{U'a', kBad, U'z'}},
                    Utf8Row{"OverlongTwoBytes", "\xc0\xaf", std::u32string{kBad, kBad}},
                    Utf8Row{"OverlongThreeBytes", "\xe0\x80\xaf", std::u32string{kBad, kBad, kBad}},
                    Utf8Row{"Surrogate", "\xed\xa0\x80", std::u32string{kBad, kBad, kBad}},
                    Utf8Row{"BeyondUnicode", "\xf4\x90\x80\x80", std::u32string{kBad, kBad, kBad, kBad}},
                    Utf8Row{"BrokenOffBeforeAscii", "\xe3\x82z", std::u32string{kBad, U'z'}},
                    Utf8Row{"BrokenOffAtEnd", "z\xf0\x9f\x98", std::u32string{U'z', kBad}},
                    Utf8Row{"InvalidByte", "\xff", std::u32string{kBad}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8, EncodesEveryLengthAndReplacesNonCharacters) {
    EXPECT_EQ(toUtf8(U"a\u00e9ソ\U0001F600"), "a\xc3\xa9\xe3\x82\xbd\xf0\x9f\x98\x80");
    EXPECT_EQ(toUtf8(std::u32string{char32_t{0xDC00}, char32_t{0x110000}}), "\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(Utf8, ShorthandsConvertBetweenCp932AndUtf8) {
    EXPECT_EQ(toUtf8FromCp932("\x83\x6a\x83\x85\x81\x5b\x83\x88\x81\x5b\x83\x4e"), "ニューヨーク");
    EXPECT_EQ(toCp932FromUtf8("表\xff"), "\x95\x5c?");
}

}  // namespace
}  // namespace skyroll::cp932
