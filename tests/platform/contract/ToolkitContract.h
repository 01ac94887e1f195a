#pragma once
// The rules of Toolkit.h as one typed suite. Each toolkit's test program
// instantiates it with a driver that plays the user on that toolkit (see
// ToolkitDriver); every case makes its own driver, since a toolkit whose
// program has ended stays ended.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/Layouts.h"
#include "platform/Toolkit.h"
#include "platform/Units.h"

namespace skyroll::contract {

// What a toolkit's driver offers the cases. The user's actions are queued:
// they happen from inside whichever event loop runs next.
class ToolkitDriver {
public:
    virtual ~ToolkitDriver() = default;
    virtual platform::Toolkit& toolkit() = 0;
    // True where time is virtual: intervals are then checked to the
    // millisecond. Elsewhere only the order of events counts.
    virtual bool virtualClock() const = 0;
    // Runs the event loop until `done` holds, for `seconds` at most (of
    // virtual time, or a bound that a passing case never reaches).
    virtual void runUntil(const std::function<bool()>& done, double seconds) = 0;
    // Runs `action` as an event of the loop.
    virtual void post(std::function<void()> action) = 0;
    // The user answers the next pop-up menu of `form` once `when` holds:
    // chooses the command `item` as a person would, or dismisses the menu
    // when `item` is empty.
    virtual void answerNextMenu(platform::Form& form, std::string item, std::function<bool()> when) = 0;
    // The user dismisses the next message shown, once `when` holds.
    virtual void answerNextMessage(std::function<bool()> when) = 0;
    // The user clicks the button or option button `control` of `form`.
    virtual void click(platform::Form& form, std::string control) = 0;
    // The window system asks `form` to close.
    virtual void close(platform::Form& form) = 0;
    // The live regions the toolkit holds.
    virtual std::size_t liveRegions() const = 0;
    // Why no tray icon can be shown here; empty when one can.
    virtual std::string noTray() const { return {}; }
    // The user presses the right button on the tray icon `id` of `form`.
    virtual void pressTray(platform::Form& form, std::uint32_t id) = 0;
};

// How a desktop toolkit's driver runs its loop: until `done` holds or
// `seconds` have passed, looking every 10 ms.
inline void runLoopUntil(platform::Toolkit& toolkit, const std::function<bool()>& done, double seconds) {
    const double end = toolkit.monotonicSeconds() + seconds;
    while (!done() && toolkit.monotonicSeconds() < end)
        toolkit.runUntil(std::min(end, toolkit.monotonicSeconds() + 0.01));
}

// Records what a form reports, with the time of each timer tick; hooks let
// a case act inside a handler.
class Events final : public platform::FormEvents {
public:
    explicit Events(platform::Toolkit& toolkit) : m_toolkit(toolkit) {}
    void activate() override {}
    void unload() override {
        log.push_back("unload");
        if (onUnload) onUnload();
    }
    void mouseMove(std::string_view control, int button, int, float x, float y) override {
        log.push_back("move " + std::string(control) + " " + std::to_string(button) + " " +
                      std::to_string(int(x)) + "," + std::to_string(int(y)));
    }
    void timer(std::string_view timer) override {
        ticks.push_back({std::string(timer), m_toolkit.monotonicSeconds()});
        if (onTimer) onTimer(timer);
    }
    void menuClick(std::string_view item) override { log.push_back("menu " + std::string(item)); }
    void click(std::string_view control) override {
        log.push_back("click " + std::string(control));
        if (onClick) onClick(control);
    }

    int count(std::string_view timer) const {
        int n = 0;
        for (const auto& t : ticks) n += t.timer == timer;
        return n;
    }
    bool logged(const std::string& entry) const {
        return std::find(log.begin(), log.end(), entry) != log.end();
    }

