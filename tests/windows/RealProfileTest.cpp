// The table of profile-file reads against the real GetPrivateProfileStringA.
// Under Wine a few rows give what Wine does rather than what Windows does;
// those are listed below, and every other row must give the Windows result.
// Files with a byte-order mark are read and written as Wine does, also
// checked here against the real WritePrivateProfileStringA.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <utility>

#include "platform/common/ProfileFile.h"
#include "tests/platform/common/ProfileReadCases.h"

namespace skyroll::profile {
namespace {

namespace fs = std::filesystem;

bool runningOnWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Rows where Wine 8 differs from Windows, with what Wine gives.
const std::map<std::string, std::string>& wineResults() {
    static const std::map<std::string, std::string> results = {
        // Cut inside a double-byte character, Wine reports size - 1 bytes
        // but writes only the whole characters: the last byte counted is
        // whatever the buffer held before (here the test's fill byte 0x7F).
        {"WholeDoubleByteCharactersOnly", cat({kSo, "\x7f"})},
        // Wine takes a line without "=" for the key with no value and
        // answers with the default instead of reading on.
        {"LineWithoutEqualsIsNoKey", "DEF"},
    };
    return results;
}

// Rows where we follow Wine and Windows itself differs, with what Windows
// gives: it takes a file with the UTF-8 mark for code page 932, so the mark
// spoils the file's first line, here the first section.
const std::map<std::string, std::string>& windowsResults() {
    static const std::map<std::string, std::string> results = {
        {"Utf8MarkSkipped", "DEF"},
        {"Utf8FileNamesAndValues", "DEF"},
    };
    return results;
}

class ProfileFolder : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        // An ASCII name: the A function takes the path in the ANSI code page.
        m_folder = fs::temp_directory_path() / ("skyroll-real-profile-" + std::to_string(random()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    fs::path m_folder;
};

class RealProfileFunction : public ProfileFolder, public testing::WithParamInterface<ProfileReadCase> {};

TEST_P(RealProfileFunction, GivesTheTableResult) {
    const ProfileReadCase& row = GetParam();
    const fs::path file = m_folder / "TEST.INI";
    std::ofstream(file, std::ios::binary).write(row.content.data(), static_cast<std::streamsize>(row.content.size()));

    std::string buffer(row.bufferSize + 8, '\x7f');
    const DWORD copied =
        GetPrivateProfileStringA(row.section.c_str(), row.key.c_str(), row.defaultValue.c_str(), buffer.data(),
                                 static_cast<DWORD>(row.bufferSize), file.string().c_str());
    const std::string got(buffer.data(), copied);

    std::string expected = row.expected;
    const auto& differing = runningOnWine() ? wineResults() : windowsResults();
    if (const auto it = differing.find(row.name); it != differing.end()) expected = it->second;
    EXPECT_EQ(got, expected);
    EXPECT_EQ(buffer[copied], '\0') << "the value ends in a zero";
}

INSTANTIATE_TEST_SUITE_P(Profile, RealProfileFunction, testing::ValuesIn(profileReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files that hold only a byte-order mark, written once by the real function
// and once by ours: both give the same bytes, keep the mark and the coding,
// and each reads what the other wrote.
TEST_F(ProfileFolder, FilesWithAMarkAreWrittenAsTheRealFunctionWritesThem) {
    if (!runningOnWine()) GTEST_SKIP() << "Windows keeps no UTF-8 mark; we follow Wine";
    for (const std::string_view mark : {kUtf8Mark, kUtf16leMark}) {
        SCOPED_TRACE(mark.size());
        const fs::path real = m_folder / "REAL.INI";
        const fs::path ours = m_folder / "OURS.INI";
        std::ofstream(real, std::ios::binary) << mark;
        std::ofstream(ours, std::ios::binary) << mark;
        const std::string key(kPari), value(kHare);
        for (const auto& [k, v] :
             {std::pair<std::string, std::string>{key, "x"}, {"DISPPOS", "4"}, {key, value}}) {
            ASSERT_TRUE(WritePrivateProfileStringA("SITES", k.c_str(), v.c_str(), real.string().c_str()));
            ASSERT_TRUE(writePrivateProfileString("SITES", k, v, ours));
        }
        EXPECT_TRUE(readBytes(real).starts_with(mark));
        EXPECT_EQ(readBytes(ours), readBytes(real));

        char buffer[64] = {};
        const DWORD copied =
            GetPrivateProfileStringA("SITES", key.c_str(), "", buffer, sizeof buffer, ours.string().c_str());
        EXPECT_EQ(std::string(buffer, copied), value);
        EXPECT_EQ(getPrivateProfileString("SITES", key, "", 500, real), value);
    }
}

}  // namespace
}  // namespace skyroll::profile
