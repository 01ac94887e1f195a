#include "platform/win32/Win32Form.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "platform/Units.h"
#include "platform/win32/Win32Support.h"
#include "platform/win32/Win32Toolkit.h"

namespace skyroll::win32 {

using platform::ControlKind;
using platform::ScaleUnit;

namespace {

int buttonMask(WPARAM keys) {
    return (keys & MK_LBUTTON ? 1 : 0) | (keys & MK_RBUTTON ? 2 : 0) | (keys & MK_MBUTTON ? 4 : 0);
}

int shiftMask(WPARAM keys) {
    return (keys & MK_SHIFT ? 1 : 0) | (keys & MK_CONTROL ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

constexpr UINT kFirstCommand = 100;

}  // namespace

Win32Form::Win32Form(Win32Toolkit& toolkit, const platform::FormLayout& layout, platform::FormEvents& events)
    : m_toolkit(toolkit),
      m_events(events),
      m_name(layout.name),
      m_scale(layout.scale),
      m_handle(toolkit.newWindowHandle()),
      m_widthTwips(layout.width),
      m_heightTwips(layout.height) {
    m_backColor = layout.backColor ? RGB(layout.backColor->r, layout.backColor->g, layout.backColor->b)
                                   : GetSysColor(COLOR_BTNFACE);
    m_backBrush = CreateSolidBrush(m_backColor);
    if (!layout.backPicture.empty()) m_backPicture = toolkit.embeddedPicture(layout.backPicture, m_name);
    if (!layout.icon.empty()) m_icon = toolkit.embeddedIcon(layout.icon);
    // True-colour displays need no palette; the picture is drawn as it is.
    if (!layout.palette.empty())
        trace("skyroll.window", m_name + " palette " + std::string(layout.palette) + " not needed");

    m_leftPx = platform::twipsToPixels(layout.left, toolkit.twipsPerPixelX());
    m_topPx = platform::twipsToPixels(layout.top, toolkit.twipsPerPixelY());
    const long w = std::max(1L, platform::twipsToPixels(m_widthTwips, toolkit.twipsPerPixelX()));
    const long h = std::max(1L, platform::twipsToPixels(m_heightTwips, toolkit.twipsPerPixelY()));
    // Borderless; a window that shows no task-bar button is a tool window.
    const DWORD exStyle = layout.showInTaskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
    m_window = CreateWindowExW(exStyle, Win32Toolkit::kFormClass, widen(layout.title).c_str(),
                               WS_POPUP | WS_CLIPCHILDREN, int(m_leftPx), int(m_topPx), int(w), int(h),
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!m_window) {
        DeleteObject(m_backBrush);
        throw std::runtime_error("cannot create the window of " + m_name);
    }
    toolkit.windowCreated(m_window, this, nullptr);
    if (HICON icon = toolkit.icon(m_icon)) {
        SendMessageW(m_window, WM_SETICON, ICON_SMALL, LPARAM(icon));
        SendMessageW(m_window, WM_SETICON, ICON_BIG, LPARAM(icon));
    }

    // Containers come before their contents in the layout.
    UINT_PTR nextTimer = 1;
    for (const auto& c : layout.controls) {
        Win32Control* container = c.container.empty() ? nullptr : findControl(c.container);
        const UINT_PTR timerId = c.kind == ControlKind::Timer ? nextTimer++ : 0;
        m_controls.push_back(std::make_unique<Win32Control>(*this, c, container, timerId));
    }
    if (layout.menu) buildMenu(*layout.menu, nullptr, 0);
    toolkit.formCreated(this);
    trace("skyroll.window", "created " + m_name + " window " + std::to_string(m_handle));
}

Win32Form::~Win32Form() {
    if (m_state.drop()) {
        stopTimers();
        m_toolkit.releaseWindowRegion(m_handle);
    }
    destroyWindow();
    m_controls.clear();
    m_menus.clear();
    if (m_menuRoot) DestroyMenu(m_menuRoot);
    if (m_backBrush) DeleteObject(m_backBrush);
    m_toolkit.formGone(this);
}

void Win32Form::buildMenu(const platform::MenuLayout& item, HMENU parent, UINT position) {
    const std::string name(item.name);
    if (!parent) {
        m_menuRoot = CreatePopupMenu();
        m_menus.push_back(
            std::make_unique<Win32MenuItem>(name, nullptr, 0, m_menuRoot, 0, item.checked, item.enabled));
        UINT i = 0;
        for (const auto& child : item.children) buildMenu(child, m_menuRoot, i++);
        return;
    }
    const std::wstring caption = widen(item.caption);
    if (!item.children.empty()) {
        HMENU submenu = CreatePopupMenu();
        AppendMenuW(parent, MF_POPUP | MF_STRING, UINT_PTR(submenu), caption.c_str());
        m_menus.push_back(
            std::make_unique<Win32MenuItem>(name, parent, position, submenu, 0, item.checked, item.enabled));
        UINT i = 0;
        for (const auto& child : item.children) buildMenu(child, submenu, i++);
        return;
    }
    const UINT command = kFirstCommand + UINT(m_menus.size());
    AppendMenuW(parent, MF_STRING, command, caption.c_str());
    m_menus.push_back(std::make_unique<Win32MenuItem>(name, parent, position, nullptr, command, item.checked,
                                                      item.enabled));
}

double Win32Form::unitsPerPixelX() const {
    return m_scale == ScaleUnit::Pixels ? 1.0 : m_toolkit.twipsPerPixelX();
}
double Win32Form::unitsPerPixelY() const {
    return m_scale == ScaleUnit::Pixels ? 1.0 : m_toolkit.twipsPerPixelY();
}

// --- Geometry ----------------------------------------------------------------

double Win32Form::left() const {
    RECT r;
    const long x = m_window && GetWindowRect(m_window, &r) ? r.left : m_leftPx;
    return double(x) * m_toolkit.twipsPerPixelX();
}
double Win32Form::top() const {
    RECT r;
    const long y = m_window && GetWindowRect(m_window, &r) ? r.top : m_topPx;
    return double(y) * m_toolkit.twipsPerPixelY();
}

void Win32Form::setLeft(double twips) {
    m_leftPx = platform::twipsToPixels(twips, m_toolkit.twipsPerPixelX());
    RECT r;
    if (m_window && GetWindowRect(m_window, &r)) m_topPx = r.top;
    if (m_window)
        SetWindowPos(m_window, nullptr, int(m_leftPx), int(m_topPx), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32Form::setTop(double twips) {
    m_topPx = platform::twipsToPixels(twips, m_toolkit.twipsPerPixelY());
    RECT r;
    if (m_window && GetWindowRect(m_window, &r)) m_leftPx = r.left;
    if (m_window)
        SetWindowPos(m_window, nullptr, int(m_leftPx), int(m_topPx), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32Form::setWidth(double twips) {
    m_widthTwips = twips;
    const long w = std::max(1L, platform::twipsToPixels(twips, m_toolkit.twipsPerPixelX()));
    const long h = std::max(1L, platform::twipsToPixels(m_heightTwips, m_toolkit.twipsPerPixelY()));
    if (m_window)
        SetWindowPos(m_window, nullptr, 0, 0, int(w), int(h), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void Win32Form::setHeight(double twips) {
    m_heightTwips = twips;
    setWidth(m_widthTwips);
}

platform::WindowState Win32Form::windowState() const {
    if (m_window && IsIconic(m_window)) return platform::WindowState::Minimized;
    if (m_window && IsZoomed(m_window)) return platform::WindowState::Maximized;
    return platform::WindowState::Normal;
}

// --- Showing, unloading ------------------------------------------------------

bool Win32Form::visible() const { return m_window && IsWindowVisible(m_window); }

void Win32Form::show() {
    if (!loaded() || !m_window) return;
    ShowWindow(m_window, SW_SHOW);
    BringWindowToTop(m_window);
    SetForegroundWindow(m_window);
    trace("skyroll.window", "shown " + m_name);
}

void Win32Form::hide() {
    if (m_window) ShowWindow(m_window, SW_HIDE);
    trace("skyroll.window", "hidden " + m_name);
}

void Win32Form::showModal() {
    m_toolkit.throwIfEnded();
    if (!loaded()) return;
    // The other windows of the program take no input until this one is gone.
    std::vector<HWND> disabled;
    for (Win32Form* other : m_toolkit.forms()) {
        HWND window = other->window();
        if (other != this && window && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            disabled.push_back(window);
        }
    }
    struct Restore {
        std::vector<HWND>& windows;
        ~Restore() {
            for (HWND window : windows)
                if (IsWindow(window)) EnableWindow(window, TRUE);
        }
    } restore{disabled};
    show();
    // Entered again from inside, each loop ends with the unload.
    m_toolkit.runNested([this] { return !loaded(); });
}

bool Win32Form::takesEvents() const { return loaded() && !m_toolkit.inputBlocked(); }

void Win32Form::unload() {
    if (!loaded()) return;
    trace("skyroll.window", "unload " + m_name);
    m_state.unload([this] { m_events.unload(); },
                   [this] {
                       stopTimers();
                       m_toolkit.releaseWindowRegion(m_handle);
                       if (m_menuShown) EndMenu();  // its open menu closes with it
                       destroyWindow();
                   });
}

void Win32Form::destroyWindow() {
    if (!m_window) return;
    // Destroying a window that is inside its own window procedure is fine:
    // this object stays, only its window goes.
    HWND window = m_window;
    for (auto& c : m_controls) c->keepState();
    ShowWindow(window, SW_HIDE);
    DestroyWindow(window);
    m_window = nullptr;
    for (auto& c : m_controls) c->windowDestroyed();
}

void Win32Form::stopTimers() {
    for (auto& c : m_controls) c->stopTimer();
}

void Win32Form::repaintNow() {
    if (m_window && IsWindowVisible(m_window))
        RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// --- Controls and menus ------------------------------------------------------

Win32Control* Win32Form::findControl(std::string_view name) const {
    return platform::findNamed(m_controls, name);
}

Win32Control* Win32Form::controlOfWindow(HWND window) const {
    for (const auto& c : m_controls)
        if (window && c->window() == window) return c.get();
    return nullptr;
}

platform::Control& Win32Form::control(std::string_view name) {
    if (Win32Control* c = findControl(name)) return *c;
    platform::throwNoSuch("control", name, m_name);
}

platform::MenuItem& Win32Form::menu(std::string_view name) {
    if (Win32MenuItem* m = platform::findNamed(m_menus, name)) return *m;
    platform::throwNoSuch("menu item", name, m_name);
}

void Win32Form::popupMenu(std::string_view name) {
    m_toolkit.throwIfEnded();
    const Win32MenuItem* item = platform::findNamed(m_menus, name);
    if (!item || !item->submenu()) platform::throwNoSuch("submenu", name, m_name);
    // One pop-up menu at a time: the system refuses a second one anyway.
    if (!takesEvents() || m_toolkit.menuOpen() || !m_window) return;

    POINT at{};
    GetCursorPos(&at);
    trace("skyroll.menu", "popup " + m_name + " " + std::string(name) + " at " + std::to_string(at.x) + "," +
                              std::to_string(at.y));
    // The window must be in the foreground for the menu to close when the
    // user clicks elsewhere; the null message afterwards lets the next
    // click after a tray menu work (as the shell's documentation advises).
    SetForegroundWindow(m_window);
    m_toolkit.setMenuOpen(true);
    m_menuShown = true;
    const UINT command = UINT(TrackPopupMenuEx(
        item->submenu(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
        int(at.x), int(at.y), m_window, nullptr));
    m_toolkit.setMenuOpen(false);
    m_menuShown = false;
    if (m_window) PostMessageW(m_window, WM_NULL, 0, 0);
    m_toolkit.throwIfEnded();

    std::string chosen;
    for (const auto& m : m_menus)
        if (command != 0 && m->command() == command) chosen = m->name();
    if (chosen.empty()) {
        trace("skyroll.menu", "popup closed");
        return;
    }
    trace("skyroll.menu", "chosen " + m_name + " " + chosen);
    if (takesEvents()) m_events.menuClick(chosen);
}

// --- Messages ----------------------------------------------------------------

bool Win32Form::handle(Win32Control* control, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT& result) {
    result = 0;
    switch (message) {
        case WM_NCDESTROY:
            if (control)
                control->windowDestroyed();
            else if (window == m_window)
                m_window = nullptr;
            return false;
        case WM_ERASEBKGND:
            result = 1;  // everything is painted in WM_PAINT
            return true;
        case WM_PAINT:
            paint(control, window);
            return true;
        case WM_PRINTCLIENT: {
            // What the window shows, drawn into the caller's device context.
            RECT client;
            GetClientRect(window, &client);
            paintTo(control, reinterpret_cast<HDC>(wParam), client);
            return true;
        }
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            mouse(control, window, message, wParam, lParam);
            return true;
        case WM_TIMER:
            if (control) return false;
            for (const auto& c : m_controls) {
                if (c->kind() == ControlKind::Timer && c->timerId() == wParam) {
                    // The handler may end with this form gone: nothing of it
                    // is touched afterwards.
                    const std::string timer = c->name();
                    m_toolkit.dispatch([this, &timer] {
                        if (takesEvents()) m_events.timer(timer);
                    });
                    return true;
                }
            }
            return true;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && lParam) {
                if (Win32Control* button = controlOfWindow(reinterpret_cast<HWND>(lParam))) {
                    button->clicked();
                    return true;
                }
            }
            return false;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (Win32Control* button = controlOfWindow(reinterpret_cast<HWND>(lParam))) {
                result = LRESULT(button->colorButton(reinterpret_cast<HDC>(wParam)));
                return true;
            }
            return false;
        case WM_ACTIVATE:
            if (!control && LOWORD(wParam) != WA_INACTIVE && loaded()) {
                trace("skyroll.window", "activated " + m_name);
                m_toolkit.dispatch([this] {
                    if (takesEvents()) m_events.activate();
                });
            }
            return false;
        case WM_CLOSE:
            // The system asks to close: the form is unloaded.
            m_toolkit.dispatch([this] { unload(); });
            return true;
        default:
            return false;
    }
}

void Win32Form::paint(Win32Control* container, HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc) return;
    RECT client;
    GetClientRect(window, &client);
    const int w = int(client.right), h = int(client.bottom);
    // Painted off the screen first: the globe changes several times a
    // second and must not flicker.
    HDC buffer = w > 0 && h > 0 ? CreateCompatibleDC(dc) : nullptr;
    HBITMAP bitmap = buffer ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    const RECT clip = ps.rcPaint;
    if (bitmap) {
        HGDIOBJ old = SelectObject(buffer, bitmap);
        paintTo(container, buffer, clip);
        BitBlt(dc, int(clip.left), int(clip.top), int(clip.right - clip.left), int(clip.bottom - clip.top),
               buffer, int(clip.left), int(clip.top), SRCCOPY);
        SelectObject(buffer, old);
        DeleteObject(bitmap);
    } else {
        paintTo(container, dc, clip);
    }
    if (buffer) DeleteDC(buffer);
    EndPaint(window, &ps);
}

void Win32Form::paintTo(Win32Control* container, HDC dc, const RECT& clip) {
    if (container) {
        container->paintFace(dc, clip);
    } else {
        FillRect(dc, &clip, m_backBrush);
        if (m_backPicture) m_backPicture->draw(dc, 0, 0, clip);
    }
    for (const auto& c : m_controls)
        if (c->container() == container && c->light() && c->visible()) c->paintLight(dc, clip);
}

void Win32Form::mouse(Win32Control* container, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_MOUSEMOVE) {
        // A press holds the mouse until every button is up, so a drag that
        // outruns the window goes on reaching it.
        const bool down = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
        if (down)
            SetCapture(window);
        else if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == window)
            ReleaseCapture();
        return;
    }
    // The tray icon reports its mouse events to the form's window as moves.
    if (!container && m_toolkit.trayCallback(m_handle, wParam, lParam)) return;
    if (!takesEvents()) return;
    const long x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    // A label or image takes the mouse itself, in its container's unit.
    const Win32Control* light = nullptr;
    for (const auto& c : m_controls) {
        const RECT r = c->rect();
        if (c->container() == container && c->light() && c->visible() && x >= r.left && x < r.right &&
            y >= r.top && y < r.bottom)
            light = c.get();
    }
    std::string name;
    double ux = unitsPerPixelX(), uy = unitsPerPixelY();
    long localX = x, localY = y;
    if (light) {
        name = light->name();
        ux = light->mouseUnitsPerPixelX();
        uy = light->mouseUnitsPerPixelY();
        localX -= light->rect().left;
        localY -= light->rect().top;
    } else if (container) {
        name = container->name();
        ux = container->mouseUnitsPerPixelX();
        uy = container->mouseUnitsPerPixelY();
    }
    const int button = buttonMask(wParam), shift = shiftMask(wParam);
    const auto fx = float(double(localX) * ux), fy = float(double(localY) * uy);
    m_toolkit.dispatch(
        [this, &name, button, shift, fx, fy] { m_events.mouseMove(name, button, shift, fx, fy); });
}

}  // namespace skyroll::win32
