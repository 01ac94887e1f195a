#include "platform/common/ProfileFile.h"
#include "tests/platform/common/ProfileReadCases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <set>
#include <string>

namespace skyroll::profile {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// mixed.ini: comments, blank lines, blanks around a section name, LF-only and
// CR-only line ends, a quoted value between tabs, Shift_JIS names with trail
// bytes "]", "[", "\" and "|", and a last line without a line end.
const std::string& mixedIni() {
    static const std::string bytes = readBytes(fs::path(SKYROLL_PROFILE_TEST_DATA) / "mixed.ini");
    return bytes;
}

class ProfileFileTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() /
                   ("skyroll-profile-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        fs::create_directories(m_folder);
        ASSERT_EQ(mixedIni().size(), 163u) << "fixture missing or rewritten";
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::set<std::string> folderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path m_folder;
};

// ---- Reading ---------------------------------------------------------------

class ReadTable : public ProfileFileTest, public testing::WithParamInterface<ProfileReadCase> {};

TEST_P(ReadTable, FindsTheValue) {
    const ProfileReadCase& row = GetParam();
    const fs::path file = m_folder / "TEST.INI";
    writeBytes(file, row.content);
    EXPECT_EQ(getPrivateProfileString(row.section, row.key, row.defaultValue, row.bufferSize, file), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Profile, ReadTable, testing::ValuesIn(profileReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

struct FixtureReadRow {
    const char* name;
    std::string section;
    std::string key;
    std::string expected;
};

void PrintTo(const FixtureReadRow& row, std::ostream* out) { *out << row.name; }

class MixedFileReadTable : public ProfileFileTest, public testing::WithParamInterface<FixtureReadRow> {};

TEST_P(MixedFileReadTable, FindsTheValue) {
    const fs::path file = m_folder / "mixed.ini";
    writeBytes(file, mixedIni());
    EXPECT_EQ(getPrivateProfileString(GetParam().section, GetParam().key, "-", 500, file),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, MixedFileReadTable,
    testing::Values(FixtureReadRow{"BlanksAroundSectionLine", "POSITION", "DISPPOS", "1"},
                    FixtureReadRow{"QuotedBetweenTabsBeforeCrOnly", "speed", "rollspeed", "3"},
                    FixtureReadRow{"ShiftJisKeyAndValue", "\x83\x5d\x81\x5b\x83\x93", std::string(kSo),
                                   std::string(kHyo)},
                    FixtureReadRow{"ValueEndingInBar", "\x83\x5d\x81\x5b\x83\x93", std::string(kPo),
                                   cat({kNo, "|"})},
                    FixtureReadRow{"KatakanaA", "\x83\x5d\x81\x5b\x83\x93", std::string(kA), "a"},
                    FixtureReadRow{"KatakanaDi", "\x83\x5d\x81\x5b\x83\x93", std::string(kDi), "b"},
                    FixtureReadRow{"LastLineWithoutLineEnd", "OTHER", "KEY", "value"},
                    FixtureReadRow{"NoteLineIsNoKey", "POSITION", "\tnote without an equals sign", "-"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFileTest, ValueIsCutToTheBuffer) {
    const fs::path file = m_folder / "CUT.INI";
    writeBytes(file,
               "[S]\r\nK=" + std::string(600, 'x') + "\r\nD=" + std::string(kSo) + std::string(kSo) + "\r\n");
    EXPECT_EQ(getPrivateProfileString("S", "K", "", 500, file), std::string(499, 'x'));
    EXPECT_EQ(getPrivateProfileString("S", "K", "", 1, file), "");
    EXPECT_EQ(getPrivateProfileString("S", "K", "", 0, file), "");
    // Half a double-byte character is never left at the end.
    EXPECT_EQ(getPrivateProfileString("S", "D", "", 4, file), kSo);
    EXPECT_EQ(getPrivateProfileString("S", "D", "", 5, file), cat({kSo, kSo}));
}

TEST_F(ProfileFileTest, DefaultLosesTrailingBlanksAndIsCutToo) {
    const fs::path missing = m_folder / "MISSING.INI";
    EXPECT_EQ(getPrivateProfileString("S", "K", " 0  ", 500, missing), " 0");
    EXPECT_EQ(getPrivateProfileString("S", "K", "abcdef", 4, missing), "abc");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ProfileFileTest, UnreadableOrOversizedFileReadsAsMissing) {
    const fs::path big = m_folder / "BIG.INI";
    writeBytes(big, "[S]\r\nK=2\r\n" + std::string(1024 * 1024, ';'));
    EXPECT_EQ(getPrivateProfileString("S", "K", "DEF", 500, big), "DEF");

    const fs::path justFits = m_folder / "FITS.INI";
    const std::string head = "[S]\r\nK=2\r\n";
    writeBytes(justFits, head + std::string(1024 * 1024 - head.size(), ';'));
    EXPECT_EQ(getPrivateProfileString("S", "K", "DEF", 500, justFits), "2");

    fs::create_directory(m_folder / "FOLDER.INI");
    EXPECT_EQ(getPrivateProfileString("S", "K", "DEF", 500, m_folder / "FOLDER.INI"), "DEF");
}

// ---- Writing ---------------------------------------------------------------

// Each row writes one value into a copy of mixed.ini; the expected file is
// mixed.ini with `before` (its first occurrence) changed to `after`, so every
// other byte must stay as it was.
struct WriteRow {
    const char* name;
    std::string section;
    std::string key;
    std::string value;
    std::string before;
    std::string after;
};

void PrintTo(const WriteRow& row, std::ostream* out) { *out << row.name; }

class MixedFileWriteTable : public ProfileFileTest, public testing::WithParamInterface<WriteRow> {};

TEST_P(MixedFileWriteTable, ChangesOnlyTheOneLine) {
    const WriteRow& row = GetParam();
    const fs::path file = m_folder / "mixed.ini";
    writeBytes(file, mixedIni());

    ASSERT_TRUE(writePrivateProfileString(row.section, row.key, row.value, file));

    std::string expected = mixedIni();
    const std::size_t at = expected.find(row.before);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, row.before.size(), row.after);
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(getPrivateProfileString(row.section, row.key, "DEF", 500, file), row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Profile, MixedFileWriteTable,
    testing::Values(WriteRow{"ReplaceKeepsCrLfAndUsesCallersKey", "position", "dispPos", "4",
                             "DISPPOS = 1\r\n", "dispPos=4\r\n"},
                    WriteRow{"ReplaceKeepsCrOnlyLineEnd", "SPEED", "ROLLSPEED", "0", "ROLLSPEED=\t\"3\"\t\r",
                             "ROLLSPEED=0\r"},
                    WriteRow{"ReplaceShiftJisValue", "\x83\x5d\x81\x5b\x83\x93", std::string(kSo),
                             std::string(kJu), cat({kSo, "=", kHyo}), cat({kSo, "=", kJu})},
                    WriteRow{"ReplaceKatakanaDiNotA", "\x83\x5d\x81\x5b\x83\x93", std::string(kDi), "c",
                             cat({kDi, "=b"}), cat({kDi, "=c"})},
                    WriteRow{"AddKeyAfterLastNonBlankLine", "POSITION", "NEW", "1",
                             "\tnote without an equals sign\n\r\n[SPEED]",
                             "\tnote without an equals sign\nNEW=1\r\n\r\n[SPEED]"},
                    WriteRow{"AddKeyAfterCrOnlyLine", "speed", "NEW", "1", "\"3\"\t\r", "\"3\"\t\rNEW=1\r\n"},
                    WriteRow{"AddKeyAfterLastLineWithoutLineEnd", "Other", "NEW", "1", "key=value",
                             "key=value\r\nNEW=1\r\n"},
                    WriteRow{"AddShiftJisKeyWithTrailBytes", "\x83\x5d\x81\x5b\x83\x93", cat({kNo, kPo}),
                             cat({kHyo, "|"}), cat({kDi, "=b\r\n"}),
                             cat({kDi, "=b\r\n", kNo, kPo, "=", kHyo, "|\r\n"})},
                    WriteRow{"AddSectionAfterLastLineWithoutLineEnd", "NEW", "K", "V", "key=value",
                             "key=value\r\n[NEW]\r\nK=V\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileFileTest, AppendsSectionToFileEndingInLineEnd) {
    const fs::path file = m_folder / "A.INI";
    writeBytes(file, "[S]\nK=1\n\n");
    ASSERT_TRUE(writePrivateProfileString("T", "J", "2", file));
    EXPECT_EQ(readBytes(file), "[S]\nK=1\n\n[T]\r\nJ=2\r\n");
}

TEST_F(ProfileFileTest, ShiftJisNamesAndValuesRoundTripByteForByte) {
    const fs::path file = m_folder / "SJIS.INI";
    const std::string section = cat({kSo, kHyo});
    const std::string keyA = cat({kA, kNo});
    const std::string keyDi = cat({kDi, kNo});
    const std::string value = cat({kPo, "|", kSo, "\\", kJu});
    ASSERT_TRUE(writePrivateProfileString(section, keyA, value, file));
    ASSERT_TRUE(writePrivateProfileString(section, keyDi, "2", file));
    EXPECT_EQ(readBytes(file), cat({"[", section, "]\r\n", keyA, "=", value, "\r\n", keyDi, "=2\r\n"}));
    EXPECT_EQ(getPrivateProfileString(section, keyA, "", 500, file), value);
    EXPECT_EQ(getPrivateProfileString(section, keyDi, "", 500, file), "2");

    // 0x9F, the last lead byte of the first range, with the trail bytes "]",
    // "a" and "A": neither folded nor taken for the section's end.
    const std::string last = "\x9F\x5D", lower = "\x9F\x61", upper = "\x9F\x41";
    ASSERT_TRUE(writePrivateProfileString(last, lower, "1", file));
    ASSERT_TRUE(writePrivateProfileString(last, upper, "2", file));
    EXPECT_EQ(getPrivateProfileString(last, lower, "", 500, file), "1");
    EXPECT_EQ(getPrivateProfileString(last, upper, "", 500, file), "2");
    EXPECT_TRUE(readBytes(file).ends_with(cat({"[", last, "]\r\n", lower, "=1\r\n", upper, "=2\r\n"})));
    writeBytes(file, cat({"[S]\r\n[", last, "\r\nK=1\r\n"}));
    EXPECT_EQ(getPrivateProfileString("S", "K", "", 500, file), "1") << "a line whose only ] is a trail byte";
}

// Several keys in one replacement: a new file holds the sections in the
// order written, and one refused value leaves the file as it was.
TEST_F(ProfileFileTest, SeveralKeysAreWrittenTogetherOrNotAtAll) {
    const fs::path file = m_folder / "EARTH.INI";
    const ProfileEntry both[] = {{"POSITION", "DISPPOS", "2"}, {"SPEED", "ROLLSPEED", "3"}};
    ASSERT_TRUE(writePrivateProfileStrings(both, file));
    EXPECT_EQ(readBytes(file), "[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=3\r\n");

    using namespace std::string_literals;
    const std::string refused = "1\0x"s;
    const ProfileEntry second[] = {{"POSITION", "DISPPOS", "4"}, {"SPEED", "ROLLSPEED", refused}};
    EXPECT_FALSE(writePrivateProfileStrings(second, file));
    EXPECT_EQ(readBytes(file), "[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=3\r\n");
    EXPECT_EQ(folderEntries(), std::set<std::string>{"EARTH.INI"});
}

// A file saved with a byte-order mark keeps its mark and its coding, and
// what the caller gives in code page 932 goes in converted; lines that are no
// valid text (a lone surrogate, bytes that are no UTF-8) stay as they were,
// an odd last byte of UTF-16 is no character and goes.
TEST_F(ProfileFileTest, FilesWithAMarkKeepItAndTheirCoding) {
    struct Row {
        const char* name;
        std::string before, after;
    };
    const Row rows[] = {
        {"Utf8", cat({kUtf8Mark, "[POSITION]\r\nDISPPOS=1\r\n[SITES]\r\n", kPariUtf8, "=x\r\nbad=\xff\r\n"}),
         cat({kUtf8Mark, "[POSITION]\r\nDISPPOS=4\r\n[SITES]\r\n", kPariUtf8, "=", kHareUtf8,
              "\r\nbad=\xff\r\n[SPEED]\r\nROLLSPEED=0\r\n"})},
        {"Utf8MarkOnly", std::string(kUtf8Mark),
         cat({kUtf8Mark, "[POSITION]\r\nDISPPOS=4\r\n[SITES]\r\n", kPariUtf8, "=", kHareUtf8,
              "\r\n[SPEED]\r\nROLLSPEED=0\r\n"})},
        {"Utf16le",
         utf16leFile(u"[SITES]\r\n\u30d1\u30ea=x\r\nlone=a\xd83d\xde00\xdc00\xd800"
                     u"b\r\n[POSITION]\r\n"),
         utf16leFile(u"[SITES]\r\n\u30d1\u30ea=\u6674\u308c\r\nlone=a\xd83d\xde00\xdc00\xd800"
                     u"b\r\n[POSITION]\r\n"
                     u"DISPPOS=4\r\n[SPEED]\r\nROLLSPEED=0\r\n")},
        {"Utf16leOddByte", utf16leFile(u"[SPEED]\r\nROLLSPEED=1\r\n") + "\x41",
         utf16leFile(u"[SPEED]\r\nROLLSPEED=0\r\n[POSITION]\r\nDISPPOS=4\r\n[SITES]\r\n\u30d1\u30ea="
                     u"\u6674\u308c\r\n")},
        {"Utf16leMarkOnly", std::string(kUtf16leMark),
         utf16leFile(u"[POSITION]\r\nDISPPOS=4\r\n[SITES]\r\n\u30d1\u30ea=\u6674\u308c\r\n[SPEED]"
                     u"\r\nROLLSPEED=0\r\n")},
    };
    const fs::path file = m_folder / "EARTH.INI";
    const ProfileEntry entries[] = {
        {"POSITION", "DISPPOS", "4"}, {"SITES", kPari, kHare}, {"SPEED", "ROLLSPEED", "0"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        writeBytes(file, row.before);
        ASSERT_TRUE(writePrivateProfileStrings(entries, file));
        EXPECT_EQ(readBytes(file), row.after);
        EXPECT_EQ(getPrivateProfileString("SITES", kPari, "", 500, file), kHare);
        EXPECT_EQ(getPrivateProfileString("POSITION", "DISPPOS", "", 500, file), "4");
    }
    // What code page 932 cannot hold reads as "?", and so does what is no
    // text: each lone surrogate, each byte that starts no UTF-8 character.
    writeBytes(file, rows[2].after);
    EXPECT_EQ(getPrivateProfileString("SITES", "lone", "", 500, file), "a???b");
    writeBytes(file, rows[0].after);
    EXPECT_EQ(getPrivateProfileString("SITES", "bad", "", 500, file), "?");
}

TEST_F(ProfileFileTest, RefusedArgumentsLeaveTheFileAlone) {
    const fs::path file = m_folder / "ARGS.INI";
    writeBytes(file, "[S]\r\nK=1\r\n");
    struct Case {
        const char* name;
        std::string section, key, value;
    };
    using namespace std::string_literals;
    for (const Case& c : {Case{"EmptySection", " ", "K", "2"}, Case{"EmptyKey", "S", "\t", "2"},
                          Case{"KeyWithEquals", "S", "K=", "2"}, Case{"KeyLikeSection", "S", "[T]", "2"},
                          Case{"LineEndInValue", "S", "K", "2\r\n[T]"},
                          Case{"LineEndInKey", "S", "K\nJ", "2"}, Case{"ZeroInSection", "S\0"s, "K", "2"}}) {
        EXPECT_FALSE(writePrivateProfileString(c.section, c.key, c.value, file)) << c.name;
        EXPECT_EQ(readBytes(file), "[S]\r\nK=1\r\n") << c.name;
    }
}

TEST_F(ProfileFileTest, PermissionsAreKept) {
    const fs::path file = m_folder / "P.INI";
    writeBytes(file, "[S]\r\nK=1\r\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(file, mode);
    // Windows keeps only a read-only flag, not these bits.
    if (fs::status(file).permissions() != mode) GTEST_SKIP() << "the file system does not keep permission bits";
    ASSERT_TRUE(writePrivateProfileString("S", "K", "2", file));
    EXPECT_EQ(fs::status(file).permissions(), mode);
    EXPECT_EQ(readBytes(file), "[S]\r\nK=2\r\n");
}

TEST_F(ProfileFileTest, NoTemporaryFilesAreLeftBehind) {
    const fs::path file = m_folder / "T.INI";
    for (int i = 0; i < 20; ++i) {
        // Built without `"K" + std::string`: GCC 12 at -O3 takes that
        // operator+ for an overlapping memcpy (a false -Wrestrict).
        const std::string key{'K', static_cast<char>('0' + i % 5)};
        ASSERT_TRUE(writePrivateProfileString("S", key, "v", file));
    }
    EXPECT_FALSE(writePrivateProfileString("S", "K=", "v", file));
    EXPECT_EQ(folderEntries(), std::set<std::string>{"T.INI"});
}

}  // namespace
}  // namespace skyroll::profile