    struct Tick {
        std::string timer;
        double at;
    };
    std::vector<Tick> ticks;
    std::vector<std::string> log;
    std::function<void(std::string_view)> onTimer, onClick;
    std::function<void()> onUnload;

private:
    platform::Toolkit& m_toolkit;
};

template <class Driver>
class ToolkitContract : public testing::Test {};
TYPED_TEST_SUITE_P(ToolkitContract);

TYPED_TEST_P(ToolkitContract, FormsAreBuiltFromTheirLayouts) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events globeEvents(tk), dialogEvents(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
    auto dialog = tk.createForm(app::SettingLayout(), dialogEvents);
    const double tx = tk.twipsPerPixelX(), ty = tk.twipsPerPixelY();
    ASSERT_GT(tx, 0);
    ASSERT_NE(globe->handle(), 0u);
    EXPECT_NE(globe->handle(), dialog->handle());
    EXPECT_FALSE(globe->visible()) << "hidden until shown";

    // Places sit at whole pixels and read back as pixels times twips per pixel.
    EXPECT_DOUBLE_EQ(globe->left(), platform::snapTwips(3435, tx));
    globe->setLeft(1000);
    globe->setTop(2003);
    EXPECT_DOUBLE_EQ(globe->left(), platform::snapTwips(1000, tx));
    EXPECT_DOUBLE_EQ(globe->top(), platform::snapTwips(2003, ty));
    EXPECT_DOUBLE_EQ(globe->width(), 4845);

    // Controls count in their container's unit: the picture box in the
    // form's pixels, its label in the box's own twips.
    platform::Control& picture = globe->control("Picture1");
    EXPECT_DOUBLE_EQ(picture.width(), double(platform::twipsToPixels(2685, tx)));
    platform::Control& label = globe->control("Label2");
    label.setLeft(907);
    EXPECT_DOUBLE_EQ(label.left(), platform::snapTwips(907, tx));
    EXPECT_EQ(label.caption(), "国名");
    label.setCaption("サンパウロ");
    EXPECT_EQ(label.caption(), "サンパウロ");

    // Names the form does not have are programming errors.
    EXPECT_THROW(globe->control("Picture2"), std::out_of_range);
    EXPECT_THROW(globe->menu("mNONE"), std::out_of_range);
    EXPECT_THROW(globe->popupMenu("mNONE"), std::out_of_range);
    EXPECT_THROW(globe->popupMenu("mEnd"), std::out_of_range) << "a command opens no submenu";

    // One option group per frame; the program may also clear a whole group.
    dialog->control("Option1(2)").setValue(true);
    dialog->control("Option2(4)").setValue(true);
    dialog->control("Option1(0)").setValue(true);
    EXPECT_TRUE(dialog->control("Option1(0)").value());
    EXPECT_FALSE(dialog->control("Option1(2)").value());
    EXPECT_TRUE(dialog->control("Option2(4)").value()) << "the other frame's group is untouched";
    dialog->control("Option1(0)").setValue(false);
    EXPECT_FALSE(dialog->control("Option1(0)").value());
    dialog->control("Label1(0)").setValue(true);
    EXPECT_FALSE(dialog->control("Label1(0)").value()) << "only option buttons hold a value";
    EXPECT_TRUE(dialogEvents.log.empty()) << "setting by code is no click";

    globe->show();
    EXPECT_TRUE(globe->visible());
    globe->hide();
    EXPECT_FALSE(globe->visible());
}

TYPED_TEST_P(ToolkitContract, TimersFireInTheOrderTheyFallDue) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events globeEvents(tk), moonEvents(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
    auto moon = tk.createForm(app::MoonLayout(), moonEvents);
    platform::Control& frames = globe->control("Timer1");
    platform::Control& moonFrames = moon->control("Timer1");
    EXPECT_FALSE(globe->control("Timer2").enabled()) << "as laid out";

    const double start = tk.monotonicSeconds();
    frames.setInterval(250);
    moonFrames.setInterval(70);
    driver.runUntil([&] { return globeEvents.count("Timer1") >= 1; }, 10);
    ASSERT_EQ(globeEvents.count("Timer1"), 1);
    ASSERT_GE(moonEvents.count("Timer1"), 1);
    EXPECT_LT(moonEvents.ticks.front().at, globeEvents.ticks.front().at)
        << "the shorter interval falls due first";
    EXPECT_EQ(globeEvents.count("Timer2"), 0) << "a disabled timer never fires";
    if (driver.virtualClock()) {
        EXPECT_DOUBLE_EQ(globeEvents.ticks.front().at - start, 0.25);
        ASSERT_EQ(moonEvents.count("Timer1"), 3);
        EXPECT_DOUBLE_EQ(moonEvents.ticks[2].at - start, 0.21);

        // Setting the interval again restarts the countdown; enabling an
        // enabled timer does not; enabling a disabled one does.
        const double now = tk.monotonicSeconds();
        moonFrames.setInterval(70);
        driver.runUntil([] { return false; }, 0.03);
        moonFrames.setEnabled(true);
        driver.runUntil([&] { return moonEvents.count("Timer1") >= 4; }, 1);
        EXPECT_NEAR(moonEvents.ticks[3].at - now, 0.07, 1e-9);
        moonFrames.setEnabled(false);
        driver.runUntil([] { return false; }, 0.05);
        const double enabledAt = tk.monotonicSeconds();
        moonFrames.setEnabled(true);
        driver.runUntil([&] { return moonEvents.count("Timer1") >= 5; }, 1);
        EXPECT_NEAR(moonEvents.ticks[4].at - enabledAt, 0.07, 1e-9);
    }

    // Interval 0 never fires and leaves Enabled as it was; a negative
    // interval is 0.
    frames.setInterval(0);
    moonFrames.setInterval(-5);
    EXPECT_EQ(moonFrames.interval(), 0);
    EXPECT_TRUE(frames.enabled());
    const auto globeTicks = globeEvents.ticks.size(), moonTicks = moonEvents.ticks.size();
    globe->control("Timer2").setInterval(40);  // still disabled
    driver.runUntil([] { return false; }, 0.4);
    EXPECT_EQ(globeEvents.ticks.size(), globeTicks);
    EXPECT_EQ(moonEvents.ticks.size(), moonTicks);
}

TYPED_TEST_P(ToolkitContract, ARegionBelongsToOneWindowAtATime) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events globeEvents(tk), moonEvents(tk), dialogEvents(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
    auto moon = tk.createForm(app::MoonLayout(), moonEvents);
    auto dialog = tk.createForm(app::SettingLayout(), dialogEvents);
    const std::size_t before = driver.liveRegions();

    const platform::RegionHandle shape = tk.createEllipticRgn(0, 0, 323, 257);
    ASSERT_NE(shape, 0u);
    EXPECT_NE(tk.setWindowRgn(globe->handle(), shape, true), 0);
    EXPECT_FALSE(tk.deleteObject(shape)) << "owned by the window";
    EXPECT_EQ(tk.setWindowRgn(moon->handle(), shape, true), 0) << "owned by another window";
    EXPECT_EQ(tk.setWindowRgn(globe->handle(), shape, true), 0) << "owned already";

    // A new region replaces the window's and frees it; none at all too.
    const platform::RegionHandle reversed = tk.createEllipticRgn(100, 100, 0, 0);
    ASSERT_NE(reversed, 0u);
    EXPECT_NE(tk.setWindowRgn(globe->handle(), reversed, false), 0);
    EXPECT_EQ(driver.liveRegions(), before + 1);
    EXPECT_NE(tk.setWindowRgn(globe->handle(), 0, true), 0);
    EXPECT_EQ(driver.liveRegions(), before);
    EXPECT_EQ(tk.setWindowRgn(moon->handle(), shape, true), 0) << "freed with the window's change";

    // Handles that are no loaded form: nothing happens, the region stays free.
    const platform::RegionHandle spare = tk.createEllipticRgn(0, 0, 10, 10);
    EXPECT_EQ(tk.setWindowRgn(0, spare, true), 0);
    EXPECT_EQ(tk.setWindowRgn(0x7777, spare, true), 0);
    EXPECT_FALSE(tk.setForegroundWindow(0));
    EXPECT_FALSE(tk.setForegroundWindow(0x7777));
    EXPECT_TRUE(tk.deleteObject(spare));
    EXPECT_FALSE(tk.deleteObject(spare)) << "not live any more";
    EXPECT_FALSE(tk.deleteObject(0));
    EXPECT_FALSE(tk.deleteObject(0x7777));

    // A window frees its region when it is unloaded, and when its object
    // goes without an unload.
    const platform::WindowHandle moonWindow = moon->handle();
    EXPECT_NE(tk.setWindowRgn(moonWindow, tk.createEllipticRgn(0, 0, 106, 110), true), 0);
    EXPECT_NE(tk.setWindowRgn(dialog->handle(), tk.createEllipticRgn(0, 0, 417, 211), true), 0);
    EXPECT_EQ(driver.liveRegions(), before + 2);
    moon->unload();
    EXPECT_EQ(driver.liveRegions(), before + 1);
    EXPECT_EQ(tk.setWindowRgn(moonWindow, tk.createEllipticRgn(0, 0, 5, 5), true), 0) << "unloaded";
    EXPECT_FALSE(tk.setForegroundWindow(moonWindow));
    dialog.reset();
    EXPECT_EQ(driver.liveRegions(), before + 1) << "the dialog's went, the unused one stays";
}

TYPED_TEST_P(ToolkitContract, MenusCarryMarksAndOnlyEnabledCommandsAreChosen) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events events(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), events);
    EXPECT_TRUE(globe->menu("mTENKI").checked());
    EXPECT_TRUE(globe->menu("mNOR").checked());
    EXPECT_FALSE(globe->menu("mMAX").checked());
    globe->menu("mNOR").setChecked(false);
    globe->menu("mMAX").setChecked(true);
    EXPECT_FALSE(globe->menu("mNOR").checked());
    EXPECT_TRUE(globe->menu("mMAX").checked());
    globe->show();

    // Each row opens the menu once; the choice arrives before popupMenu returns.
    struct Row {
        const char* item;
        const char* disabled;  // greyed out for this row
        bool chosen;
    };
    const Row rows[] = {
        {"mEnd", "", true},       {"mEnd", "mEnd", false}, {"mHI", "", true},
        {"mHI", "mSPEED", false}, {"mMAX", "", true},      {"mTENKI", "", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " with " + (*row.disabled ? row.disabled : "all enabled"));
        if (*row.disabled) globe->menu(row.disabled).setEnabled(false);
        events.log.clear();
        driver.answerNextMenu(*globe, row.item, [] { return true; });
        globe->popupMenu("mMenu");
        const std::vector<std::string> expected =
            row.chosen ? std::vector<std::string>{std::string("menu ") + row.item}
                       : std::vector<std::string>{};
        EXPECT_EQ(events.log, expected);
        if (*row.disabled) globe->menu(row.disabled).setEnabled(true);
        EXPECT_TRUE(globe->menu(row.disabled[0] ? row.disabled : row.item).enabled());
    }
    EXPECT_TRUE(globe->menu("mMAX").checked()) << "choosing never changes a mark";
    EXPECT_TRUE(globe->menu("mTENKI").checked());
    EXPECT_FALSE(globe->menu("mHI").checked());
}

