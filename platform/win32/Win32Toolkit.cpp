#include "platform/win32/Win32Toolkit.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "platform/Units.h"
#include "platform/common/ProgramCall.h"
#include "platform/win32/Win32Form.h"
#include "platform/win32/Win32Support.h"

namespace skyroll::win32 {

namespace {

// The one toolkit of the thread, for the window procedure.
Win32Toolkit* g_toolkit = nullptr;

// Messages handled by one doEvents() at most, so that handlers that keep
// posting cannot hold it forever.
constexpr int kDrainBatch = 10000;

// An icon file is small; a bigger one is not ours.

bool isTrayCode(LPARAM lParam) {
    const auto value = static_cast<std::uint64_t>(lParam);
    return value >= WM_MOUSEFIRST && value <= WM_MOUSELAST;
}

BOOL CALLBACK closeMessageBox(HWND window, LPARAM) {
    wchar_t name[16] = {};
    // The system's dialog class: a message box of ours.
    if (GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == L"#32770")
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

}  // namespace

Win32Toolkit::Win32Toolkit() {
    if (g_toolkit) throw std::logic_error("one Win32 toolkit at a time");
    QueryPerformanceFrequency(&m_frequency);
    QueryPerformanceCounter(&m_start);
    if (HDC screen = GetDC(nullptr)) {
        const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        if (dpiX > 0) m_twipsPerPixelX = platform::twipsPerPixelForDpi(dpiX);
        if (dpiY > 0) m_twipsPerPixelY = platform::twipsPerPixelForDpi(dpiY);
        ReleaseDC(nullptr, screen);
    }
    m_dialogFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Win32Toolkit::windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
    windowClass.lpszClassName = kFormClass;
    RegisterClassExW(&windowClass);
    windowClass.lpszClassName = kPaneClass;
    RegisterClassExW(&windowClass);
    if (!m_gdiplus.started()) warn("skyroll.frames", "GDI+ did not start; no pictures can be shown");
    g_toolkit = this;
}

Win32Toolkit::~Win32Toolkit() {
    // Forms belong to the program and are gone by now; free what is left.
    for (HRGN region : m_regions.takeAllFree()) DeleteObject(region);
    for (auto& [handle, icon] : m_icons) DestroyIcon(icon);
    m_pictures = platform::FileCache();
    UnregisterClassW(kFormClass, GetModuleHandleW(nullptr));
    UnregisterClassW(kPaneClass, GetModuleHandleW(nullptr));
    g_toolkit = nullptr;
}

std::unique_ptr<platform::Form> Win32Toolkit::createForm(const platform::FormLayout& layout,
                                                         platform::FormEvents& events) {
    return std::make_unique<Win32Form>(*this, layout, events);
}

LRESULT CALLBACK Win32Toolkit::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (g_toolkit) {
        auto it = g_toolkit->m_windows.find(window);
        if (it != g_toolkit->m_windows.end()) {
            const Target target = it->second;
            if (message == WM_NCDESTROY) g_toolkit->windowGone(window);
            LRESULT result = 0;
            if (target.form->handle(target.control, window, message, wParam, lParam, result)) return result;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Toolkit::windowCreated(HWND window, Win32Form* form, Win32Control* control) {
    m_windows[window] = Target{form, control};
}

void Win32Toolkit::windowGone(HWND window) { m_windows.erase(window); }

void Win32Toolkit::formGone(Win32Form* form) {
    m_forms.remove(form);
    std::erase_if(m_windows, [form](const auto& entry) { return entry.second.form == form; });
}

Win32Form* Win32Toolkit::findForm(platform::WindowHandle window) const { return m_forms.find(window); }

HWND Win32Toolkit::windowOf(platform::WindowHandle handle) const {
    const Win32Form* form = findForm(handle);
    return form ? form->window() : nullptr;
}

// --- Screen and clocks -------------------------------------------------------

double Win32Toolkit::screenWidth() const { return GetSystemMetrics(SM_CXSCREEN) * m_twipsPerPixelX; }
double Win32Toolkit::screenHeight() const { return GetSystemMetrics(SM_CYSCREEN) * m_twipsPerPixelY; }

double Win32Toolkit::monotonicSeconds() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return double(now.QuadPart - m_start.QuadPart) / double(m_frequency.QuadPart);
}

float Win32Toolkit::secondsSinceMidnight() const {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return float(time.wHour * 3600 + time.wMinute * 60 + time.wSecond) + float(time.wMilliseconds) / 1000.0f;
}

// --- Dispatch and loops ------------------------------------------------------

void Win32Toolkit::dispatch(const std::function<void()>& handler) {
    if (m_ended) return;  // nothing of the program runs after its end
    platform::callProgram(
        handler, m_failureHandler, m_ended, [this](int code) { quit(code); },
        [](const char* what) { trace("skyroll.program", std::string("failure: ") + what); });
}

void Win32Toolkit::throwIfEnded() const {
    if (m_ended) throw platform::ProgramEnded{};
}

bool Win32Toolkit::drain() {
    // Inside a pop-up menu's loop (a handler the menu dispatched is waiting)
    // the mouse and the keyboard are the menu's: they stay in the queue for
    // it, and reach it once the wait is over.
    const UINT only = m_menuOpen ? PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE : 0;
    MSG msg;
    for (int n = 0; n < kDrainBatch && !m_ended && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | only); ++n) {
        if (msg.message == WM_QUIT) {
            quit(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return !m_ended;
}

DWORD Win32Toolkit::sleep(DWORD count, const HANDLE* objects, DWORD ms) const {
    // The menu's input left in the queue must not wake the wait at once:
    // only new messages of the kinds drain() takes do.
    if (m_menuOpen)
        return MsgWaitForMultipleObjectsEx(
            count, objects, ms, QS_POSTMESSAGE | QS_TIMER | QS_HOTKEY | QS_PAINT | QS_SENDMESSAGE, 0);
    return MsgWaitForMultipleObjectsEx(count, objects, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Toolkit::runNested(const std::function<bool()>& done) {
    throwIfEnded();
    MSG msg;
    while (!m_ended && !done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            quit(int(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    throwIfEnded();
}

void Win32Toolkit::doEvents() {
    throwIfEnded();
    drain();
    throwIfEnded();
}

void Win32Toolkit::runUntil(double deadline) {
    throwIfEnded();
    // Pending events go through once even when the deadline is past; then
    // the thread sleeps until a message arrives or the deadline comes.
    while (drain()) {
        const double now = monotonicSeconds();
        if (now >= deadline) break;
        const double ms = std::min(std::ceil((deadline - now) * 1000.0), 24.0 * 3600.0 * 1000.0);
        sleep(0, nullptr, DWORD(ms));
    }
    throwIfEnded();
}

bool Win32Toolkit::waitForObject(HANDLE object, DWORD ms) {
    throwIfEnded();
    const double deadline = monotonicSeconds() + ms / 1000.0;
    // As runUntil, with the object among what ends the sleep.
    while (drain()) {
        if (WaitForSingleObject(object, 0) == WAIT_OBJECT_0) return true;
        const double now = monotonicSeconds();
        if (now >= deadline) return false;
        const DWORD left = DWORD(std::ceil((deadline - now) * 1000.0));
        if (sleep(1, &object, left) == WAIT_OBJECT_0) return true;
    }
    throwIfEnded();
    return false;
}

int Win32Toolkit::run() {
    try {
        runNested([] { return false; });
    } catch (const platform::ProgramEnded&) {
        // quit() ended the loop, as it should
    }
    return m_exitCode;
}

void Win32Toolkit::quit(int code) {
    if (m_ended) return;
    m_ended = true;
    m_exitCode = code;
    trace("skyroll.program", "ended with " + std::to_string(code));
    // Loops of the system's own (a menu, a message box) end too; ours see
    // the end after the message they are handling.
    if (m_menuOpen) EndMenu();
    closeMessageBoxes();
    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
}

void Win32Toolkit::closeMessageBoxes() {
    if (m_messageBoxes > 0) EnumThreadWindows(GetCurrentThreadId(), &closeMessageBox, 0);
}

// --- Pictures and icons ------------------------------------------------------

std::shared_ptr<const Bitmap> Win32Toolkit::embeddedPicture(std::string_view name, std::string_view forWhat) {
    if (name.empty()) return nullptr;
    if (auto it = m_embedded.find(name); it != m_embedded.end()) return it->second;
    std::string error = "not in the executable";
    std::shared_ptr<const Bitmap> picture;
    if (const std::optional<std::string_view> bytes = embeddedBytes(name))
        picture = std::static_pointer_cast<const Bitmap>(decodeBitmap(*bytes, &error));
    if (!picture)
        warn("skyroll.frames",
             "embedded picture " + std::string(name) + " for " + std::string(forWhat) + " : " + error);
    m_embedded.emplace(std::string(name), picture);
    return picture;
}

platform::IconHandle Win32Toolkit::embeddedIcon(std::string_view name) {
    if (auto it = m_iconNames.find(name); it != m_iconNames.end()) return it->second;
    const std::wstring resource = resourceName(name);
    HICON icon = nullptr;
    if (!resource.empty())
        icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), resource.c_str(), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_DEFAULTCOLOR));
    if (!icon) {
        warn("skyroll.window", "embedded icon " + std::string(name) + " missing");
        return 0;
    }
    const platform::IconHandle handle = m_nextIcon++;
    m_icons.emplace(handle, icon);
    m_iconNames.emplace(std::string(name), handle);
    return handle;
}

HICON Win32Toolkit::icon(platform::IconHandle handle) const {
    auto it = m_icons.find(handle);
    return it == m_icons.end() ? nullptr : it->second;
}

// --- Tray, foreground --------------------------------------------------------

bool Win32Toolkit::shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) {
    HWND window = windowOf(data.hWnd);
    NOTIFYICONDATAW record{};
    // The first layout of the record: every version of the shell takes it.
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = window;
    record.uID = data.uID;
    if (message == NIM_ADD) {
        if (!window || m_trays.find(data.hWnd, data.uID)) return false;
        record.uFlags = data.uFlags & (NIF_MESSAGE | NIF_ICON | NIF_TIP);
        record.uCallbackMessage = data.uCallbackMessage;
        record.hIcon = icon(data.hIcon);
        // The tip is the core's ANSI text (code page 932) up to its end.
        const char* end = std::find(data.szTip, data.szTip + sizeof data.szTip, '\0');
        const std::wstring tip =
            widenCodePage(std::string_view(data.szTip, std::size_t(end - data.szTip)), 932);
        const std::size_t room = 64 - 1;  // the first layout's tip, with its end
        std::copy_n(tip.begin(), std::min(tip.size(), room), record.szTip);
        if (!Shell_NotifyIconW(NIM_ADD, &record)) {
            trace("skyroll.tray", "add failed");
            return false;
        }
        m_trays.add(data);
        trace("skyroll.tray", "added " + narrow(tip));
        return true;
    }
    if (message == NIM_DELETE) {
        if (!m_trays.remove(data.hWnd, data.uID)) return false;
        const bool removed = window && Shell_NotifyIconW(NIM_DELETE, &record);
        trace("skyroll.tray", removed ? "removed" : "remove failed");
        return removed;
    }
    return false;
}

bool Win32Toolkit::trayCallback(platform::WindowHandle window, WPARAM wParam, LPARAM lParam) {
    // The icon's messages come as the callback message with the icon's id in
    // wParam and the mouse message in lParam.
    const platform::TrayIconData* icon = m_trays.find(window, std::uint32_t(wParam));
    const bool tray = icon && icon->uCallbackMessage == WM_MOUSEMOVE && WPARAM(icon->uID) == wParam;
    if (!tray || !isTrayCode(lParam)) return false;
    const int code = int(lParam);
    // While a pop-up menu is open its loop takes the icon's messages; one
    // that a wait inside the menu let through opens no second menu either.
    if (m_inputBlocked || m_ended || m_menuOpen) {
        trace("skyroll.tray", "ignored " + std::to_string(code));
        return true;
    }
    Win32Form* form = findForm(window);
    if (!form) return true;
    trace("skyroll.tray", "callback " + std::to_string(code));
    // The code travels as the X coordinate in pixels of the form.
    const auto x = float(code * form->unitsPerPixelX());
    dispatch([form, x] { form->events().mouseMove("", 0, 0, x, 0); });
    return true;
}

bool Win32Toolkit::setForegroundWindow(platform::WindowHandle window) {
    HWND handle = windowOf(window);
    return handle && SetForegroundWindow(handle);
}

// --- Regions -----------------------------------------------------------------

platform::RegionHandle Win32Toolkit::createEllipticRgn(int left, int top, int right, int bottom) {
    HRGN region = CreateEllipticRgn(left, top, right, bottom);
    if (!region) return 0;
    const platform::RegionHandle handle = m_regions.add(region);
    trace("skyroll.region", "created " + std::to_string(handle) + " ellipse " + std::to_string(left) + " " +
                                std::to_string(top) + " " + std::to_string(right) + " " +
                                std::to_string(bottom));
    return handle;
}

int Win32Toolkit::setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) {
    Win32Form* form = findForm(window);
    HWND handle = form ? form->window() : nullptr;
    // Only a free region can be given to a window (or none at all).
    if (!handle || !m_regions.givable(region) ||
        !SetWindowRgn(handle, region ? *m_regions.find(region) : nullptr, redraw)) {
        trace("skyroll.region", "set failed " + std::to_string(region) + " window " + std::to_string(window));
        return 0;
    }
    // The window owns the region now; the system freed the one it had.
    m_regions.give(window, region);
    trace("skyroll.region", "set " + std::to_string(region) + " on " + form->name());
    return 1;
}

bool Win32Toolkit::deleteObject(platform::RegionHandle region) {
    const std::optional<HRGN> free = m_regions.takeFree(region);
    if (free) DeleteObject(*free);
    const bool live = free.has_value();
    trace("skyroll.region", "deleted " + std::to_string(region) + (live ? "" : " (not a free region)"));
    return live;
}

void Win32Toolkit::releaseWindowRegion(platform::WindowHandle window) {
    const platform::RegionHandle region = m_regions.ownedBy(window);
    if (m_regions.releaseWindow(window))
        trace("skyroll.region", "freed with window " + std::to_string(region));
}

// --- Messages and failures ---------------------------------------------------

void Win32Toolkit::setFailureHandler(std::function<void(const std::string&)> handler) {
    m_failureHandler = std::move(handler);
}

void Win32Toolkit::stopEverything() {
    m_inputBlocked = true;
    for (Win32Form* form : m_forms.all()) form->stopTimers();
    if (m_menuOpen) EndMenu();
}

void Win32Toolkit::showMessage(const std::string& message) {
    throwIfEnded();
    trace("skyroll.program", "message: " + message);
    // Modal to the program's windows; timers and the rest of the message
    // loop go on inside the box's own loop until the user dismisses it.
    ++m_messageBoxes;
    MessageBoxW(nullptr, widen(message).c_str(), L"Skyroll",
                MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
    --m_messageBoxes;
    trace("skyroll.program", "message dismissed");
    throwIfEnded();
}

void Win32Toolkit::showFatalMessage(const std::string& message) {
    stopEverything();
    if (m_fatalShown || m_ended) return;
    m_fatalShown = true;
    std::fprintf(stderr, "skyroll: %s\n", message.c_str());
    std::fflush(stderr);
    ++m_messageBoxes;
    MessageBoxW(nullptr, widen(message).c_str(), L"Skyroll",
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    --m_messageBoxes;
}

}  // namespace skyroll::win32
