// EARTH.INI through ReadEarthIni and WriteEarthIni; what the settings dialog
// reads and stores is a scenario in core.

#include <gtest/gtest.h>

#include "settings/IniPalam.h"
#include "tests/support/TestFiles.h"

namespace skyroll::test {
namespace {

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
    ASSERT_TRUE(settings::WriteEarthIni(test::localFiles(), "3", "4", ini));
    EXPECT_EQ(readFile(dir.path() / "old"), before) << "the settings were written in place";
    std::string dispPos, rollSpeed;
    settings::ReadEarthIni(test::localFiles(), dispPos, rollSpeed, ini);
    EXPECT_EQ(dispPos + " " + rollSpeed, "3 4");
    EXPECT_EQ(treeOf(dir.path()), (std::vector<std::string>{"EARTH.INI", "old"}));
}

}  // namespace
}  // namespace skyroll::test
