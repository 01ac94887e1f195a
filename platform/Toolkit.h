#pragma once
// The windowing side of the platform: forms built from layout data, their
// controls, timers and menus, the screen, the event loop with deadlines, the
// clocks, the tray and window regions.
//
// Units: a form's Left, Top, Width and Height are twips. A control's are in
// the scale unit of its container (the form's or a picture box's). Windows
// and controls sit at whole pixels: a value set in twips is rounded to the
// nearest pixel and reads back as pixels times twips per pixel.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Layout.h"

namespace skyroll::platform {

using WindowHandle = std::uint32_t;  // 0: none
using RegionHandle = std::uint32_t;  // 0: none
using IconHandle = std::uint32_t;    // 0: none

// Thrown out of a nested event loop (a wait, a modal dialog, a pop-up menu)
// once the program has ended, so that no interrupted handler goes on. The
// toolkit's event dispatch catches it; handlers never do.
struct ProgramEnded {};

enum class WindowState { Normal, Minimized, Maximized };

class Control {
public:
    virtual ~Control() = default;

    virtual double left() const = 0;
    virtual double top() const = 0;
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual void setLeft(double v) = 0;
    virtual void setTop(double v) = 0;
    virtual void setWidth(double v) = 0;
    virtual void setHeight(double v) = 0;

    virtual bool visible() const = 0;
    virtual void setVisible(bool v) = 0;
    virtual std::string caption() const = 0;  // UTF-8
    virtual void setCaption(std::string_view utf8) = 0;

    // Timers: enabled and interval in milliseconds. Interval 0 never fires.
    // Changing the interval, or enabling a disabled timer, restarts its
    // countdown. Other controls: Enabled greys them out.
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool v) = 0;
    virtual int interval() const = 0;
    virtual void setInterval(int ms) = 0;

    // Option buttons: selected or not; selecting one clears the others of
    // its container. Other controls: false, and setting does nothing.
    virtual bool value() const = 0;
    virtual void setValue(bool v) = 0;

    // Loads a BMP, GIF or JPEG file as the control's picture, shown unscaled
    // from the top-left corner. Returns false, keeping the old picture, when
    // the file is missing, unreadable or not a picture.
    virtual bool loadPicture(const std::filesystem::path& file) = 0;
};

class MenuItem {
public:
    virtual ~MenuItem() = default;
    virtual bool checked() const = 0;
    virtual void setChecked(bool v) = 0;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool v) = 0;
};

// What a form reports to the program. Each call runs to completion on the
// user-interface thread. Names are the layout's control and menu names.
class FormEvents {
public:
    virtual ~FormEvents() = default;
    virtual void activate() {}
    virtual void unload() {}
    // `control` empty: the form itself. Coordinates in the scale unit of the
    // form or control; `button` 1 left, 2 right, 4 middle, combined.
    virtual void mouseMove(std::string_view /*control*/, int /*button*/, int /*shift*/, float /*x*/,
                           float /*y*/) {}
    virtual void timer(std::string_view /*timer*/) {}
    virtual void menuClick(std::string_view /*item*/) {}
    virtual void click(std::string_view /*control*/) {}
};

class Form {
public:
    virtual ~Form() = default;

    // 0 once the form has been unloaded.
    virtual WindowHandle handle() const = 0;
    virtual IconHandle icon() const = 0;

    virtual double left() const = 0;
    virtual double top() const = 0;
    virtual double width() const = 0;
    virtual double height() const = 0;
    virtual void setLeft(double twips) = 0;
    virtual void setTop(double twips) = 0;
    virtual void setWidth(double twips) = 0;
    virtual void setHeight(double twips) = 0;
    virtual WindowState windowState() const = 0;

    virtual bool visible() const = 0;
    virtual void show() = 0;  // shows and activates it
    virtual void hide() = 0;
    // Shows the form modally: returns once it has been unloaded, running the
    // event loop meanwhile. Throws ProgramEnded if the program ends inside.
    virtual void showModal() = 0;
    // Reports unload to the program, then destroys the window and its
    // controls. Does nothing once unloaded.
    virtual void unload() = 0;
    virtual bool loaded() const = 0;