TYPED_TEST_P(ToolkitContract, ModalLoopsNestAndEndWhenTheFormIsUnloaded) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events globeEvents(tk), events(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
    auto dialog = tk.createForm(app::SettingLayout(), events);
    globe->show();
    globe->control("Timer1").setInterval(20);

    // The globe's timer goes on inside the dialog's loop and clicks the
    // option; that click enters the modal loop again, where the next tick
    // clicks OK, which unloads the dialog: both loops return.
    bool innerReturned = false;
    globeEvents.onTimer = [&](std::string_view) {
        if (globeEvents.count("Timer1") == 1) driver.click(*dialog, "Option2(1)");
        if (globeEvents.count("Timer1") == 2) driver.click(*dialog, "Command1");
    };
    events.onClick = [&](std::string_view control) {
        if (control == "Option2(1)") {
            dialog->showModal();
            innerReturned = true;
        }
        if (control == "Command1") dialog->unload();
    };
    dialog->showModal();
    EXPECT_TRUE(innerReturned);
    EXPECT_FALSE(dialog->loaded());
    EXPECT_EQ(events.log, (std::vector<std::string>{"click Option2(1)", "click Command1", "unload"}));
    EXPECT_TRUE(dialog->control("Option2(1)").value()) << "the click selected it";
    EXPECT_GE(globeEvents.count("Timer1"), 2);

    // An unloaded form's modal loop returns at once.
    globeEvents.onTimer = nullptr;
    const auto ticks = globeEvents.ticks.size();
    dialog->showModal();
    EXPECT_EQ(globeEvents.ticks.size(), ticks);
}

