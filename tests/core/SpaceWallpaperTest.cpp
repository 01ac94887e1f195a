// The space wallpaper: switched on and off from the menu, the user's own
// wallpaper set back at exit, and after a run that never reached its exit.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

using Paths = std::vector<std::string>;
const std::string kUser = "/home/user/wallpaper.png";

struct SpaceScenario : Scenario {
    std::string space() { return globe().SpaceBmp.string(); }
    std::filesystem::path record() { return sim->wallpaper().recordFile(); }
    void choose(std::string_view item) {
        toolkit().chooseMenu("fSky_Roll", item);
        sim->runFor(0);
    }
    const Paths& set() { return sim->desktop().wallpapersSet(); }
    bool logged(std::string_view words) {
        for (const auto& r : sim->records("desktop", "log"))
            if (r.value.find(words) != std::string::npos) return true;
        return false;
    }
};

TEST(SpaceWallpaper, OnOffOnAndExitAlwaysGiveTheStartWallpaperBack) {
    SpaceScenario s;
    s.start();
    EXPECT_FALSE(s.checked("mSPACE"));
    EXPECT_TRUE(s.set().empty()) << "start-up reads the wallpaper but does not touch it";

    s.choose("mSPACE");
    EXPECT_TRUE(s.checked("mSPACE"));
    EXPECT_EQ(s.set(), (Paths{s.space()}));
    EXPECT_TRUE(std::filesystem::exists(s.record()))
        << "the crash record is written before the picture goes on";

    // The user picks another wallpaper meanwhile; off still means the one read at start.
    s.sim->desktop().setWallpaperSetting("/home/user/other.png");
    s.choose("mSPACE");
    EXPECT_FALSE(s.checked("mSPACE"));
    EXPECT_EQ(s.set(), (Paths{s.space(), kUser}));
    EXPECT_FALSE(std::filesystem::exists(s.record()));

    s.choose("mSPACE");
    s.choose("mEnd");
    EXPECT_TRUE(s.toolkit().ended());
    EXPECT_EQ(s.set(), (Paths{s.space(), kUser, s.space(), kUser}));
    EXPECT_FALSE(std::filesystem::exists(s.record()));
}

TEST(SpaceWallpaper, TheReadIsBoundedAndAnUnreadPathIsNeverWipedOut) {
    const std::string fits = "/" + std::string(253, 'a');  // 254 bytes
    const std::string tooLong = fits + "b";                // 255 bytes
    struct Case {
        const char* name;
        std::optional<std::string> setting;
        std::string userWallpaper;  // what the program reads
        Paths afterOnOffExit;       // wallpapers set by on, off, on, exit; "*" is the space picture
    };
    const Case cases[] = {
        {"254 bytes are read in full", fits, fits, {"*", fits, "*", fits}},
        {"255 bytes are not read, but the state at start comes back",
         tooLong,
         "",
         {"*", tooLong, "*", tooLong}},
        {"an empty setting is given back as empty", "", "", {"*", "", "*", ""}},
        {"an unreadable setting: the space picture never goes on", std::nullopt, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SpaceScenario s;
        s.sim->desktop().setWallpaperSetting(c.setting);
        s.start();
        EXPECT_EQ(s.globe().UserWallpaper, c.userWallpaper);
        s.choose("mSPACE");
        EXPECT_TRUE(s.checked("mSPACE")) << "the check mark flips whatever the desktop does";
        s.choose("mSPACE");
        EXPECT_FALSE(s.checked("mSPACE"));
        s.choose("mSPACE");
        s.choose("mEnd");
        Paths expected = c.afterOnOffExit;
        for (auto& p : expected)
            if (p == "*") p = s.space();
        EXPECT_EQ(s.set(), expected);
        EXPECT_EQ(s.logged("could not be read"), !c.setting.has_value());
        EXPECT_FALSE(std::filesystem::exists(s.record()));
    }
}

TEST(SpaceWallpaper, ACrashWithTheSpacePictureOnIsMendedByTheNextRun) {
    SpaceScenario s;
    s.start();
    s.choose("mSPACE");
    const std::string space = s.space();
    s.crashAndRestart();
    ASSERT_EQ(s.sim->desktop().wallpaperSetting(), space);

    s.start();
    EXPECT_EQ(s.globe().UserWallpaper, kUser) << "the space picture is not taken for the user's own";
    EXPECT_TRUE(std::filesystem::exists(s.record())) << "the record stays until the wallpaper is back";
    // A second crash before anything was given back changes nothing.
    s.crashAndRestart();
    s.start();
    EXPECT_EQ(s.globe().UserWallpaper, kUser);
    s.choose("mEnd");
    EXPECT_EQ(s.set(), Paths{kUser});
    EXPECT_FALSE(std::filesystem::exists(s.record()));
}

TEST(SpaceWallpaper, ARecordWhoseWallpaperWasChangedSinceIsStale) {
    SpaceScenario s;
    s.start();
    s.choose("mSPACE");
    s.crashAndRestart();
    s.sim->desktop().setWallpaperSetting("/home/user/new.png");  // chosen by the user after the crash
    s.start();
    EXPECT_EQ(s.globe().UserWallpaper, "/home/user/new.png");
    EXPECT_FALSE(std::filesystem::exists(s.record()));
    s.choose("mEnd");
    EXPECT_EQ(s.set(), Paths{"/home/user/new.png"});
}

TEST(SpaceWallpaper, WithoutAStateFolderTheSpacePictureStaysOff) {
    SpaceScenario s;
    s.options.stateFolder = s.dir.path() / "not-a-folder";
    writeFile(s.options.stateFolder, "a file in the way");
    s.crashAndRestart();
    s.start();
    s.choose("mSPACE");
    EXPECT_TRUE(s.checked("mSPACE"));
    EXPECT_TRUE(s.set().empty());
    EXPECT_TRUE(s.logged("crash record"));
    s.choose("mEnd");
    EXPECT_EQ(s.set(), Paths{kUser});
}

}  // namespace
}  // namespace skyroll::test