    // Named controls and menu items of the layout; unknown names are a
    // programming error and throw std::out_of_range.
    virtual Control& control(std::string_view name) = 0;
    virtual MenuItem& menu(std::string_view name) = 0;

    // Shows the submenu of `menu` at the pointer. A chosen enabled command
    // arrives as FormEvents::menuClick. Throws ProgramEnded if the program
    // ends inside.
    virtual void popupMenu(std::string_view menu) = 0;

    // Paints the form now without processing any event.
    virtual void repaintNow() = 0;
};

// The shell's tray record in its classic 88-byte layout.
struct TrayIconData {
    std::uint32_t cbSize = 0;
    WindowHandle hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    IconHandle hIcon = 0;
    char szTip[64] = {};
    friend bool operator==(const TrayIconData&, const TrayIconData&) = default;
};
inline constexpr std::uint32_t NIM_ADD = 0;
inline constexpr std::uint32_t NIM_DELETE = 2;
inline constexpr std::uint32_t NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4;
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x200;
inline constexpr int WM_LBUTTONDOWN = 0x201, WM_LBUTTONUP = 0x202, WM_LBUTTONDBLCLK = 0x203,
                     WM_RBUTTONDOWN = 0x204, WM_RBUTTONUP = 0x205, WM_MBUTTONDOWN = 0x207;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Builds the form and its controls (hidden, not yet loaded by the
    // program) and routes its events to `events`. Never returns null.
    virtual std::unique_ptr<Form> createForm(const FormLayout& layout, FormEvents& events) = 0;

    // Screen size in twips and twips per pixel.
    virtual double screenWidth() const = 0;
    virtual double screenHeight() const = 0;
    virtual double twipsPerPixelX() const = 0;
    virtual double twipsPerPixelY() const = 0;

    // Processes the events that are pending now, once, and returns.
    // Throws ProgramEnded if the program ends inside.
    virtual void doEvents() = 0;
    // Processes events as they come until the monotonic clock reaches
    // `deadline`, without burning the processor. Throws ProgramEnded if the
    // program ends inside.
    virtual void runUntil(double deadline) = 0;
    // Runs the main event loop until quit(); returns quit's code.
    virtual int run() = 0;
    // Ends the program: every loop returns, nested ones by ProgramEnded.
    virtual void quit(int code) = 0;
    virtual bool ended() const = 0;

    // Seconds from an arbitrary start, never going back.
    virtual double monotonicSeconds() const = 0;
    // Seconds since local midnight, as single precision; starts again at 0.
    virtual float secondsSinceMidnight() const = 0;

    // Shell_NotifyIcon: add or delete the tray icon. False on failure.
    virtual bool shellNotifyIcon(std::uint32_t message, const TrayIconData& data) = 0;
    // False when the window could not be brought to the foreground.
    virtual bool setForegroundWindow(WindowHandle window) = 0;

    // Regions in window pixels. createEllipticRgn returns 0 on failure;
    // setWindowRgn returns 0 on failure; otherwise the window owns the
    // region and frees it with itself. deleteObject returns false, freeing
    // nothing, for a handle that is not a live region or that a window owns.
    virtual RegionHandle createEllipticRgn(int left, int top, int right, int bottom) = 0;
    virtual int setWindowRgn(WindowHandle window, RegionHandle region, bool redraw) = 0;
    virtual bool deleteObject(RegionHandle region) = 0;

    // Shows `message` to the user and returns once the user has dismissed
    // it; events go on meanwhile. The program goes on afterwards. Throws
    // ProgramEnded if the program ends inside.
    virtual void showMessage(const std::string& message) = 0;

    // Called with the message of a failure that escaped an event handler;
    // the program ends itself from there.
    virtual void setFailureHandler(std::function<void(const std::string&)> handler) = 0;
    // Stops every timer and blocks the menus and the tray (a failure is
    // being reported), then shows `message` once and waits for the user.
    virtual void showFatalMessage(const std::string& message) = 0;
};

}  // namespace skyroll::platform
