// The table of profile-file reads against the real GetPrivateProfileStringA.
// Under Wine a few rows give what Wine does rather than what Windows does;
// those are listed below, and every other row must give the Windows result.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "tests/profile/ProfileReadCases.h"

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

class RealProfileFunction : public testing::TestWithParam<ProfileReadCase> {
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
    if (runningOnWine()) {
        if (const auto it = wineResults().find(row.name); it != wineResults().end()) expected = it->second;
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(buffer[copied], '\0') << "the value ends in a zero";
}

INSTANTIATE_TEST_SUITE_P(Profile, RealProfileFunction, testing::ValuesIn(profileReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skyroll::profile
