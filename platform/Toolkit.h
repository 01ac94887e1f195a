#pragma once
// The windowing side of the platform: forms built from layout data, their
// controls, timers and menus, the screen, the event loop with deadlines, the
// clocks, the tray and window regions.
//
// Units: a form's Left, Top, Width and Height are twips. A control's are in
// the scale unit of its container (the form's or a picture box's). Windows
// and controls sit at whole pixels: a value set in twips is rounded to the
// nearest pixel and reads back as pixels times twips per pixel.
//
// The contract below holds on every toolkit (headless, Qt, Win32) and one
// test suite checks it on each. Where the program's behaviour does not
// decide an edge, the toolkits do what the Win32 API does, since the
// program's handlers were written against it.
//
// Handles. A form's window handle is non-zero while the form is loaded and
// reads 0 once it is unloaded; no handle is given out twice. A call given 0,
// or a handle that is not a loaded form of this toolkit, does nothing and
// fails: setWindowRgn returns 0, setForegroundWindow and shellNotifyIcon
// return false, deleteObject returns false.
//
// Names. control(), menu() and popupMenu() take the layout's names; a name
// the form does not have (or, for popupMenu, an item that opens no submenu)
// is a programming error and throws std::out_of_range.
//
// Event loops. Every handler runs to its end on the user-interface thread.
// Any handler may enter a nested loop (doEvents, runUntil, showModal,
// popupMenu, showMessage); every event, timers included, goes on inside it,
// even one for the form or timer whose handler is waiting. Once quit() has
// been called, every loop returns: the nested ones throw ProgramEnded, which
// the toolkit's dispatch swallows, and each of those calls entered later
// throws it at once. A failure (exception) escaping a handler goes to the
// failure handler; with none, the program ends with status 1.
//
// Unload. Form::unload reports unload to the program, then the form is gone
// for good: handle() reads 0, its timers never fire again, events already
// queued for it are dropped, its region is freed, its open pop-up menu
// closes and every modal loop on it returns. A form may unload itself from
// inside any of its own handlers; that handler runs to its end. Unloading
// again, also from inside the unload handler, does nothing; an unload
// handler that throws still leaves the form unloaded. The Form object and
// its controls stay valid after unload (values read back as last set);
// destroying the object frees its window and region without reporting
// unload.

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

    // Timers: enabled and interval in milliseconds. A negative interval is
    // taken as 0, and interval 0 never fires (Enabled keeps its value).
    // Setting the interval (even to the same value), or enabling a disabled
    // timer, restarts its countdown; enabling an enabled one does not.
    // Timers fire in the order they fall due, only from an event loop.
    // Other controls: Enabled greys them out.
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
    // Shows the form modally: the program's other windows take no input
    // until it returns, once the form has been unloaded; events go on
    // meanwhile. On an unloaded form it returns at once. Entered again for
    // the same form from inside (a handler that runs in the modal loop), it
    // runs a second loop, and both return once the form is unloaded. Throws
    // ProgramEnded if the program ends inside.
    virtual void showModal() = 0;
    // Reports unload to the program, then destroys the window and its
    // controls. Does nothing once unloaded.
    virtual void unload() = 0;
    virtual bool loaded() const = 0;

    // Named controls and menu items of the layout; unknown names are a
    // programming error and throw std::out_of_range.
    virtual Control& control(std::string_view name) = 0;
    virtual MenuItem& menu(std::string_view name) = 0;

    // Shows the submenu of `menu` at the pointer and returns once it has
    // closed; events go on while it is open. A command the user chooses
    // arrives as FormEvents::menuClick once the menu has closed, before this
    // returns; a disabled item, or one in a disabled submenu, cannot be
    // chosen, and choosing never changes a check mark (the program sets its
    // own). On an unloaded form, or once a fatal message has blocked input,
    // it shows nothing and returns at once. A menu held open across a
    // handler that waits (a timer's nested loop) behaves the same, and so
    // does every menu opened after it. Throws ProgramEnded if the program
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

    // Shell_NotifyIcon: NIM_ADD adds the icon of (hWnd, uID), which must be
    // a loaded form's window with no icon of that id yet; false otherwise,
    // or when no tray shows it now (a toolkit may still show it once a tray
    // appears; it is then deleted as any other). NIM_DELETE deletes an icon
    // added before, false for any other. Other messages: false. The icon's
    // mouse events reach the form as mouseMove on the form itself (control
    // empty) with the mouse message (WM_RBUTTONDOWN, ...) as X in pixels of
    // the form, expressed in the form's scale unit.
    virtual bool shellNotifyIcon(std::uint32_t message, const TrayIconData& data) = 0;
    // False when the window could not be brought to the foreground.
    virtual bool setForegroundWindow(WindowHandle window) = 0;

    // Regions in window pixels. createEllipticRgn takes the bounding box's
    // corners in any order and returns a new region that nobody owns, or 0
    // when the system refuses. setWindowRgn gives the window a region that
    // nobody owns (or 0: no shape any more) and returns non-zero; the
    // window owns it from then on, frees the region it owned before, and
    // frees its region when it is unloaded or destroyed. A region some
    // window owns, this one included, or one that is not live cannot be
    // given: 0, nothing changes. deleteObject frees a live region that
    // nobody owns and returns true; for a region a window owns, or a handle
    // that is not a live region, it returns false and frees nothing.
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
