// The Windows wallpaper service against the real registry and
// SystemParametersInfoW of the test prefix: what it reads is what the
// registry holds, what it applies is what a later read shows, and restore
// puts back the picture and its style values exactly, the kind of each value
// included. The saved text comes back from a file anyone can write, so a
// broken one must change nothing.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

#include "platform/PathText.h"
#include "platform/win32/Win32Wallpaper.h"

namespace skyroll::platform::win32 {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kKey[] = L"Control Panel\\Desktop";

struct RegValue {
    DWORD type = REG_NONE;  // REG_NONE: absent
    std::wstring text;

    bool operator==(const RegValue&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RegValue& value) {
    const std::u8string text = fs::path(value.text).u8string();
    return out << "type " << value.type << " \"" << std::string(text.begin(), text.end()) << "\"";
}

RegValue get(const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD type = 0;
    DWORD bytes = sizeof buffer - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     &type, buffer, &bytes) != ERROR_SUCCESS)
        return {};
    return {type, buffer};
}

void put(const wchar_t* name, const RegValue& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (value.type == REG_NONE) {
        RegDeleteValueW(key, name);
    } else {
        ASSERT_EQ(RegSetValueExW(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()),
                                 static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    RegCloseKey(key);
}

// A 2 x 2 picture of one colour, 24 bits per pixel.
void writeBmp(const fs::path& file) {
    const unsigned char bmp[] = {'B', 'M', 70,  0, 0,  0,   0, 0, 0,    0,    54,  0, 0,    0,  // file header
                                 40,  0,   0,   0, 2,  0,   0, 0, 2,    0,    0,   0, 1,    0,    24, 0,
                                 0,   0,   0,   0, 16, 0,   0, 0, 0x13, 0x0b, 0,   0, 0x13, 0x0b, 0,  0,
                                 0,   0,   0,   0, 0,  0,   0, 0,  // info header
                                 0,   0,   255, 0, 0,  255, 0, 0, 0,    0,    255, 0, 0,    255,  0,  0};
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

class Win32WallpaperTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() / ("skyroll-wallpaper-" + std::to_string(random()));
        fs::create_directories(m_folder);
        for (const wchar_t* name : kNames) m_before.push_back(get(name));
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kNames); ++i) put(kNames[i], m_before[i]);
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    static constexpr const wchar_t* kNames[] = {L"Wallpaper", L"WallpaperStyle", L"TileWallpaper"};
    fs::path m_folder;
    std::vector<RegValue> m_before;
};

