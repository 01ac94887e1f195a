#include "platform/win32/StopSignals.h"

#include <atomic>
#include <initializer_list>

#include "platform/StopRequest.h"

namespace skyroll::platform::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"SkyrollStopSignals";
// Windows ends a process soon after its handler returns from a console
// close, log-off or shutdown (about 5 s after the event at most): the clean
// end on the UI thread gets this long first.
constexpr DWORD kCleanEndWaitMs = 4000;

std::atomic<StopSignals*> g_instance{nullptr};

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop) : m_onStop(std::move(onStop)) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &StopSignals::windowProcedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClass;
    // A second registration in the same process (tests) finds the class there.
    if (RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        m_window = CreateWindowExW(0, kWindowClass, L"Skyroll", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                                   nullptr);
        // Never shown.
        m_sessionWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Skyroll", WS_POPUP, 0, 0, 0, 0,
                                          nullptr, nullptr, module, nullptr);
    }
    for (HWND window : {m_window, m_sessionWindow})
        if (window != nullptr) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_stopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_instance.store(this);
    m_handlerInstalled = SetConsoleCtrlHandler(&StopSignals::consoleHandler, TRUE) != 0;
}

StopSignals::~StopSignals() {
    if (m_handlerInstalled) SetConsoleCtrlHandler(&StopSignals::consoleHandler, FALSE);
    g_instance.store(nullptr);
    for (HWND window : {m_window, m_sessionWindow})
        if (window != nullptr) DestroyWindow(window);
    if (m_stopped != nullptr) CloseHandle(m_stopped);
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI StopSignals::consoleHandler(DWORD event) noexcept {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            break;
        default:
            return FALSE;
    }
    requestStop();
    StopSignals* const self = g_instance.load();
    if (self == nullptr || self->m_window == nullptr ||
        !PostMessageW(self->m_window, kStopMessage, static_cast<WPARAM>(event), 0))
        return TRUE;
    // After these the process ends when the handler returns: the user's
    // wallpaper and the tray icon must be given back first.
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && self->m_stopped != nullptr)
        WaitForSingleObject(self->m_stopped, kCleanEndWaitMs);
    return TRUE;
}

LRESULT CALLBACK StopSignals::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* const self = reinterpret_cast<StopSignals*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case kStopMessage:
            if (self != nullptr) self->stopNow();
            return 0;
        case WM_QUERYENDSESSION:
            // Nothing to save: the session may end. What must be undone is
            // undone once it does.
            return TRUE;
        case WM_CLOSE:
            // taskkill and the like: the program is asked to end, like SIGTERM.
            if (self != nullptr) {
                requestStop();
                self->stopNow();
            }
            return 0;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns.
            if (wParam != 0 && self != nullptr) {
                requestStop();
                self->stopNow();
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void StopSignals::stopNow() noexcept {
    if (!m_called) {
        m_called = true;
        if (m_onStop) m_onStop();
    }
    if (m_stopped != nullptr) SetEvent(m_stopped);
}

}  // namespace skyroll::platform::win32
