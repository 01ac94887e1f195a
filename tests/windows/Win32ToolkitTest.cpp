// The Win32 toolkit with the program's real layouts, under a display (Wine
// and Xvfb on Linux): units, controls, timers under a deadline, menus,
// regions, pictures, the tray callback and the option-button groups of the
// settings dialog with its modal loop.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "forms/Layouts.h"
#include "platform/Units.h"
#include "platform/win32/Win32Form.h"
#include "platform/win32/Win32FrameArtist.h"
#include "platform/win32/Win32Toolkit.h"
// windows.h comes with the toolkit, after the platform headers.

namespace skyroll::win32 {
namespace {

namespace fs = std::filesystem;

struct Recorder : platform::FormEvents {
    std::vector<std::string> calls;
    int timers = 0;
    std::function<void()> onTimer;
    std::function<void(std::string_view)> onClick;
    void mouseMove(std::string_view control, int button, int shift, float x, float y) override {
        calls.push_back("move " + std::string(control) + " " + std::to_string(button) + " " +
                        std::to_string(shift) + " " + std::to_string(int(x)) + "," + std::to_string(int(y)));
    }
    void timer(std::string_view) override {
        ++timers;
        if (onTimer) onTimer();
    }
    void menuClick(std::string_view item) override { calls.push_back("menu " + std::string(item)); }
    void click(std::string_view control) override {
        calls.push_back("click " + std::string(control));
        if (onClick) onClick(control);
    }
    void unload() override { calls.push_back("unload"); }
};

// A 24-bit BMP of one colour, rows bottom-up and padded to four bytes.
std::string bmp(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    const int row = (width * 3 + 3) / 4 * 4;
    const int size = 54 + row * height;
    std::string file(std::size_t(size), '\0');
    auto put = [&](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) file[std::size_t(at + i)] = char((v >> (8 * i)) & 0xFF);
    };
    file[0] = 'B', file[1] = 'M';
    put(2, std::uint32_t(size), 4), put(10, 54, 4), put(14, 40, 4), put(18, std::uint32_t(width), 4);
    put(22, std::uint32_t(height), 4), put(26, 1, 2), put(28, 24, 2), put(34, std::uint32_t(row * height), 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int at = 54 + y * row + x * 3;
            file[std::size_t(at)] = char(b), file[std::size_t(at + 1)] = char(g),
            file[std::size_t(at + 2)] = char(r);
        }
    return file;
}

// A 2 x 2 GIF of one green.
const unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf0,
                              0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04,
                              0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02,
                              0x00, 0x02, 0x00, 0x00, 0x02, 0x02, 0x84, 0x51, 0x00, 0x3b};

// Dismisses the program's message box from a thread timer of the test once
// `until` says so (or after five seconds).
struct BoxCloser {
    static inline std::function<bool()> until;
    static inline int calls = 0;
    static BOOL CALLBACK close(HWND window, LPARAM) {
        wchar_t name[16] = {};
        if (GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == L"#32770")
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return TRUE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (++calls >= 100 || until()) EnumThreadWindows(GetCurrentThreadId(), &close, 0);
    }
    explicit BoxCloser(std::function<bool()> condition) {
        until = std::move(condition);
        calls = 0;
        id = SetTimer(nullptr, 0, 50, &tick);
    }
    ~BoxCloser() { KillTimer(nullptr, id); }
    UINT_PTR id;
};

class Win32ToolkitTest : public testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = fs::temp_directory_path() / ("skyroll-win32ui-" + std::to_string(random()));
        fs::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_folder, error);
    }
    fs::path write(const std::string& name, const std::string& bytes) {
        std::ofstream(m_folder / name, std::ios::binary) << bytes;
        return m_folder / name;
    }
    // The colour a window paints at a client point (drawn through
    // WM_PRINTCLIENT, so the test does not depend on the screen).
    static COLORREF pixel(HWND window, int x, int y) {
        RECT client{};
        GetClientRect(window, &client);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, int(client.right), int(client.bottom));
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(window, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT);
        const COLORREF colour = GetPixel(dc, x, y);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        return colour;
    }
    // Runs the loop until `done` or five seconds have gone by.
    static void runFor(Win32Toolkit& toolkit, const std::function<bool()>& done) {
        const double end = toolkit.monotonicSeconds() + 5.0;
        while (!done() && toolkit.monotonicSeconds() < end)
            toolkit.runUntil(toolkit.monotonicSeconds() + 0.05);
    }
    fs::path m_folder;
};

