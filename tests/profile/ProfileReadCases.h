#pragma once
// One table of tricky profile-file reads with the results Windows gives for
// GetPrivateProfileStringA. Our portable reader is checked against it on every
// system; the Windows build also runs it against the real function.

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

inline std::string cat(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (auto part : parts) joined += part;
    return joined;
}

struct ProfileReadCase {
    const char* name;
    std::string content;  // the whole file, code page 932 bytes
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
        {"KatakanaATrailIsNotFolded", cat({"[S]\r\n", kA, "=1\r\n", kDi, "=2\r\n"}), "S", std::string(kDi), "2"},
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
        {"WholeDoubleByteCharactersOnly", cat({"[S]\r\nK=", kSo, kSo, "\r\n"}), "S", "K", std::string(kSo), 4},
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
    };
}

}  // namespace skyroll::profile
