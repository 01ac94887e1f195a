// The Windows file operations: wide paths whatever the ANSI code page, the
// atomic replace that keeps a file's attributes, and the choice of the folder
// that stands in for the system folder.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/NativeFiles.h"
#include "platform/PathText.h"
#include "platform/common/ProfileFile.h"
#include "platform/common/ProgramLock.h"
#include "platform/win32/Win32Folders.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class NativeFilesTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() / ("skyroll-native-" + std::to_string(random()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(m_folder))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    fs::path m_folder;
};

TEST_F(NativeFilesTest, JapaneseFileNameIsWrittenAndReadThroughWidePaths) {
    // Not representable in code page 1252, and "ソ" ends in the byte 0x5C
    // in code page 932: only the wide functions name it right everywhere.
    const fs::path file = m_folder / fs::path(u8"宇宙ソ.INI");
    ASSERT_TRUE(profile::writePrivateProfileString("S", "K", "1", file));
    ASSERT_TRUE(profile::writePrivateProfileString("S", "K", "2", file));
    EXPECT_EQ(profile::getPrivateProfileString("S", "K", "", 500, file), "2");
    EXPECT_NE(GetFileAttributesW((m_folder / fs::path(u8"宇宙ソ.INI")).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1)
        << "no temporary file is left";
}

// A portable folder under a Japanese name: its PALAM folder is found
// writable, so the weather file stays there, and the check leaves nothing.
TEST_F(NativeFilesTest, PortableFolderWithAJapaneseName) {
    const fs::path app = m_folder / fs::path(u8"スカイロール");
    fs::create_directories(app / "SKR20");
    std::vector<std::string> notes;
    const auto files = makeLocalFileSystem(m_folder / "cache", m_folder / "state",
                                           [&](const std::string& note) { notes.push_back(note); });
    EXPECT_EQ(files->programFiles(app).weatherIni, app / "SKR20" / "PALAM" / "WEATHER.INI");
    EXPECT_TRUE(notes.empty()) << notes.front();
    EXPECT_TRUE(fs::is_empty(app / "SKR20" / "PALAM"));
    EXPECT_TRUE(native::createNewFile(app / "new"));
    EXPECT_FALSE(native::createNewFile(app / "new")) << "never over a file that is there";
}

TEST_F(NativeFilesTest, ReplaceKeepsAttributesAndReadOnlyIsRefused) {
    const fs::path file = m_folder / "EARTH.INI";
    std::ofstream(file, std::ios::binary) << "[S]\r\nK=1\r\n";
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(profile::writePrivateProfileString("S", "K", "2", file));
    EXPECT_EQ(readBytes(file), "[S]\r\nK=2\r\n");
    EXPECT_TRUE(GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);

    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(profile::writePrivateProfileString("S", "K", "3", file));
    EXPECT_EQ(readBytes(file), "[S]\r\nK=2\r\n");
}

TEST_F(NativeFilesTest, BoundedReadTellsMissingFromUnreadable) {
    std::string content;
    EXPECT_EQ(native::readFileBounded(m_folder / "none.ini", 100, content), native::ReadStatus::missing);
    EXPECT_EQ(native::readFileBounded(m_folder / "no" / "none.ini", 100, content),
              native::ReadStatus::missing);
    // Only a file is read: a folder in its place reads as missing.
    EXPECT_EQ(native::readFileBounded(m_folder, 100, content), native::ReadStatus::missing);
    std::ofstream(m_folder / "ten.ini", std::ios::binary) << "0123456789";
    EXPECT_EQ(native::readFileBounded(m_folder / "ten.ini", 9, content), native::ReadStatus::unreadable);
    EXPECT_EQ(native::readFileBounded(m_folder / "ten.ini", 10, content), native::ReadStatus::ok);
    EXPECT_EQ(content, "0123456789");
}

TEST_F(NativeFilesTest, SystemFolderFallsBackToThePerUserFolder) {
    const fs::path perUser = m_folder / "Skyroll";
    EXPECT_EQ(win32::writableFolderOr(m_folder, perUser), m_folder);
    EXPECT_EQ(win32::writableFolderOr(m_folder / "missing", perUser), perUser);
    EXPECT_EQ(win32::writableFolderOr({}, perUser), perUser);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 0)
        << "the probe leaves nothing behind";

    wchar_t system[MAX_PATH + 1];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH + 1), 0u);
    const fs::path chosen = native::defaultSystemFolder();
    EXPECT_TRUE(chosen == fs::path(system) || chosen.filename() == "Skyroll") << chosen;
}

