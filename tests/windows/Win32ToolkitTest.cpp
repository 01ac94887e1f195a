// The Win32 toolkit with the program's real layouts, under a display (Wine
// and Xvfb on Linux), where it goes beyond the shared contract: the real
// window, its shape and pictures, a display inside the tray menu, waiting
// for a transfer, frames drawn in memory.

#include <gtest/gtest.h>

#include <algorithm>
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
#include "tests/windows/Win32MenuUser.h"
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
    // The processor time the process has used, in seconds.
    static double processorSeconds() {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ticks = [](FILETIME t) { return (std::uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
        return double(ticks(kernel) + ticks(user)) / 1e7;
    }
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
    fs::path m_folder;
};

// What the shared contract cannot see: the real window's rectangle and
// shape, what it paints, the mouse in each container's unit, the modal
// dialog disabling the other windows, and the processor kept idle.
TEST_F(Win32ToolkitTest, TheRealWindowsPlacesShapesPicturesMouseAndModalDialog) {
    Win32Toolkit toolkit;
    Recorder events, dialogEvents;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    const double tx = toolkit.twipsPerPixelX(), ty = toolkit.twipsPerPixelY();
    ASSERT_NE(form.window(), nullptr);

    form.setLeft(1000);
    form.setTop(2003);
    RECT r{};
    GetWindowRect(form.window(), &r);
    EXPECT_EQ(r.left, platform::twipsToPixels(1000, tx));
    EXPECT_EQ(r.top, platform::twipsToPixels(2003, ty));
    EXPECT_EQ(r.right - r.left, platform::twipsToPixels(4845, tx));
    GetClientRect(form.window(), &r);
    EXPECT_EQ(r.bottom, platform::twipsToPixels(3855, ty)) << "borderless: the client is the window";
    form.show();

    // The region given is the window's shape.
    ASSERT_NE(toolkit.setWindowRgn(form.handle(), toolkit.createEllipticRgn(0, 0, 323, 257), true), 0);
    RECT box{};
    EXPECT_EQ(GetWindowRgnBox(form.window(), &box), COMPLEXREGION);
    EXPECT_NEAR(box.right, 323, 1);

    // Waiting with no timer due sleeps.
    const double before = processorSeconds();
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.5);
    const double busy = processorSeconds() - before;
    EXPECT_LT(busy, 0.25) << "waiting must not burn the processor";

    // Pictures: BMP and GIF load; a broken file fails and keeps the old one.
    platform::Control& picture = form.control("Picture1");
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
    EXPECT_EQ(events.calls,
              (std::vector<std::string>{
                  "move Picture1 1 0 " + std::to_string(int(10 * tx)) + "," + std::to_string(int(20 * ty)),
                  "move Label2 0 0 " + std::to_string(int(2 * tx)) + "," + std::to_string(int(1 * ty))}));

    // The settings dialog is modal: the globe takes no input until it goes.
    auto dialog = toolkit.createForm(app::SettingLayout(), dialogEvents);
    bool globeEnabledInside = true;
    dialogEvents.onClick = [&](std::string_view) {
        globeEnabledInside = IsWindowEnabled(form.window()) != 0;
        dialog->unload();
    };
    PostMessageW(dynamic_cast<Win32Form&>(*dialog).findControl("Command1")->window(), BM_CLICK, 0, 0);
    dialog->showModal();
    EXPECT_FALSE(globeEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(form.window()));
}

TEST_F(Win32ToolkitTest, ADisplayInsideTheMenuLeavesTheMenusToTheUser) {
    Win32Toolkit toolkit;
    Recorder events;
    auto created = toolkit.createForm(app::SkyRollLayout(), events);
    auto& form = dynamic_cast<Win32Form&>(*created);
    form.show();
    platform::TrayIconData tray;
    tray.hWnd = form.handle();
    tray.uID = 1;
    tray.uFlags = platform::NIF_MESSAGE;
    tray.uCallbackMessage = WM_MOUSEMOVE;
    ASSERT_TRUE(toolkit.shellNotifyIcon(platform::NIM_ADD, tray));
    platform::Control& timer = form.control("Timer1");
    int displays = 0, displaysInMenu = 0, wanted = 0;
    bool displaying = false;
    double busy = 0;  // the most processor time a display took
    events.onTimer = [&] {
        if (displays == wanted) return;  // a plain frame
        HWND menu = FindWindowW(L"#32768", nullptr);
        displaysInMenu += menu && IsWindowVisible(menu) ? 1 : 0;
        displaying = true;
        timer.setEnabled(false);
        const double before = processorSeconds();
        toolkit.runUntil(toolkit.monotonicSeconds() + 0.5);
        busy = std::max(busy, processorSeconds() - before);
        timer.setEnabled(true);
        displaying = false;
        ++displays;
    };
    timer.setInterval(200);

    // A choice and a dismissal while the display goes on.
    for (const char* item : {"mEnd", ""}) {
        ++wanted;
        const MenuAnswer answer = answerNextMenu(form, item, [&] {
            if (displaying) PostMessageW(form.window(), WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
            return displaying;
        });
        const double start = toolkit.monotonicSeconds();
        form.popupMenu("mMenu");
        EXPECT_TRUE(answer.given()) << item;
        EXPECT_EQ(displays, wanted);
        EXPECT_LT(toolkit.monotonicSeconds() - start, 5.0) << item << ": the menu took no input";
    }
    EXPECT_EQ(displaysInMenu, 2);
    EXPECT_LT(busy, 0.1) << "the input kept for the menu must not keep the wait awake";
    toolkit.runUntil(toolkit.monotonicSeconds() + 0.1);
    EXPECT_EQ(events.calls, std::vector<std::string>{"menu mEnd"});

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
