#pragma once
// The platform's windowing side on the Win32 API: forms built from layout
// data, timers, the message loop with nested loops for waits, modal forms and
// pop-up menus, the tray icon, window regions and the fatal message.
//
// No C++ exception ever crosses a window procedure: every call into the
// program goes through dispatch(), which swallows ProgramEnded and hands any
// other failure to the failure handler.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/common/FileCache.h"
#include "platform/common/ToolkitBook.h"
#include "platform/win32/Win32Picture.h"
// After the platform headers: windows.h defines some of their names as macros.
#include <windows.h>

namespace skyroll::win32 {

class Win32Form;
class Win32Control;

class Win32Toolkit final : public platform::Toolkit {
public:
    // One per thread that shows the program's windows.
    Win32Toolkit();
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    // platform::Toolkit
    std::unique_ptr<platform::Form> createForm(const platform::FormLayout& layout,
                                               platform::FormEvents& events) override;
    double screenWidth() const override;
    double screenHeight() const override;
    double twipsPerPixelX() const override { return m_twipsPerPixelX; }
    double twipsPerPixelY() const override { return m_twipsPerPixelY; }
    void doEvents() override;
    void runUntil(double deadline) override;
    int run() override;
    void quit(int code) override;
    bool ended() const override { return m_ended; }
    double monotonicSeconds() const override;
    float secondsSinceMidnight() const override;
    bool shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) override;
    bool setForegroundWindow(platform::WindowHandle window) override;
    platform::RegionHandle createEllipticRgn(int left, int top, int right, int bottom) override;
    int setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) override;
    bool deleteObject(platform::RegionHandle region) override;
    void setFailureHandler(std::function<void(const std::string&)> handler) override;
    void showMessage(const std::string& message) override;
    void showFatalMessage(const std::string& message) override;

    // --- Used by the forms, main and tests -------------------------------
    // Runs a call into the program; see the note at the top.
    void dispatch(const std::function<void()>& handler);
    // Timers, menus, the tray and the mouse reach the program only while
    // this is false (a fatal message is being shown).
    bool inputBlocked() const { return m_inputBlocked; }
    void throwIfEnded() const;
    // Runs the message loop until `done` is true or the program has ended;
    // then throws ProgramEnded if it has ended.
    void runNested(const std::function<bool()>& done);
    // Runs the message loop until `object` is signalled (true) or `ms`
    // milliseconds have passed (false): how the program waits for work on
    // other threads (its transfers) and keeps answering meanwhile. Throws
    // ProgramEnded if the program ends inside.
    bool waitForObject(HANDLE object, DWORD ms);
    // A pop-up menu is open (closed by quit() and by a fatal message); its
    // loop keeps the mouse and the keyboard meanwhile, even from the nested
    // loops of the handlers it dispatches.
    void setMenuOpen(bool open) { m_menuOpen = open; }
    bool menuOpen() const { return m_menuOpen; }

    platform::FileCache& pictures() { return m_pictures; }
    // An embedded picture by name; null (with a warning) when it is missing.
    std::shared_ptr<const Bitmap> embeddedPicture(std::string_view name, std::string_view forWhat);
    platform::IconHandle embeddedIcon(std::string_view name);
    HICON icon(platform::IconHandle handle) const;
    HFONT dialogFont() const { return m_dialogFont; }

    // The windows of forms and controls, for the window procedure.
    static constexpr const wchar_t* kFormClass = L"SkyrollForm";
    static constexpr const wchar_t* kPaneClass = L"SkyrollPane";
    void windowCreated(HWND window, Win32Form* form, Win32Control* control);
    void windowGone(HWND window);
    HWND windowOf(platform::WindowHandle handle) const;
    Win32Form* findForm(platform::WindowHandle window) const;
    platform::WindowHandle newWindowHandle() { return m_forms.newHandle(); }
    void formCreated(Win32Form* form) { m_forms.add(form); }
    void formGone(Win32Form* form);
    const std::vector<Win32Form*>& forms() const { return m_forms.all(); }
    // A form's window that goes frees the region it owns (the system has
    // freed the native one with the window).
    void releaseWindowRegion(platform::WindowHandle window);
    std::size_t liveRegions() const { return m_regions.size(); }
    // The tray callback reaching `window`: true when `lParam` is the mouse
    // message of a tray icon of it (and it has then been handled).
    bool trayCallback(platform::WindowHandle window, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Processes the messages waiting now; false once the program has ended.
    bool drain();
    // Sleeps until a message drain() would take arrives, one of `objects`
    // is signalled or `ms` milliseconds have passed.
    DWORD sleep(DWORD count, const HANDLE* objects, DWORD ms) const;
    void stopEverything();
    void closeMessageBoxes();

    struct Target {
        Win32Form* form = nullptr;
        Win32Control* control = nullptr;  // null: the form's own window
    };

    GdiPlus m_gdiplus;
    double m_twipsPerPixelX = 15.0, m_twipsPerPixelY = 15.0;
    LARGE_INTEGER m_frequency{}, m_start{};
    HFONT m_dialogFont = nullptr;
    std::map<HWND, Target> m_windows;
    platform::FormTable<Win32Form> m_forms;
    platform::TrayTable m_trays;
    platform::RegionTable<HRGN> m_regions;
    std::map<platform::IconHandle, HICON> m_icons;
    std::map<std::string, platform::IconHandle, std::less<>> m_iconNames;
    // Embedded pictures by name, decoded once; null for one that is missing.
    std::map<std::string, std::shared_ptr<const Bitmap>, std::less<>> m_embedded;
    std::function<void(const std::string&)> m_failureHandler;
    platform::FileCache m_pictures;
    platform::IconHandle m_nextIcon = 0x2000;
    int m_messageBoxes = 0;
    bool m_menuOpen = false;
    bool m_ended = false;
    bool m_inputBlocked = false;
    bool m_fatalShown = false;
    int m_exitCode = 0;
};

}  // namespace skyroll::win32