// A copy whose PALAM cannot be written (unpacked under a protected folder):
// the weather file goes to the per-user folder, never to the system folder,
// which an elevated start or Wine may well write; the page folder stays there.
TEST_F(NativeFilesTest, WeatherFileOfACopyWithoutAWritablePalamGoesToThePerUserFolder) {
    const fs::path app = m_folder / "app";
    fs::create_directories(app / "SKR20");
    // A file where PALAM should be cannot be written into, whoever runs.
    std::ofstream(app / "SKR20" / "PALAM", std::ios::binary) << "";
    std::vector<std::string> notes;
    const auto files =
        makeLocalFileSystem({}, m_folder / "state", [&](const std::string& note) { notes.push_back(note); });
    const ProgramFiles chosen = files->programFiles(app);

    wchar_t system[MAX_PATH + 1];
    ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH + 1), 0u);
    EXPECT_EQ(chosen.earthIni, app / "SKR20" / "PALAM" / "EARTH.INI");
    EXPECT_EQ(chosen.weatherIni, native::userStateFolder() / "WEATHER.INI");
    EXPECT_NE(chosen.weatherIni.parent_path(), fs::path(system));
    EXPECT_TRUE(fs::is_directory(chosen.weatherIni.parent_path()));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find(chosen.weatherIni.string()), std::string::npos) << notes[0];
    // The page folder's place is chosen as before: the system folder when
    // it can be written (under Wine it can), else the same per-user folder.
    EXPECT_EQ(files->systemFolder(), native::defaultSystemFolder());
}

TEST_F(NativeFilesTest, PerUserFoldersAreTheApplicationDataFolders) {
    // Asked another way than the code does: the environment the shell gives
    // every program.
    const auto environmentFolder = [](const wchar_t* name) {
        wchar_t value[MAX_PATH + 1];
        const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
        return length > 0 && length <= MAX_PATH ? fs::path(std::wstring_view(value, length)) : fs::path();
    };
    const fs::path localAppData = environmentFolder(L"LOCALAPPDATA");
    const fs::path appData = environmentFolder(L"APPDATA");
    ASSERT_FALSE(localAppData.empty());
    ASSERT_FALSE(appData.empty());
    EXPECT_TRUE(fs::equivalent(native::userStateFolder().parent_path(), localAppData));
    EXPECT_EQ(native::userStateFolder().filename(), "Skyroll");
    EXPECT_TRUE(fs::equivalent(native::userConfigFolder().parent_path(), appData));
    EXPECT_EQ(native::userConfigFolder().filename(), "Skyroll");

    // The file system makes the state folder, which holds the program lock
    // and the wallpaper's crash record.
    const fs::path state = makeLocalFileSystem()->stateFolder();
    EXPECT_EQ(state, native::userStateFolder());
    EXPECT_TRUE(fs::is_directory(state));
}

// One program per user on LockFileEx: a second start ends as "already
// running"; a lock file that cannot be opened is no running program: the
// start fails, naming the file and the system's reason.
TEST_F(NativeFilesTest, TheProgramLockTellsAnotherProgramFromALockThatCannotBeOpened) {
    const auto files = makeLocalFileSystem(m_folder / "cache", m_folder / "state");
    ProgramLock first = lockProgram(*files);
    ASSERT_TRUE(first.lock);
    const ProgramLock second = lockProgram(*files);
    EXPECT_TRUE(second.otherRunning && !second.unusable) << second.message;
    first.lock.reset();

    const fs::path lockPath = m_folder / "state" / "skyroll.lock";
    fs::remove(lockPath);
    fs::create_directory(lockPath);
    const ProgramLock folder = lockProgram(*files);
    EXPECT_FALSE(folder.lock);
    EXPECT_TRUE(folder.unusable && !folder.otherRunning);
    const std::string named = "cannot open its lock file " + pathText(lockPath) + ": ";
    ASSERT_NE(folder.message.find(named), std::string::npos) << folder.message;
    EXPECT_GT(folder.message.size(), named.size() + std::string("... This start ends.").size())
        << "a reason: " << folder.message;
}

}  // namespace
}  // namespace skyroll::platform