TYPED_TEST_P(ToolkitContract, QuitEndsEveryLoopAndEveryLaterOne) {
    for (const std::string loop : {"wait", "modal form", "pop-up menu", "message"}) {
        SCOPED_TRACE(loop);
        TypeParam driver;
        platform::Toolkit& tk = driver.toolkit();
        Events globeEvents(tk), dialogEvents(tk);
        auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
        auto dialog = tk.createForm(app::SettingLayout(), dialogEvents);
        globe->show();
        bool resumed = false;
        driver.answerNextMenu(*globe, "", [] { return false; });
        driver.answerNextMessage([] { return false; });
        driver.post([&] {
            if (loop == "wait") tk.runUntil(tk.monotonicSeconds() + 60);
            if (loop == "modal form") dialog->showModal();
            if (loop == "pop-up menu") globe->popupMenu("mMenu");
            if (loop == "message") tk.showMessage("天気データを取得できません");
            resumed = true;  // never reached: the handler does not go on
        });
        globe->control("Timer1").setInterval(50);
        globeEvents.onTimer = [&](std::string_view) { tk.quit(3); };
        EXPECT_EQ(tk.run(), 3);
        EXPECT_FALSE(resumed);
        EXPECT_TRUE(tk.ended());
        EXPECT_THROW(tk.doEvents(), platform::ProgramEnded);
        EXPECT_THROW(tk.runUntil(tk.monotonicSeconds() + 1), platform::ProgramEnded);
        EXPECT_THROW(dialog->showModal(), platform::ProgramEnded);
        EXPECT_THROW(globe->popupMenu("mMenu"), platform::ProgramEnded);
        EXPECT_THROW(tk.showMessage("again"), platform::ProgramEnded);
    }
}

