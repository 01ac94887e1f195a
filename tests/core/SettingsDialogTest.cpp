// The settings dialog: what it opens with, what OK and the window system's
// close store, and how the globe and the moon come back afterwards.

#include <gtest/gtest.h>

#include <random>

#include "platform/headless/HeadlessForm.h"
#include "settings/IniPalam.h"
#include "settings/Setting.h"
#include "tests/platform/common/ProfileReadCases.h"
#include "tests/support/Scenario.h"

namespace skyroll::test {
namespace {

// What the dialog shows in one row: the index of the selected button, or -1.
int selected(headless::HeadlessForm& dialog, const std::string& array) {
    int found = -1;
    for (int i = 0; i < 5; ++i) {
        if (dialog.control(array + "(" + std::to_string(i) + ")").value()) {
            EXPECT_EQ(found, -1) << "two buttons of " << array;
            found = i;
        }
    }
    return found;
}

struct DialogScenario : Scenario {
    DialogScenario() { writeMoonFrames(app()); }
    // Opens the dialog `after` seconds from now; `whileOpen` runs 0.3 s later
    // inside the dialog's modal loop with the dialog's window and queues
    // what the user does there.
    void openDialog(std::function<void(headless::HeadlessForm&)> whileOpen, double after = 0) {
        auto& tk = toolkit();
        const double at = tk.now() + after;
        tk.post(at, [this] { toolkit().chooseMenu("fSky_Roll", "mSETTING"); });
        bool ran = false;
        tk.post(at + 0.3, [this, whileOpen, &ran] {
            ran = true;
            headless::HeadlessForm* dialog = toolkit().findForm("fSetting");
            ASSERT_NE(dialog, nullptr);
            whileOpen(*dialog);
        });
        sim->runFor(after + 0.5);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(toolkit().ended());
        EXPECT_EQ(toolkit().findForm("fSetting"), nullptr) << "the dialog is still open";
    }
    void ok() { toolkit().pressButton("fSetting", "Command1"); }
    headless::HeadlessForm* moon() { return toolkit().findForm("fMoon"); }
};

TEST(SettingsDialog, OpensWithTheStoredChoiceAndOkKeepsTheFileAndBringsBothWindowsBack) {
    DialogScenario s;
    const std::string ini =
        "; mine\r\n[SITES]\r\nWORLD=127.0.0.1:1\r\n[POSITION]\r\nDISPPOS=4\r\n[SPEED]\r\nROLLSPEED=0\r\n";
    s.writeEarthIni(ini);
    s.start();
    auto& tk = s.toolkit();
    tk.chooseMenu("fSky_Roll", "mMOON");
    tk.chooseMenu("fSky_Roll", "mNOR");
    tk.mouseMove("fSky_Roll", "Picture1", 1, 0, 3000, 3000);
    s.sim->runFor(0.5);
    ASSERT_NE(s.moon(), nullptr);

    std::size_t framesWhileOpen = 0;
    s.openDialog([&](headless::HeadlessForm& dialog) {
        // The globe turns on while the dialog is open, here for 0.3 s at 100 ms.
        for (const auto& r : s.sim->records("fSky_Roll.Picture1", "picture"))
            if (r.timeUs > tk.nowUs() - 300'000) ++framesWhileOpen;
        EXPECT_EQ(selected(dialog, "Option1"), 4);  // 左下
        EXPECT_EQ(selected(dialog, "Option2"), 0);  // 超高速
        EXPECT_FALSE(s.form().visible());
        EXPECT_EQ(s.moon(), nullptr);
        // Centred: ((15360 - 6255) / 2, (11520 - 3165) / 2) twips at whole pixels.
        EXPECT_EQ(dialog.left(), 4560);
        EXPECT_EQ(dialog.top(), 4185);
        EXPECT_EQ(s.sim->last("region:" + std::to_string(s.sim->program().state().WindowRegion), "created"),
                  "ellipse 0,0,417,211");
        s.ok();
    });
    EXPECT_GE(framesWhileOpen, 2u);
    EXPECT_EQ(readFile(s.earthIni()), ini);
    EXPECT_TRUE(s.form().visible());
    EXPECT_EQ(s.form().left(), 300);  // lower left, dragged place forgotten
    EXPECT_EQ(s.form().top(), 8265);
    EXPECT_TRUE(s.checked("mMAX")) << "the stored speed replaces the menu's";
    EXPECT_EQ(s.form().control("Timer1").interval(), 1);
    ASSERT_NE(s.moon(), nullptr);
    EXPECT_EQ(s.moon()->left(), -1305);
    EXPECT_EQ(s.moon()->top(), 9915);
    EXPECT_TRUE(tk.messages().empty());
}

TEST(SettingsDialog, WithoutAFileItOpensAtTheFirstButtonsAndOkCreatesTheFile) {
    DialogScenario s;
    s.start();
    s.openDialog([&](headless::HeadlessForm& dialog) {
        EXPECT_EQ(selected(dialog, "Option1"), 0);
        EXPECT_EQ(selected(dialog, "Option2"), 0);
        s.ok();
    });
    EXPECT_EQ(readFile(s.earthIni()), "[POSITION]\r\nDISPPOS=0\r\n[SPEED]\r\nROLLSPEED=0\r\n");

    auto& tk = s.toolkit();
    s.openDialog([&](headless::HeadlessForm&) {
        tk.selectOption("fSetting", "Option1(4)");
        tk.selectOption("fSetting", "Option2(4)");
        s.ok();
    });
    EXPECT_EQ(readFile(s.earthIni()), "[POSITION]\r\nDISPPOS=4\r\n[SPEED]\r\nROLLSPEED=4\r\n");
    EXPECT_EQ(s.form().left(), 300);
    EXPECT_EQ(s.form().top(), 8265);
    EXPECT_TRUE(s.checked("mMIN"));
    EXPECT_EQ(s.sim->program().state().RollInterval, 1000);
    EXPECT_EQ(s.moon(), nullptr) << "a moon that was off stays off";

    // The region stored last belongs to the closed dialog; the exit's
    // DeleteObject on it frees nothing and does no harm.
    const platform::RegionHandle dialogRegion = s.sim->program().state().WindowRegion;
    tk.chooseMenu("fSky_Roll", "mEnd");
    s.sim->runFor(1);
    EXPECT_EQ(tk.exitCode(), 0);
    EXPECT_EQ(s.sim->last("region:" + std::to_string(dialogRegion), "deleted"), "not a live region");
}

TEST(SettingsDialog, TheWindowSystemsCloseWritesNothingButAppliesTheFile) {
    DialogScenario s;
    const std::string ini = "[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=2\r\n";
    s.writeEarthIni(ini);
    s.start();
    auto& tk = s.toolkit();
    tk.mouseMove("fSky_Roll", "Picture1", 1, 0, 3000, 3000);
    tk.chooseMenu("fSky_Roll", "mLOW");
    s.openDialog([&](headless::HeadlessForm&) {
        tk.selectOption("fSetting", "Option1(1)");
        tk.closeWindow("fSetting");
    });
    EXPECT_EQ(readFile(s.earthIni()), ini);
    EXPECT_EQ(s.form().left(), 300);
    EXPECT_EQ(s.form().top(), 300);
    EXPECT_TRUE(s.checked("mNOR"));
    EXPECT_TRUE(s.form().visible());
}

TEST(SettingsDialog, AStoredValueThatSelectsNoButtonIsKeptUnlessTheUserChooses) {
    DialogScenario s;
    // A place longer than the 499 bytes a value is read as goes back cut.
    s.writeEarthIni("[POSITION]\r\nDISPPOS= x" + std::string(600, '7') + " \r\n[SPEED]\r\nROLLSPEED=3.5\r\n");
    s.start();
    auto& tk = s.toolkit();
    s.openDialog([&](headless::HeadlessForm& dialog) {
        EXPECT_EQ(selected(dialog, "Option1"), -1);
        EXPECT_EQ(selected(dialog, "Option2"), 4);  // 3.5 rounds to the even 4
        s.ok();
    });
    EXPECT_FALSE(tk.ended());
    EXPECT_EQ(readFile(s.earthIni()),
              "[POSITION]\r\nDISPPOS=x" + std::string(498, '7') + "\r\n[SPEED]\r\nROLLSPEED=4\r\n");

    s.openDialog([&](headless::HeadlessForm&) {
        tk.selectOption("fSetting", "Option1(2)");
        s.ok();
    });
    EXPECT_EQ(readFile(s.earthIni()), "[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=4\r\n");
}

TEST(SettingsDialog, StoredTextsSelectTheButtonOfTheirRoundedNumber) {
    struct Row {
        const char* text;
        int index;  // -1: none
    };
    for (const Row& row :
         {Row{"0", 0},   Row{"4", 4},     Row{" 2 ", 2},  Row{"2.5", 2},  Row{"3.5", 4},  Row{"0.5", 0},
          Row{"1.5", 2}, Row{"-0.4", 0},  Row{"+3", 3},   Row{"02", 2},   Row{"1e0", 1},  Row{".5", 0},
          Row{"4.5", 4}, Row{"4.51", -1}, Row{"x", -1},   Row{"7", -1},   Row{"-1", -1},  Row{"99999", -1},
          Row{"", -1},   Row{"2x", -1},   Row{"0x1", -1}, Row{"inf", -1}, Row{"nan", -1}, Row{"1e999", -1},
          Row{".", -1},  Row{"1e", -1}}) {
        SCOPED_TRACE(row.text);
        const auto index = settings::OptionIndex(row.text);
        EXPECT_EQ(index.value_or(-1), row.index);
    }
}

TEST(SettingsDialog, AFileThatCannotBeWrittenGivesOneMessageAndStaysAsItWas) {
    DialogScenario s;
    const std::string ini = "[POSITION]\r\nDISPPOS=3\r\n[SPEED]\r\nROLLSPEED=2\r\n";
    s.writeEarthIni(ini);
    std::filesystem::permissions(s.earthIni(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    s.start();
    auto& tk = s.toolkit();
    const std::vector<std::string> files = treeOf(s.earthIni().parent_path());
    s.openDialog([&](headless::HeadlessForm&) {
        tk.selectOption("fSetting", "Option1(0)");
        s.ok();
    });
    EXPECT_EQ(readFile(s.earthIni()), ini);
    EXPECT_EQ(treeOf(s.earthIni().parent_path()), files) << "nothing left beside it";
    ASSERT_EQ(tk.messages().size(), 1u);
    EXPECT_NE(tk.messages()[0].find(s.earthIni().string()), std::string::npos) << tk.messages()[0];
    EXPECT_FALSE(tk.ended());
    EXPECT_EQ(s.form().left(), 300) << "what the file holds is applied";
    EXPECT_TRUE(s.form().visible());

    // A missing folder: the same message, and no folder appears.
    std::filesystem::permissions(s.earthIni(), std::filesystem::perms::owner_all);
    std::filesystem::remove_all(s.earthIni().parent_path());
    s.openDialog([&](headless::HeadlessForm&) { s.ok(); });
    EXPECT_EQ(tk.messages().size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(s.earthIni().parent_path()));
}

// A stored speed that selects no button goes back as it was; one with a zero
// byte cannot be stored. OK then writes nothing, not the new place either,
// and the message that the settings stay as they were is true.
TEST(SettingsDialog, AValueTheFileRefusesLeavesTheWholeFileAsItWas) {
    using namespace std::string_literals;
    DialogScenario s;
    const std::string ini = "[POSITION]\r\nDISPPOS=1\r\n[SPEED]\r\nROLLSPEED=1\0x\r\n"s;
    s.writeEarthIni(ini);
    s.start();
    auto& tk = s.toolkit();
    s.openDialog([&](headless::HeadlessForm& dialog) {
        EXPECT_EQ(selected(dialog, "Option2"), -1);
        tk.selectOption("fSetting", "Option1(3)");
        s.ok();
    });
    EXPECT_EQ(readFile(s.earthIni()), ini);
    ASSERT_EQ(tk.messages().size(), 1u);
    EXPECT_NE(tk.messages()[0].find("stay as they were"), std::string::npos) << tk.messages()[0];
}

// Settings saved by an editor with a byte-order mark (Notepad's "UTF-8 with
// BOM" and "Unicode"): the globe opens where they say, the dialog shows them,
// and OK changes the one line, keeping the mark and the coding.
TEST(SettingsDialog, AFileSavedWithAByteOrderMarkIsReadAndKeepsItsCoding) {
    using profile::kUtf8Mark;
    using profile::utf16leFile;
    struct Row {
        const char* name;
        std::string before, after;
    };
    const std::string utf8 = "[POSITION]\r\nDISPPOS=4\r\n[SPEED]\r\nROLLSPEED=1\r\n";
    const Row rows[] = {
        {"Utf8", std::string(kUtf8Mark) + utf8,
         std::string(kUtf8Mark) + "[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=1\r\n"},
        {"Utf16le", utf16leFile(u"[POSITION]\r\nDISPPOS=4\r\n[SPEED]\r\nROLLSPEED=1\r\n"),
         utf16leFile(u"[POSITION]\r\nDISPPOS=2\r\n[SPEED]\r\nROLLSPEED=1\r\n")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DialogScenario s;
        s.writeEarthIni(row.before);
        s.start();
        EXPECT_EQ(s.form().left(), 300);  // lower left
        EXPECT_EQ(s.form().top(), 8265);
        EXPECT_TRUE(s.checked("mHI"));
        auto& tk = s.toolkit();
        s.openDialog([&](headless::HeadlessForm& dialog) {
            EXPECT_EQ(selected(dialog, "Option1"), 4);
            EXPECT_EQ(selected(dialog, "Option2"), 1);
            tk.selectOption("fSetting", "Option1(2)");
            s.ok();
        });
        EXPECT_EQ(readFile(s.earthIni()), row.after);
        EXPECT_TRUE(tk.messages().empty());
    }
}

TEST(SettingsDialog, RunsInsideAWaitAndOpensOnlyOnce) {
    // A city on show waits 1.5 s; the dialog opened meanwhile holds the wait
    // until it closes.
    DialogScenario s;
    s.writeEarthIni("[POSITION]\r\nDISPPOS=1\r\n[SPEED]\r\nROLLSPEED=2\r\n");
    s.start();
    auto& tk = s.toolkit();
    const double start = tk.now();
    double waitEnded = 0;
    tk.post(start, [&] {
        float seconds = 1.5f;
        s.globe().WaitSeconds(seconds);
        waitEnded = tk.now();
    });
    s.openDialog(
        [&](headless::HeadlessForm&) {
            tk.chooseMenu("fSky_Roll", "mSETTING");
            tk.post(tk.now() + 1.5, [&] { s.ok(); });
        },
        0.5);
    s.sim->runFor(2);
    EXPECT_NEAR(waitEnded, start + 2.3, 1e-6);
    EXPECT_EQ(s.sim->records("fSetting", "created").size(), 1u);
    EXPECT_EQ(s.form().top(), 8265);  // lower right: 11520 - (2750 + 500), at a whole pixel
}

// A city on show with the moon on: the dialog opened during the display
// holds the display (and "EXIT" disabled) until it closes, and then nothing
// is lost: the city counts as shown, the globe turns on at its stored place
// and the moon is back beside it.
TEST(SettingsDialog, OpenedDuringACityDisplayHoldsItsEndAndLosesNothing) {
    DialogScenario s;
    s.writeEarthIni("[POSITION]\r\nDISPPOS=1\r\n[SPEED]\r\nROLLSPEED=0\r\n");
    s.start();
    auto& tk = s.toolkit();
    tk.chooseMenu("fSky_Roll", "mMOON");
    platform::Control& caption = s.form().control("Label2");
    // At 1 ms a tick, São Paulo is on show from about 0.1 s to 1.6 s.
    const double start = tk.now();
    bool showing = false;
    tk.post(start + 0.6, [&] {
        showing = caption.visible();
        tk.chooseMenu("fSky_Roll", "mSETTING");
    });
    bool held = false;
    tk.post(start + 3.5, [&] {
        // Long past the display's 1.5 s, inside the dialog.
        held = tk.findForm("fSetting") != nullptr && caption.visible() && !s.form().menu("mEnd").enabled() &&
               !s.form().control("Timer1").enabled() && !s.form().visible() && s.moon() == nullptr &&
               s.globe().TourCount == 0;
        s.ok();
    });
    // The display ends with OK at 3.5 s; the next city comes at frame 10 two
    // turns later.
    s.sim->runFor(3.55);
    EXPECT_TRUE(showing);
    EXPECT_TRUE(held);
    EXPECT_EQ(tk.findForm("fSetting"), nullptr);
    EXPECT_FALSE(caption.visible());
    EXPECT_TRUE(s.form().menu("mEnd").enabled());
    EXPECT_TRUE(s.form().control("Timer1").enabled());
    EXPECT_EQ(s.globe().TourCount, 1);
    EXPECT_TRUE(s.globe().CityShown[0]);
    EXPECT_TRUE(s.form().visible());
    EXPECT_EQ(s.form().top(), 8265);  // lower right, as stored
    ASSERT_NE(s.moon(), nullptr);
    EXPECT_TRUE(s.moon()->visible());
    EXPECT_TRUE(s.checked("mMOON"));
}

// EARTH.INI as something other than a plain file. What cannot be read as a
// file reads as missing (never waiting on a named pipe, never taking in a
// file far beyond any settings); OK writes through a link to its target and
// otherwise leaves the thing as it was with one message; the program ends
// as usual either way.
struct BadEarthIni {
    const char* name;
    bool (*make)(const std::filesystem::path& ini);  // false: not possible on this system
    bool readsAsMissing;
    bool okWrites;
};

bool makeFolder(const std::filesystem::path& ini) { return std::filesystem::create_directory(ini); }
bool makeDanglingLink(const std::filesystem::path& ini) {
    std::error_code error;
    std::filesystem::create_symlink("elsewhere.ini", ini, error);
    return !error;
}
bool makeLinkToAFile(const std::filesystem::path& ini) {
    writeFile(ini.parent_path() / "elsewhere.ini", "[POSITION]\r\nDISPPOS=3\r\n");
    return makeDanglingLink(ini);
}
constexpr std::uintmax_t kHundredMiB = 100u << 20;
bool makeHuge(const std::filesystem::path& ini) {
    writeFile(ini, "[POSITION]\r\nDISPPOS=3\r\n");
    std::filesystem::resize_file(ini, kHundredMiB);
    return true;
}
bool makeRandomBytes(const std::filesystem::path& ini) {
    std::mt19937 random(16);
    std::string bytes(64 * 1024, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    writeFile(ini, bytes);
    return true;
}

class BadEarthIniTest : public testing::TestWithParam<BadEarthIni> {};

TEST_P(BadEarthIniTest, ReadsAsMissingOrWorksAndTheProgramEndsCleanly) {
    namespace fs = std::filesystem;
    const BadEarthIni& c = GetParam();
    // Where the globe stands without any EARTH.INI.
    static const auto withoutFile = [] {
        Scenario plain;
        plain.start();
        return std::pair(plain.form().left(), plain.form().top());
    }();

    DialogScenario s;
    fs::create_directories(s.earthIni().parent_path());
    if (!c.make(s.earthIni())) GTEST_SKIP() << "cannot be made on this system";
    const fs::file_type type = fs::symlink_status(s.earthIni()).type();
    s.start();
    auto& tk = s.toolkit();
    if (c.readsAsMissing) {
        EXPECT_EQ(std::pair(s.form().left(), s.form().top()), withoutFile);
    } else {
        EXPECT_EQ(s.form().left(), 300) << "what the file holds is applied";
    }

    s.openDialog([&](headless::HeadlessForm&) {
        tk.selectOption("fSetting", "Option1(2)");
        s.ok();
    });
    EXPECT_EQ(fs::symlink_status(s.earthIni()).type(), type) << "still what it was";
    if (c.okWrites) {
        EXPECT_TRUE(tk.messages().empty());
        std::string dispPos, rollSpeed;
        settings::ReadEarthIni(test::localFiles(), dispPos, rollSpeed, s.earthIni());
        EXPECT_EQ(dispPos, "2");
    } else {
        ASSERT_EQ(tk.messages().size(), 1u);
        EXPECT_NE(tk.messages()[0].find(s.earthIni().string()), std::string::npos) << tk.messages()[0];
        if (type == fs::file_type::regular) {
            EXPECT_EQ(fs::file_size(s.earthIni()), kHundredMiB);
        }
    }

    s.sim->program().endNow();
    EXPECT_TRUE(tk.ended());
    EXPECT_EQ(tk.exitCode(), 0);
    EXPECT_FALSE(tk.trayIcon());
    EXPECT_EQ(s.sim->desktop().wallpapersSet().back(), "/home/user/wallpaper.png");
}

INSTANTIATE_TEST_SUITE_P(Settings, BadEarthIniTest,
                         testing::Values(BadEarthIni{"Folder", makeFolder, true, false},
                                         BadEarthIni{"DanglingLink", makeDanglingLink, true, true},
                                         BadEarthIni{"LinkToAFile", makeLinkToAFile, false, true},
                                         BadEarthIni{"NamedPipe", makeNamedPipe, true, false},
                                         BadEarthIni{"HundredMiB", makeHuge, true, false},
                                         BadEarthIni{"RandomBytes", makeRandomBytes, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skyroll::test
