#pragma once
// One table of tricky profile-file reads with the results Windows gives for
// GetPrivateProfileStringA (files with a UTF-8 mark: the results under
// Wine). Our portable reader is checked against it on every system; the
// Windows build also runs it against the real function.

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace skyroll::profile {

// Shift_JIS characters whose trail byte looks like ASCII.
constexpr std::string_view kSo = "\x83\x5c";   // ソ, trail "\"
constexpr std::string_view kHyo = "\x95\x5c";  // 表, trail "\"
constexpr std::string_view kNo = "\x94\x5c";   // 能, trail "\"
constexpr std::string_view kPo = "\x83\x7c";   // ポ, trail "|"
constexpr std::string_view kA = "\x83\x41";    // ア, trail "A"
constexpr std::string_view kDi = "\x83\x61";   // ヂ, trail "a"
constexpr std::string_view kZo = "\x83\x5d";   // ゾ, trail "]"
constexpr std::string_view kJu = "\x8f\x5c";   // 十, trail "\"
constexpr std::string_view kPari = "\x83\x70\x83\x8a";  // パリ
constexpr std::string_view kHare = "\x90\xb0\x82\xea";  // 晴れ

// The same in UTF-8, and the byte-order marks.
constexpr std::string_view kPariUtf8 = "\xe3\x83\x91\xe3\x83\xaa";
constexpr std::string_view kHareUtf8 = "\xe6\x99\xb4\xe3\x82\x8c";
constexpr std::string_view kUtf8Mark = "\xef\xbb\xbf";
constexpr std::string_view kUtf16leMark = "\xff\xfe";

inline std::string cat(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (auto part : parts) joined += part;
    return joined;
}

// A file in UTF-16LE with its mark.
inline std::string utf16leFile(std::u16string_view text) {
    std::string bytes(kUtf16leMark);
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

struct ProfileReadCase {
    const char* name;
    std::string content;  // the whole file: code page 932 bytes, or a byte-order mark and its text
    std::string section;
    std::string key;
    std::string expected;
    std::size_t bufferSize = 500;
    std::string defaultValue = "DEF";
};

// Names the row in test listings and failure messages.
inline void PrintTo(const ProfileReadCase& row, std::ostream* out) { *out << row.name; }

inline std::vector<ProfileReadCase> profileReadCases() {
    return {
        {"Plain", "[SPEED]\r\nROLLSPEED=2\r\n", "SPEED", "ROLLSPEED", "2"},
        // Names
        {"NamesIgnoreAsciiCase", "[Speed]\r\nRollSpeed=2\r\n", "sPEED", "rollspeed", "2"},
        {"KatakanaATrailIsNotFolded", cat({"[S]\r\n", kA, "=1\r\n", kDi, "=2\r\n"}), "S", std::string(kDi),
         "2"},
        {"KatakanaAIsNotKatakanaDi", cat({"[S]\r\n", kDi, "=2\r\n"}), "S", std::string(kA), "DEF"},
        {"KeysWithBackslashTrailBytes", cat({"[S]\r\n", kSo, "=1\r\n", kJu, "=2\r\n", kHyo, "=3\r\n"}), "S",
         std::string(kJu), "2"},
        {"SectionWithBackslashTrailByte", cat({"[", kHyo, "]\r\n", kNo, "=4\r\n"}), std::string(kHyo),
         std::string(kNo), "4"},
        {"TrailByteBracketInSectionName", cat({"[", kZo, "]\r\nK=2\r\n"}), std::string(kZo), "K", "2"},
        {"SectionNameEndsAtLastBracket", "[a]b]\r\nK=2\r\n", "a]b", "K", "2"},
        // Blanks
        {"BlanksAndTabsAroundValueDropped", "[S]\r\nK=\t 2 \t\r\n", "S", "K", "2"},
        {"BlanksAroundNamesDropped", "  [ S ]\r\n\t K \t=2\r\n", "S", " K ", "2"},
        {"BlanksInsideValueKept", "[S]\r\nK=a  b\r\n", "S", "K", "a  b"},
        {"EmptyValueIsNotTheDefault", "[S]\r\nK=\r\n", "S", "K", ""},
        {"DefaultLosesTrailingBlanks", "[S]\r\n", "S", "K", " 0", 500, " 0  "},
        // Quotes
        {"DoubleQuotesRemoved", "[S]\r\nK=\" 2\"\r\n", "S", "K", " 2"},
        {"SingleQuotesRemoved", "[S]\r\nK=' 2 '\r\n", "S", "K", " 2 "},
        {"OnlyOnePairOfQuotesRemoved", "[S]\r\nK=\"\"2\"\"\r\n", "S", "K", "\"2\""},
        {"UnbalancedQuoteKept", "[S]\r\nK=\"2\r\n", "S", "K", "\"2"},
        {"MismatchedQuotesKept", "[S]\r\nK=\"2'\r\n", "S", "K", "\"2'"},
        {"LoneQuoteKept", "[S]\r\nK=\"\r\n", "S", "K", "\""},
        // Truncation: at most bufferSize - 1 bytes
        {"ValueCutToTheBuffer", "[S]\r\nK=abcdef\r\n", "S", "K", "abc", 4},
        {"QuotesGoBeforeTheCut", "[S]\r\nK=\"abcdef\"\r\n", "S", "K", "abc", 4},
        {"BufferOfOneHoldsNothing", "[S]\r\nK=abcdef\r\n", "S", "K", "", 1},
        {"DefaultCutToTheBuffer", "[S]\r\n", "S", "K", "abc", 4, "abcdef"},
        {"WholeDoubleByteCharactersOnly", cat({"[S]\r\nK=", kSo, kSo, "\r\n"}), "S", "K", std::string(kSo),
         4},
        // Duplicates and where a key counts
        {"FirstKeyWins", "[S]\r\nK=1\r\nK=2\r\n", "S", "K", "1"},
        {"FirstKeyWinsWhateverItsCase", "[S]\r\nk=1\r\nK=2\r\n", "S", "K", "1"},
        {"FirstSectionWins", "[S]\r\nA=1\r\n[s]\r\nK=2\r\n", "S", "K", "DEF"},
        {"KeyInLaterSectionNotSeen", "[S]\r\n[T]\r\nK=2\r\n", "S", "K", "DEF"},
        {"KeyBeforeAnySectionNotSeen", "K=2\r\n[S]\r\n", "S", "K", "DEF"},
        {"LineWithoutEqualsIsNoKey", "[S]\r\nK\r\nK=2\r\n", "S", "K", "2"},
        {"ValueKeepsInnerEquals", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
        {"MissingSection", "[S]\r\nK=2\r\n", "T", "K", "DEF"},
        {"MissingKey", "[S]\r\nK=2\r\n", "S", "J", "DEF"},
        // Line ends and bytes
        {"LfLineEnds", "[S]\nJ=1\nK=2\n", "S", "K", "2"},
        {"CrLineEnds", "[S]\rJ=1\rK=2", "S", "K", "2"},
        {"TrailBytesOfValueKept", cat({"[S]\r\nK=", kSo, kHyo, kNo, kPo, "\r\n"}), "S", "K",
         cat({kSo, kHyo, kNo, kPo})},
        // Byte-order marks: the file's text in its coding, names and values
        // in code page 932 (Wine; Windows takes a UTF-8 file for code page 932)
        {"Utf8MarkSkipped", cat({kUtf8Mark, "[POSITION]\r\nDISPPOS=4\r\n"}), "POSITION", "DISPPOS", "4"},
        {"Utf8FileNamesAndValues", cat({kUtf8Mark, "[SITES]\r\n", kPariUtf8, "=", kHareUtf8, "\r\n"}),
         "SITES", std::string(kPari), std::string(kHare)},
        {"Utf8MarkCountsOnlyAtTheStart", cat({"[S]\r\n", kUtf8Mark, "K=2\r\n"}), "S", "K", "DEF"},
        {"Utf16leFile", utf16leFile(u"[POSITION]\r\nDISPPOS=4\r\n[SITES]\r\n\u30d1\u30ea=\u6674\u308c\r\n"),
         "SITES", std::string(kPari), std::string(kHare)},
        {"Utf16leFileBlanksQuotesAndCase", utf16leFile(u"[Speed]\r\n\t rollspeed = \" 2\" \r\n"), "SPEED",
         "ROLLSPEED", " 2"},
        {"Utf16leMarkOnly", std::string(kUtf16leMark), "S", "K", "DEF"},
    };
}

}  // namespace skyroll::profile