TYPED_TEST_P(ToolkitContract, MessagesLetEventsGoOnAndTheFatalOneBlocksInput) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events events(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), events);
    globe->show();
    platform::Control& frames = globe->control("Timer1");
    frames.setInterval(20);

    driver.answerNextMessage([&] { return events.count("Timer1") >= 3; });
    tk.showMessage("天気データを取得できません");
    EXPECT_GE(events.count("Timer1"), 3) << "timers go on under a message";
    driver.runUntil([&] { return events.count("Timer1") >= 4; }, 10);
    EXPECT_GE(events.count("Timer1"), 4) << "and after it";

    // The fatal message stops every timer; menus, the tray and restarted
    // timers reach the program no more; it is shown once.
    int polls = 0;
    driver.answerNextMessage([&] { return ++polls >= 3; });
    tk.showFatalMessage("致命的なエラー");
    tk.showFatalMessage("second failure");  // returns at once
    const auto ticks = events.ticks.size();
    frames.setInterval(20);
    driver.answerNextMenu(*globe, "mEnd", [] { return true; });
    globe->popupMenu("mMenu");
    driver.runUntil([] { return false; }, 0.2);
    EXPECT_EQ(events.ticks.size(), ticks);
    EXPECT_TRUE(events.log.empty());
    EXPECT_FALSE(tk.ended()) << "the program ends itself afterwards";
}