TEST_F(Win32WallpaperTest, ReadApplyAndRestoreKeepPictureAndStyle) {
    // The user's picture in a folder whose name code page 1252 cannot hold.
    const fs::path userFolder = m_folder / fs::path(u8"壁紙");
    fs::create_directories(userFolder);
    const fs::path user = userFolder / "user.bmp";
    const fs::path space = m_folder / fs::path(u8"宇宙.bmp");
    writeBmp(user);
    writeBmp(space);
    ASSERT_TRUE(SetEnvironmentVariableW(L"SKYROLL_PICTURES", userFolder.c_str()));

    const RegValue userPicture{REG_EXPAND_SZ, L"%SKYROLL_PICTURES%\\user.bmp"};
    put(L"Wallpaper", userPicture);
    put(L"WallpaperStyle", {REG_SZ, L"2"});
    put(L"TileWallpaper", {});

    const auto service = makeWin32Wallpaper();
    EXPECT_EQ(service->name(), "Windows");
    const auto before = service->read();
    ASSERT_TRUE(before);
    // The path with its variable filled in, in the core's narrow form.
    EXPECT_EQ(before->path, pathText(user));
    EXPECT_EQ(pathFromText(*before->path), user);

    // Refused while committing: nothing changes.
    EXPECT_FALSE(service->apply(pathText(space), [](const std::string&) { return false; }));
    EXPECT_EQ(get(L"Wallpaper"), userPicture);
    // A picture that is not there is not offered.
    bool asked = false;
    EXPECT_FALSE(service->apply(pathText(m_folder / "none.bmp"), [&](const std::string&) {
        asked = true;
        return true;
    }));
    EXPECT_FALSE(asked);

    std::string committed;
    ASSERT_TRUE(service->apply(pathText(space), [&](const std::string& shown) {
        committed = shown;
        // Recorded before the desktop changes.
        EXPECT_EQ(get(L"Wallpaper"), userPicture);
        return true;
    }));
    const auto during = service->read();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->path, pathText(space));
    EXPECT_EQ(during->shown, committed) << "a later start recognises the space picture by this";
    EXPECT_NE(during->shown, before->shown);

    // The user changes the style meanwhile; restore puts the recorded one back.
    put(L"WallpaperStyle", {REG_SZ, L"0"});
    put(L"TileWallpaper", {REG_SZ, L"1"});
    ASSERT_TRUE(service->restore(before->saved));
    EXPECT_EQ(get(L"Wallpaper"), userPicture) << "the variable kept, as REG_EXPAND_SZ";
    EXPECT_EQ(get(L"WallpaperStyle"), (RegValue{REG_SZ, L"2"}));
    EXPECT_EQ(get(L"TileWallpaper"), RegValue{}) << "absent before, absent again";
    const auto after = service->read();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->saved, before->saved);

    // No picture at all is a state too.
    put(L"Wallpaper", {});
    const auto none = service->read();
    ASSERT_TRUE(none);
    EXPECT_EQ(none->path, std::string());
    ASSERT_TRUE(service->apply(pathText(space), [](const std::string&) { return true; }));
    ASSERT_TRUE(service->restore(none->saved));
    EXPECT_EQ(get(L"Wallpaper"), RegValue{});

    // Broken saved texts, as a crash record may hold them: nothing is
    // touched. The good one, with its lines in order, for reference.
    put(L"Wallpaper", {REG_SZ, space.wstring()});
    const std::string good = before->saved;
    const std::size_t pictureLine = good.find('\n') + 1;
    const std::string head = good.substr(0, pictureLine);
    const std::string styles = good.substr(good.find('\n', pictureLine) + 1);
    const std::string broken[] = {
        "",
        good.substr(pictureLine),                       // no header
        good + "TileWallpaper none\n",                  // a line too many
        good.substr(0, good.size() - 1),                // cut short
        head + "Wallpaper sz C:\\a\rb.bmp\n" + styles,  // a control character
        head + "Wallpaper sz \xff\xfe.bmp\n" + styles,  // not UTF-8
        head + "Wallpaper dword 7\n" + styles,          // a number for a path
        head + "Wallpaper none \n" + styles,
        head + "Wallpaper sz " + std::string(40000, 'a') + "\n" + styles,
        head + "Wallpaper sz a.bmp\n" + "WallpaperStyle dword 99999999999\n" +
            styles.substr(styles.find('\n') + 1),
    };
    for (const std::string& text : broken) {
        EXPECT_FALSE(service->restore(text)) << text.substr(0, 80);
        EXPECT_EQ(get(L"Wallpaper"), (RegValue{REG_SZ, space.wstring()}));
        EXPECT_EQ(get(L"WallpaperStyle"), (RegValue{REG_SZ, L"2"}));
    }
    // The same lines around a good picture line are taken.
    ASSERT_TRUE(service->restore(head + "Wallpaper none\n" + styles));
    EXPECT_EQ(get(L"Wallpaper"), RegValue{});
    SetEnvironmentVariableW(L"SKYROLL_PICTURES", nullptr);
}

// Setting a picture stores its path as the Wallpaper value, cut to 259
// characters (Wine) or refused (Windows); the user's longer one must come
// back whole, as the REG_SZ it was.
TEST_F(Win32WallpaperTest, AWallpaperPathLongerThan259CharactersComesBackWhole) {
    const fs::path space = m_folder / "space.bmp";
    writeBmp(space);
    std::wstring user = m_folder.wstring() + L"\\";
    user += std::wstring(267 - user.size() - 4, L'w') + L".bmp";
    ASSERT_EQ(user.size(), 267u);
    writeBmp(user);
    put(L"Wallpaper", {REG_SZ, user});
    put(L"WallpaperStyle", {REG_SZ, L"10"});
    put(L"TileWallpaper", {REG_SZ, L"0"});

    const auto service = makeWin32Wallpaper();
    const auto before = service->read();
    ASSERT_TRUE(before);
    ASSERT_TRUE(service->apply(pathText(space), [](const std::string&) { return true; }));
    EXPECT_TRUE(service->restore(before->saved));
    EXPECT_EQ(get(L"Wallpaper"), (RegValue{REG_SZ, user}));
    EXPECT_EQ(get(L"WallpaperStyle"), (RegValue{REG_SZ, L"10"}));
}

}  // namespace
}  // namespace skyroll::platform::win32