TEST_F(Win32ToolkitTest, GlobeWindowUnitsTimersMenusRegionsPicturesAndTray) {
    Win32Toolkit toolkit;
    Recorder events;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    const double tx = toolkit.twipsPerPixelX(), ty = toolkit.twipsPerPixelY();
    ASSERT_NE(form.handle(), 0u);
    ASSERT_NE(form.window(), nullptr);

    // Positions sit at whole pixels and read back as pixels times twips per pixel.
    EXPECT_DOUBLE_EQ(form.left(), platform::snapTwips(3435, tx));
    form.setLeft(1000);
    form.setTop(2003);
    RECT r{};
    GetWindowRect(form.window(), &r);
    EXPECT_EQ(r.left, platform::twipsToPixels(1000, tx));
    EXPECT_EQ(r.top, platform::twipsToPixels(2003, ty));
    EXPECT_DOUBLE_EQ(form.left(), platform::snapTwips(1000, tx));
    EXPECT_DOUBLE_EQ(form.top(), platform::snapTwips(2003, ty));
    EXPECT_EQ(r.right - r.left, platform::twipsToPixels(4845, tx));
    GetClientRect(form.window(), &r);
    EXPECT_EQ(r.bottom, platform::twipsToPixels(3855, ty)) << "borderless: the client is the window";

    // Controls by name; the picture box counts in twips inside, its label too.
    platform::Control& picture = form.control("Picture1");
    platform::Control& label = form.control("Label2");
    EXPECT_DOUBLE_EQ(picture.width(), double(platform::twipsToPixels(2685, tx))) << "in the form's pixels";
    label.setLeft(907);
    EXPECT_DOUBLE_EQ(label.left(), platform::snapTwips(907, tx));
    EXPECT_EQ(label.caption(), "国名");
    EXPECT_THROW(form.control("Picture2"), std::out_of_range);
    EXPECT_THROW(form.menu("mNONE"), std::out_of_range);

    // Menu check marks and greying are the real menu's.
    EXPECT_TRUE(form.menu("mTENKI").checked());
    EXPECT_TRUE(form.menu("mNOR").checked());
    EXPECT_FALSE(form.menu("mMAX").checked());
    form.menu("mNOR").setChecked(false);
    form.menu("mMAX").setChecked(true);
    form.menu("mEnd").setEnabled(false);
    EXPECT_FALSE(form.menu("mNOR").checked());
    EXPECT_TRUE(form.menu("mMAX").checked());
    EXPECT_FALSE(form.menu("mEnd").enabled());
    EXPECT_TRUE(form.menu("mSPEED").enabled());

    form.show();
    EXPECT_TRUE(form.visible());

    // The timer fires under a deadline; without it the loop sleeps.
    platform::Control& timer = form.control("Timer1");
    timer.setInterval(20);
    runFor(toolkit, [&] { return events.timers >= 2; });
    EXPECT_GE(events.timers, 2);
    timer.setInterval(0);
    events.timers = 0;
    FILETIME created0, exited0, kernel0, user0, kernel1, user1;
    GetProcessTimes(GetCurrentProcess(), &created0, &exited0, &kernel0, &user0);
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.5);
    GetProcessTimes(GetCurrentProcess(), &created0, &exited0, &kernel1, &user1);
    EXPECT_EQ(events.timers, 0) << "interval 0 never fires";
    auto ticks = [](FILETIME t) { return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    const double busy = double(ticks(kernel1) - ticks(kernel0) + ticks(user1) - ticks(user0)) / 1e7;
    EXPECT_LT(busy, 0.25) << "waiting must not burn the processor";

    // A region given to the window is the window's; a free one can go once.
    const platform::RegionHandle shape = toolkit.createEllipticRgn(0, 0, 323, 257);
    ASSERT_NE(shape, 0u);
    EXPECT_EQ(toolkit.setWindowRgn(form.handle(), shape, true), 1);
    EXPECT_FALSE(toolkit.deleteObject(shape)) << "owned by the window";
    RECT box{};
    EXPECT_EQ(GetWindowRgnBox(form.window(), &box), COMPLEXREGION);
    EXPECT_NEAR(box.right, 323, 1);
    const platform::RegionHandle spare = toolkit.createEllipticRgn(0, 0, 10, 10);
    EXPECT_TRUE(toolkit.deleteObject(spare));
    EXPECT_FALSE(toolkit.deleteObject(spare)) << "not live any more";
    EXPECT_EQ(toolkit.setWindowRgn(form.handle(), spare, true), 0);
    EXPECT_FALSE(toolkit.deleteObject(0x7777));

    // Pictures: BMP and GIF load; a broken file fails and keeps the old one.
    HWND pictureWindow = form.findControl("Picture1")->window();
    ASSERT_TRUE(picture.loadPicture(write("red.bmp", bmp(5, 3, 255, 0, 0))));
    EXPECT_EQ(pixel(pictureWindow, 4, 2), RGB(255, 0, 0));
    EXPECT_FALSE(picture.loadPicture(write("broken.bmp", bmp(5, 3, 0, 0, 255).substr(0, 60))));
    EXPECT_FALSE(picture.loadPicture(m_folder / "missing.bmp"));
    EXPECT_EQ(pixel(pictureWindow, 4, 2), RGB(255, 0, 0)) << "the old picture stays";
    EXPECT_EQ(pixel(pictureWindow, 5, 2), RGB(0, 0, 0)) << "unscaled, on the back colour";
    ASSERT_TRUE(form.control("Image1").loadPicture(
        write("green.gif", std::string(reinterpret_cast<const char*>(kGif), sizeof kGif))));
    const RECT image = form.findControl("Image1")->rect();
    EXPECT_EQ(pixel(pictureWindow, int(image.left) + 1, int(image.top) + 1), RGB(0, 255, 0));

    // The mouse in the picture box counts in its twips; a label takes it itself.
    SendMessageW(pictureWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 20));
    const RECT labelRect = form.findControl("Label2")->rect();
    SendMessageW(pictureWindow, WM_MOUSEMOVE, 0, MAKELPARAM(labelRect.left + 2, labelRect.top + 1));

    // The tray: its mouse messages arrive as moves with the code in X, in
    // the pixels of the form.
    platform::TrayIconData tray;
    tray.cbSize = 88;
    tray.hWnd = form.handle();
    tray.uID = 1;
    tray.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    tray.uCallbackMessage = WM_MOUSEMOVE;
    tray.hIcon = form.icon();
    std::copy_n("Skyroll", 8, tray.szTip);
    EXPECT_TRUE(toolkit.shellNotifyIcon(platform::NIM_ADD, tray));
    EXPECT_FALSE(toolkit.shellNotifyIcon(platform::NIM_ADD, tray)) << "already there";
    SendMessageW(form.window(), WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
    EXPECT_TRUE(toolkit.shellNotifyIcon(platform::NIM_DELETE, tray));
    EXPECT_FALSE(toolkit.shellNotifyIcon(platform::NIM_DELETE, tray));
    SendMessageW(form.window(), WM_MOUSEMOVE, 0, WM_RBUTTONDOWN);

    const std::vector<std::string> expected{
        "move Picture1 1 0 " + std::to_string(int(10 * tx)) + "," + std::to_string(int(20 * ty)),
        "move Label2 0 0 " + std::to_string(int(2 * tx)) + "," + std::to_string(int(1 * ty)),
        "move  0 0 516,0",
        "move  0 0 516,0",
    };
    EXPECT_EQ(events.calls, expected);

    // A pop-up menu is a nested loop: the program ending inside it ends it
    // and reaches the caller as ProgramEnded; nothing is chosen.
    events.onTimer = [&] { toolkit.quit(3); };
    timer.setInterval(50);
    EXPECT_THROW(form.popupMenu("mMenu"), platform::ProgramEnded);
    EXPECT_THROW(form.popupMenu("mMenu"), platform::ProgramEnded);
    EXPECT_TRUE(toolkit.ended());
    EXPECT_EQ(toolkit.run(), 3);
    EXPECT_EQ(events.calls.size(), expected.size());
    form.unload();
    EXPECT_EQ(form.handle(), 0u);
    EXPECT_EQ(form.window(), nullptr);
}