TYPED_TEST_P(ToolkitContract, AFormUnloadsItselfFromInsideItsHandlers) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events globeEvents(tk), moonEvents(tk), dialogEvents(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), globeEvents);
    auto moon = tk.createForm(app::MoonLayout(), moonEvents);
    auto dialog = tk.createForm(app::SettingLayout(), dialogEvents);
    moon->show();
    globe->show();
    globe->control("Timer1").setInterval(30);

    // The moon unloads itself at its first tick, and again from inside its
    // unload handler: one unload, and the handler runs to its end.
    const platform::WindowHandle moonWindow = moon->handle();
    ASSERT_NE(tk.setWindowRgn(moonWindow, tk.createEllipticRgn(0, 0, 106, 110), true), 0);
    const std::size_t regions = driver.liveRegions();
    bool handlerEnded = false;
    moonEvents.onUnload = [&] { moon->unload(); };
    moonEvents.onTimer = [&](std::string_view) {
        moon->unload();
        handlerEnded = true;
    };
    moon->control("Timer1").setInterval(10);
    driver.runUntil([&] { return globeEvents.count("Timer1") >= 5; }, 10);
    EXPECT_TRUE(handlerEnded);
    EXPECT_EQ(moonEvents.count("Timer1"), 1);
    EXPECT_EQ(moonEvents.log, std::vector<std::string>{"unload"});
    EXPECT_FALSE(moon->loaded());
    EXPECT_EQ(moon->handle(), 0u);
    EXPECT_EQ(driver.liveRegions(), regions - 1);

    // Its object and controls stay usable, but nothing of it fires.
    moon->control("Timer1").setInterval(10);
    EXPECT_EQ(moon->control("Timer1").interval(), 10);
    moon->unload();
    driver.runUntil([&] { return globeEvents.count("Timer1") >= 8; }, 10);
    EXPECT_EQ(moonEvents.count("Timer1"), 1);
    EXPECT_EQ(moonEvents.log.size(), 1u);

    // A click queued for a form that is unloaded before it arrives is
    // dropped; an unload handler that fails still leaves the form unloaded.
    dialog->show();
    driver.click(*dialog, "Command1");
    dialogEvents.onUnload = [] { throw std::runtime_error("cannot save EARTH.INI"); };
    EXPECT_THROW(dialog->unload(), std::runtime_error);
    EXPECT_FALSE(dialog->loaded());
    driver.runUntil([&] { return globeEvents.count("Timer1") >= 10; }, 10);
    EXPECT_EQ(dialogEvents.log, std::vector<std::string>{"unload"});

    // The window system's close request unloads the form.
    driver.close(*globe);
    driver.runUntil([&] { return !globe->loaded(); }, 10);
    EXPECT_FALSE(globe->loaded());
    EXPECT_EQ(globeEvents.log, std::vector<std::string>{"unload"});
}

