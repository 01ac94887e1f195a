// EARTH.INI through ReadEarthIni and WriteEarthIni.

#include <gtest/gtest.h>

#include "settings/IniPalam.h"
#include "tests/support/TestFiles.h"

namespace skyroll::test {
namespace {

using settings::ReadEarthIni;
using settings::WriteEarthIni;

struct Read {
    std::string dispPos, rollSpeed;
};

Read read(const std::filesystem::path& file) {
    Read r;
    ReadEarthIni(test::localFiles(), r.dispPos, r.rollSpeed, file);
    return r;
}

TEST(SettingsFile, MissingFileSectionKeyOrValueReadsZero) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    EXPECT_EQ(read(ini).dispPos, "0");
    EXPECT_EQ(read(ini).rollSpeed, "0");
    writeFile(ini, "[POSITION]\r\nDISPPOS=\r\n[OTHER]\r\nROLLSPEED=3\r\n");
    EXPECT_EQ(read(ini).dispPos, "0");
    EXPECT_EQ(read(ini).rollSpeed, "0");
}

TEST(SettingsFile, ValuesArriveAsStoredNotChecked) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    writeFile(ini, "[position]\r\ndisppos = 02 \r\n[SPEED]\r\nROLLSPEED=\" 2\"\r\n");
    EXPECT_EQ(read(ini).dispPos, "02");
    EXPECT_EQ(read(ini).rollSpeed, " 2");
    writeFile(ini, "[POSITION]\r\nDISPPOS=" + std::string(600, '7') + "\r\n");
    EXPECT_EQ(read(ini).dispPos, std::string(499, '7'));
}

TEST(SettingsFile, WriteTrimsBlanksAndReadsBackTheSameDigits) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    EXPECT_TRUE(WriteEarthIni(test::localFiles(), " 2 ", "4  ", ini));
    EXPECT_EQ(readFile(ini), "[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=4\r\n");
    EXPECT_EQ(read(ini).dispPos, "2");
    EXPECT_EQ(read(ini).rollSpeed, "4");
}

TEST(SettingsFile, WriteKeepsEveryOtherLine) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    writeFile(ini, "; mine\r\n[SITES]\r\nWORLD=127.0.0.1:9\r\n[SPEED]\r\nROLLSPEED=1\r\nEXTRA=x\r\n");
    WriteEarthIni(test::localFiles(), "3", "0", ini);
    EXPECT_EQ(readFile(ini),
              "; mine\r\n[SITES]\r\nWORLD=127.0.0.1:9\r\n[SPEED]\r\nROLLSPEED=0\r\nEXTRA=x\r\n"
              "[POSITION]\r\nDISPPOS=3\r\n");
}

TEST(SettingsFile, AFileThatCannotBeWrittenKeepsItsContent) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    writeFile(ini, "[SPEED]\r\nROLLSPEED=1\r\n");
    std::filesystem::permissions(ini, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    EXPECT_FALSE(WriteEarthIni(test::localFiles(), "2", "2", ini));
    EXPECT_EQ(readFile(ini), "[SPEED]\r\nROLLSPEED=1\r\n");

    const auto noFolder = dir.path() / "PALAM" / "EARTH.INI";
    EXPECT_FALSE(WriteEarthIni(test::localFiles(), "2", "2", noFolder));
    EXPECT_FALSE(std::filesystem::exists(noFolder.parent_path()));
}

// A write makes the new file beside the old one and puts it in its place:
// the old file is never changed, so a crash during the write leaves it whole.
TEST(SettingsFile, AWriteNeverChangesTheOldFileInPlace) {
    TempDir dir;
    const auto ini = dir.path() / "EARTH.INI";
    const std::string before = "[POSITION]\r\nDISPPOS=1\r\n[SPEED]\r\nROLLSPEED=1\r\n";
    writeFile(ini, before);
    // A second name keeps the old file in sight, as a reader that opened it would.
    std::error_code error;
    std::filesystem::create_hard_link(ini, dir.path() / "old", error);
    if (error) GTEST_SKIP() << "no hard links here: " << error.message();
    ASSERT_TRUE(WriteEarthIni(test::localFiles(), "3", "4", ini));
    EXPECT_EQ(readFile(dir.path() / "old"), before) << "the settings were written in place";
    EXPECT_EQ(read(ini).dispPos, "3");
    EXPECT_EQ(read(ini).rollSpeed, "4");
    EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"EARTH.INI", "old"}));
}

}  // namespace
}  // namespace skyroll::test
