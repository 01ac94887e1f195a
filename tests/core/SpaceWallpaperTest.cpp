// The space wallpaper: switched on and off from the menu, the user's own
// wallpaper set back at exit, and after a run that never reached its exit.

#include <gtest/gtest.h>

#include <functional>
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

TEST(SpaceWallpaper, WithoutARecordTheSpacePictureStaysOffAndOneLineSaysWhy) {
    struct Case {
        const char* name;
        bool folderInPlace;  // else a file where the state folder belongs
        const char* why;
    };
    for (const Case c : {Case{"no state folder", false, "no state folder"},
                         Case{"a folder in the record's place", true, "could not be written"}}) {
        SCOPED_TRACE(c.name);
        SpaceScenario s;
        s.options.stateFolder = s.dir.path() / "state";
        if (c.folderInPlace) {  // not empty: no system renames a file over it
            std::filesystem::create_directories(s.options.stateFolder / "wallpaper-record");
            writeFile(s.options.stateFolder / "wallpaper-record" / "a file", "");
        } else {
            writeFile(s.options.stateFolder, "a file in the way");
        }
        s.crashAndRestart();
        s.start();
        s.choose("mSPACE");
        EXPECT_TRUE(s.checked("mSPACE"));
        EXPECT_TRUE(s.set().empty());
        int lines = 0;
        for (const auto& r : s.sim->records("desktop", "log"))
            if (r.value.find("the space picture is not set") != std::string::npos) {
                ++lines;
                EXPECT_NE(r.value.find(c.why), std::string::npos) << r.value;
            }
        EXPECT_EQ(lines, 1);
        s.choose("mEnd");
        EXPECT_EQ(s.set(), Paths{kUser});
    }
}

TEST(SpaceWallpaper, ARestoreThatFailsKeepsTheRecordForTheNextStart) {
    SpaceScenario s;
    s.start();
    s.choose("mSPACE");
    s.sim->desktop().setAway(true);  // the desktop service is gone by the exit
    s.choose("mEnd");
    EXPECT_TRUE(s.logged("could not be set back"));
    ASSERT_TRUE(std::filesystem::exists(s.record()));
    s.crashAndRestart();
    s.start();
    EXPECT_EQ(s.globe().UserWallpaper, kUser);
    s.choose("mEnd");
    EXPECT_EQ(s.set(), Paths{kUser});
    EXPECT_FALSE(std::filesystem::exists(s.record()));
}

// A crash with the space picture on, then `change` applied to the record.
struct CrashedScenario : SpaceScenario {
    std::string crashWith(const std::function<void(std::string&)>& change) {
        start();
        choose("mSPACE");
        crashAndRestart();
        std::string text = readFile(record());
        change(text);
        writeFile(record(), text);
        return text;
    }
};

TEST(SpaceWallpaper, ABrokenRecordIsIgnored) {
    const std::pair<const char*, std::function<void(std::string&)>> cases[] = {
        {"bytes appended", [](std::string& t) { t += "x"; }},
        {"cut short", [](std::string& t) { t.pop_back(); }},
        {"a wrong header", [](std::string& t) { t.replace(t.find("record 1"), 8, "record 9"); }},
        {"an empty file", [](std::string& t) { t.clear(); }},
    };
    for (const auto& [name, change] : cases) {
        SCOPED_TRACE(name);
        CrashedScenario s;
        s.crashWith(change);
        s.start();
        EXPECT_TRUE(s.logged("unreadable crash record is ignored"));
        EXPECT_EQ(s.globe().UserWallpaper, s.space()) << "nothing is taken from a broken record";
    }
}

TEST(SpaceWallpaper, AnotherDesktopsRecordIsKeptUntouchedForAStartUnderIt) {
    CrashedScenario s;
    const std::string foreign =
        s.crashWith([](std::string& t) { t.replace(t.find("8\nheadless"), 10, "5\nGNOME"); });
    s.start();
    EXPECT_TRUE(s.logged("crash record of another desktop (GNOME) is kept"));
    EXPECT_EQ(s.globe().UserWallpaper, s.space()) << "the service's name is checked";
    s.choose("mSPACE");
    s.choose("mSPACE");
    s.choose("mEnd");
    EXPECT_EQ(readFile(s.record()), foreign) << "the record is left byte for byte";

    // The start under the service that wrote it judges it.
    s.crashAndRestart();
    std::string own = foreign;
    own.replace(own.find("5\nGNOME"), 7, "8\nheadless");
    writeFile(s.record(), own);
    s.start();
    EXPECT_EQ(s.globe().UserWallpaper, kUser);
    s.choose("mEnd");
    EXPECT_EQ(s.sim->desktop().wallpaperSetting(), kUser);
    EXPECT_FALSE(std::filesystem::exists(s.record()));
}

}  // namespace
}  // namespace skyroll::test