// A city display: the globe's tick stops its timer and waits 1.5 s in a
// nested loop, here while the tray menu is open. The menu stays usable
// across it, and so do the menus opened after it.
TYPED_TEST_P(ToolkitContract, AMenuHeldOpenAcrossADisplayLeavesTheNextMenusUsable) {
    TypeParam driver;
    platform::Toolkit& tk = driver.toolkit();
    Events events(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), events);
    globe->show();
    platform::Control& frames = globe->control("Timer1");
    bool displayed = false, displaying = false, menuOpen = false, openDuringDisplay = false;
    events.onTimer = [&](std::string_view) {
        if (displayed) return;
        displayed = displaying = true;
        openDuringDisplay = menuOpen;
        frames.setEnabled(false);
        tk.runUntil(tk.monotonicSeconds() + 1.5);
        frames.setEnabled(true);
        displaying = false;
    };

    // The tick falls due while the menu is open; the user dismisses the
    // menu after the display.
    driver.answerNextMenu(*globe, "", [&] { return displayed && !displaying; });
    frames.setInterval(100);
    menuOpen = true;
    globe->popupMenu("mMenu");
    menuOpen = false;
    EXPECT_TRUE(openDuringDisplay);
    EXPECT_TRUE(displayed && !displaying);
    EXPECT_TRUE(events.log.empty());

    // The next menus stay open while the globe turns beneath them, until
    // the user chooses.
    for (const char* item : {"mMAX", "mMIN"}) {
        SCOPED_TRACE(item);
        const int until = events.count("Timer1") + 3;
        driver.answerNextMenu(*globe, item, [&] { return events.count("Timer1") >= until; });
        events.log.clear();
        globe->popupMenu("mMenu");
        EXPECT_EQ(events.log, std::vector<std::string>{std::string("menu ") + item});
        EXPECT_GE(events.count("Timer1"), until);
    }
}

TYPED_TEST_P(ToolkitContract, TrayIconsReportTheirMouseEventsToTheirForm) {
    TypeParam driver;
    if (const std::string reason = driver.noTray(); !reason.empty()) GTEST_SKIP() << reason;
    platform::Toolkit& tk = driver.toolkit();
    Events events(tk);
    auto globe = tk.createForm(app::SkyRollLayout(), events);
    globe->show();
    platform::TrayIconData tray;
    tray.cbSize = 88;
    tray.hWnd = globe->handle();
    tray.uID = 1;
    tray.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    tray.uCallbackMessage = platform::WM_MOUSEMOVE;
    tray.hIcon = globe->icon();
    std::copy_n("Skyroll", 8, tray.szTip);
    platform::TrayIconData foreign = tray;
    foreign.hWnd = 0x7777;

    EXPECT_FALSE(tk.shellNotifyIcon(platform::NIM_ADD, foreign));
    ASSERT_TRUE(tk.shellNotifyIcon(platform::NIM_ADD, tray));
    EXPECT_FALSE(tk.shellNotifyIcon(platform::NIM_ADD, tray)) << "already there";
    EXPECT_FALSE(tk.shellNotifyIcon(1, tray)) << "no other message";
    driver.pressTray(*globe, 1);
    driver.runUntil([&] { return !events.log.empty(); }, 10);
    EXPECT_EQ(events.log, std::vector<std::string>{"move  0 516,0"});
    EXPECT_TRUE(tk.shellNotifyIcon(platform::NIM_DELETE, tray));
    EXPECT_FALSE(tk.shellNotifyIcon(platform::NIM_DELETE, tray));
    EXPECT_FALSE(tk.shellNotifyIcon(platform::NIM_DELETE, foreign));
}

REGISTER_TYPED_TEST_SUITE_P(ToolkitContract, FormsAreBuiltFromTheirLayouts, TimersFireInTheOrderTheyFallDue,
                            ARegionBelongsToOneWindowAtATime, MenusCarryMarksAndOnlyEnabledCommandsAreChosen,
                            ModalLoopsNestAndEndWhenTheFormIsUnloaded, QuitEndsEveryLoopAndEveryLaterOne,
                            MessagesLetEventsGoOnAndTheFatalOneBlocksInput,
                            AFormUnloadsItselfFromInsideItsHandlers,
                            AMenuHeldOpenAcrossADisplayLeavesTheNextMenusUsable,
                            TrayIconsReportTheirMouseEventsToTheirForm);

}  // namespace skyroll::contract