TEST_F(Win32ToolkitTest, SettingDialogOptionGroupsButtonAndModalLoop) {
    Win32Toolkit toolkit;
    Recorder globeEvents, events;
    auto globe = toolkit.createForm(app::SkyRollLayout(), globeEvents);
    auto created = toolkit.createForm(app::SettingLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    globe->show();

    // One group per frame; the program may also clear a whole group.
    form.control("Option1(2)").setValue(true);
    form.control("Option2(4)").setValue(true);
    form.control("Option1(0)").setValue(true);
    EXPECT_TRUE(form.control("Option1(0)").value());
    EXPECT_FALSE(form.control("Option1(2)").value());
    EXPECT_TRUE(form.control("Option2(4)").value()) << "the other frame's group is untouched";
    form.control("Option1(0)").setValue(false);
    for (int i = 0; i < 5; ++i) EXPECT_FALSE(form.control("Option1(" + std::to_string(i) + ")").value());
    EXPECT_FALSE(form.control("Label1(0)").value());

    // Modal: the globe takes no input meanwhile; a click on an option selects
    // it, and OK unloads the dialog, which ends the modal loop.
    bool globeEnabledInside = true;
    events.onClick = [&](std::string_view control) {
        if (control != "Command1") return;
        globeEnabledInside = IsWindowEnabled(dynamic_cast<Win32Form&>(*globe).window()) != 0;
        form.unload();
    };
    PostMessageW(form.findControl("Option2(1)")->window(), BM_CLICK, 0, 0);
    PostMessageW(form.findControl("Command1")->window(), BM_CLICK, 0, 0);
    form.showModal();
    EXPECT_FALSE(form.loaded());
    EXPECT_FALSE(globeEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(dynamic_cast<Win32Form&>(*globe).window()));
    EXPECT_EQ(events.calls, (std::vector<std::string>{"click Option2(1)", "click Command1", "unload"}));
    EXPECT_TRUE(form.control("Option2(1)").value() || !form.loaded());
}

TEST_F(Win32ToolkitTest, MessagesLetEventsGoOnAndTheFatalMessageBlocksInput) {
    Win32Toolkit toolkit;
    Recorder events;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    form.show();
    platform::TrayIconData tray;
    tray.hWnd = form.handle();
    tray.uID = 7;
    tray.uFlags = platform::NIF_MESSAGE;
    tray.uCallbackMessage = WM_MOUSEMOVE;
    ASSERT_TRUE(toolkit.shellNotifyIcon(platform::NIM_ADD, tray));
    platform::Control& timer = form.control("Timer1");
    timer.setInterval(20);

    // A message lets the timers go on until the user dismisses it.
    {
        BoxCloser closer([&] { return events.timers >= 2; });
        toolkit.showMessage("天気データを取得できません");
    }
    EXPECT_GE(events.timers, 2);
    EXPECT_FALSE(toolkit.inputBlocked());

    // The fatal message stops the timers for good and the tray, the mouse
    // and the menus reach the program no more.
    {
        BoxCloser closer([] { return BoxCloser::calls >= 3; });
        toolkit.showFatalMessage("致命的なエラー");
    }
    EXPECT_TRUE(toolkit.inputBlocked());
    const int ticks = events.timers;
    timer.setInterval(20);
    SendMessageW(form.window(), WM_MOUSEMOVE, 7, WM_RBUTTONDOWN);
    SendMessageW(form.findControl("Picture1")->window(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    form.popupMenu("mMenu");  // shows nothing, returns at once
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.2);
    EXPECT_EQ(events.timers, ticks);
    EXPECT_TRUE(events.calls.empty());
    EXPECT_FALSE(toolkit.ended()) << "the program ends itself afterwards";
    EXPECT_TRUE(toolkit.shellNotifyIcon(platform::NIM_DELETE, tray));
}

// How the program waits for its transfers: the timers and the tray go on
// meanwhile, the wait ends when the transfer's thread sets its event, after
// its time otherwise, and at once when the program ends inside.
TEST_F(Win32ToolkitTest, WaitingForAnObjectLetsEventsGoOn) {
    Win32Toolkit toolkit;
    Recorder events;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    form.show();
    form.control("Timer1").setInterval(20);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(done, nullptr);

    std::thread transfer([done] {
        Sleep(300);
        SetEvent(done);
    });
    PostMessageW(form.findControl("Picture1")->window(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_TRUE(toolkit.waitForObject(done, 5000));
    transfer.join();
    EXPECT_GE(events.timers, 3);
    const double tx = toolkit.twipsPerPixelX(), ty = toolkit.twipsPerPixelY();
    EXPECT_EQ(events.calls, (std::vector<std::string>{"move Picture1 1 0 " + std::to_string(int(3 * tx)) +
                                                      "," + std::to_string(int(3 * ty))}));

    ResetEvent(done);
    const double start = toolkit.monotonicSeconds();
    EXPECT_FALSE(toolkit.waitForObject(done, 100));
    EXPECT_GE(toolkit.monotonicSeconds() - start, 0.09);

    events.onTimer = [&] { toolkit.quit(0); };
    EXPECT_THROW(toolkit.waitForObject(done, 5000), platform::ProgramEnded);
    EXPECT_TRUE(toolkit.ended());
    CloseHandle(done);
}

// The frame artist: maps decoded by GDI+, frames drawn on its worker and
// published in the picture cache, the globe's picture box loading one from
// memory; nothing is written.
TEST_F(Win32ToolkitTest, DrawnFramesLoadFromMemory) {
    Win32Toolkit toolkit;
    Recorder events;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    form.show();
    const fs::path day = write("earth.jpg", bmp(128, 64, 0, 0, 255));
    const fs::path night = write("night.jpg", bmp(128, 64, 255, 255, 0));
    const auto artist = makeFrameArtist(toolkit);
    std::optional<platform::DrawnFrames> drawn;
    const std::int64_t noon = 1'790'000'000 - 1'790'000'000 % 86400 + 43200;  // the sun over longitude 0
    ASSERT_TRUE(artist->draw(day, night, noon, [&](const platform::DrawnFrames& d) { drawn = d; }));
    const double end = toolkit.monotonicSeconds() + 60;
    while (!drawn && toolkit.monotonicSeconds() < end) toolkit.runUntil(toolkit.monotonicSeconds() + 0.05);
    ASSERT_TRUE(drawn);
    ASSERT_EQ(drawn->failure, "");
    EXPECT_EQ(toolkit.pictures().published(), 44u);
    EXPECT_FALSE(fs::exists(drawn->folder));
    // Frame 1 faces longitude 0: the day map's blue in its middle.
    ASSERT_TRUE(form.control("Picture1").loadPicture(drawn->folder / "EarthMap_1.bmp"));
    const COLORREF lit = pixel(form.findControl("Picture1")->window(), 90, 91);
    EXPECT_GT(GetBValue(lit), GetRValue(lit) + 80);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 2);
    artist->release();
    EXPECT_EQ(toolkit.pictures().published(), 0u);
}

}  // namespace
}  // namespace skyroll::win32
