// The GNOME wallpaper through GSettings: on the keyfile backend, and on the
// real dconf backend when wallpaper_services.sh runs these tests with
// GSETTINGS_BACKEND=dconf on a private session bus.

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/common/WallpaperKeeper.h"
#include "platform/wallpaper/WallpaperServices.h"
#include "tests/support/TestFiles.h"

namespace skyroll::test {
namespace {

std::string uriOf(const std::string& path) {
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    std::string text = uri;
    g_free(uri);
    return text;
}

struct Background {
    Background() : settings(g_settings_new("org.gnome.desktop.background")) {}
    ~Background() { g_object_unref(settings); }
    std::string get(const char* key) {
        gchar* value = g_settings_get_string(settings, key);
        std::string text = value;
        g_free(value);
        return text;
    }
    void set(const char* key, const std::string& value) {
        g_settings_set_string(settings, key, value.c_str());
        g_settings_sync();
    }
    GSettings* settings;
};

// What another program (gsettings) reads from the key file.
std::string gsettingsGet(const char* key) {
    const std::string command =
        std::string("gsettings get org.gnome.desktop.background ") + key + " 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) out += buffer;
    return out;
}

TEST(GSettingsWallpaper, BothKeysGoOverAndComeBackByteForByte) {
    auto service = wallpaper::makeGSettingsWallpaper(wallpaper::kGnomeFamily);
    ASSERT_TRUE(service) << "the schema org.gnome.desktop.background is not installed";
    TempDir dir;
    const std::string userPath = "/home/user/My Pictures/夏の 富士山 #1.jpg";
    const std::string userUri = uriOf(userPath);
    const std::string darkUri = "file:///home/user/Night%20Sky.png";
    const std::string spacePath = (dir.path() / "app 1" / "SKR20" / "BACK" / "宇宙.bmp").string();
    Background keys;
    keys.set("picture-uri", userUri);
    keys.set("picture-uri-dark", darkUri);
    keys.set("picture-options", "centered");

    platform::WallpaperKeeper keeper(*service, dir.path() / "state", [](const std::string&) {});
    std::filesystem::create_directories(dir.path() / "state");
    EXPECT_EQ(keeper.wallpaperSetting(), userPath);

    ASSERT_TRUE(keeper.setDeskWallpaper(spacePath));
    EXPECT_EQ(keys.get("picture-uri"), uriOf(spacePath));
    EXPECT_EQ(keys.get("picture-uri-dark"), uriOf(spacePath));
    // Appended, not `"'" + std::string`: GCC 12 at -O3 takes that for an
    // overlapping copy (a false -Wrestrict).
    std::string quoted = "'";
    quoted += uriOf(spacePath);
    quoted += "'\n";
    EXPECT_EQ(gsettingsGet("picture-uri"), quoted) << "not in the store";
    if (const char* backend = std::getenv("GSETTINGS_BACKEND"); backend && std::string(backend) == "dconf") {
        const std::filesystem::path database =
            std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "dconf/user";
        EXPECT_TRUE(std::filesystem::exists(database)) << "dconf-service did not write the database";
    }
    // A start now, after a crash, still finds the user's picture.
    {
        auto again = wallpaper::makeGSettingsWallpaper(wallpaper::kGnomeFamily);
        platform::WallpaperKeeper next(*again, dir.path() / "state", [](const std::string&) {});
        EXPECT_EQ(next.wallpaperSetting(), userPath);
    }

    ASSERT_TRUE(keeper.setDeskWallpaper(userPath));
    EXPECT_EQ(keys.get("picture-uri"), userUri);
    EXPECT_EQ(keys.get("picture-uri-dark"), darkUri);
    EXPECT_EQ(keys.get("picture-options"), "centered") << "only the picture keys are ours";
    EXPECT_FALSE(std::filesystem::exists(keeper.recordFile()));
}

// A run killed between the two key writes of its restore leaves
// picture-uri back and picture-uri-dark on the space picture; and a record
// written by an earlier build, in the form it wrote, still gives the
// wallpaper back.
TEST(GSettingsWallpaper, EveryKeyComesBackAfterAKillBetweenKeysAndFromAnOldRecord) {
    const std::string userPath = "/home/user/Pictures/day.jpg";
    const std::string userUri = uriOf(userPath), darkUri = "file:///home/user/Pictures/night.jpg";
    const std::string spaceUri = uriOf("/opt/skyroll/SKR20/BACK/space.bmp");
    const auto field = [](const std::string& v) { return std::to_string(v.size()) + ":" + v; };
    const std::string oldRecord = "skyroll wallpaper record 1\nservice 5\nGNOME\nshown " +
                                  std::to_string(spaceUri.size()) + "\n" + spaceUri + "\npath " +
                                  std::to_string(userPath.size()) + "\n" + userPath + "\nsaved ";
    const std::string saved =
        field("picture-uri") + field(userUri) + field("picture-uri-dark") + field(darkUri);
    struct Case {
        const char* name;
        const char* uriLeft;  // what the run left on picture-uri: the space picture or the user's
        bool oldRecord;
    };
    for (const Case c : {Case{"killed between the keys of the restore", "user", false},
                         Case{"an old record, both keys on the space picture", "space", true}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directories(dir.path() / "state");
        Background keys;
        keys.set("picture-uri", userUri);
        keys.set("picture-uri-dark", darkUri);
        if (c.oldRecord) {
            writeFile(dir.path() / "state" / "wallpaper-record",
                      oldRecord + std::to_string(saved.size()) + "\n" + saved + "\n");
            keys.set("picture-uri", spaceUri);
            keys.set("picture-uri-dark", spaceUri);
        } else {
            auto service = wallpaper::makeGSettingsWallpaper(wallpaper::kGnomeFamily);
            platform::WallpaperKeeper keeper(*service, dir.path() / "state", [](const std::string&) {});
            keeper.wallpaperSetting();
            ASSERT_TRUE(keeper.setDeskWallpaper("/opt/skyroll/SKR20/BACK/space.bmp"));
            keys.set("picture-uri", userUri);  // the first key of the restore, then the kill
        }
        ASSERT_EQ(keys.get("picture-uri-dark"), spaceUri);

        auto service = wallpaper::makeGSettingsWallpaper(wallpaper::kGnomeFamily);
        std::string log;
        platform::WallpaperKeeper next(*service, dir.path() / "state",
                                       [&](const std::string& m) { log += m + "\n"; });
        EXPECT_EQ(next.wallpaperSetting(), userPath);
        EXPECT_NE(log.find("comes from the crash record"), std::string::npos) << log;
        ASSERT_TRUE(next.restoreWallpaper());
        EXPECT_EQ(keys.get("picture-uri"), userUri);
        EXPECT_EQ(keys.get("picture-uri-dark"), darkUri);
        EXPECT_FALSE(std::filesystem::exists(next.recordFile()));
    }
}

TEST(GSettingsWallpaper, IsChosenForTheGnomeFamilyBeforeAnythingOnTheBus) {
    setenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME", 1);
    std::string log;
    const auto service = wallpaper::chooseWallpaperService([&](const std::string& m) { log += m; });
    unsetenv("XDG_CURRENT_DESKTOP");
    EXPECT_EQ(service->name(), "GNOME");
    EXPECT_NE(log.find("XDG_CURRENT_DESKTOP=ubuntu:GNOME"), std::string::npos) << log;
}

}  // namespace
}  // namespace skyroll::test
