#pragma once
// Carries the ways Windows asks a program to end into the UI thread, as the
// terminating signals are on Linux: WM_CLOSE to the program's windows (what
// taskkill without /F sends), the end of the session, and, when the program
// has a console, its Ctrl+C, Ctrl+Break and close. Each sets the program's
// stop request at once (which ends a transfer or a wait that keeps the event
// loop from running) and calls `onStop` on the thread that made the
// StopSignals.
//
// A message-only window of its own receives the stop from the console
// handler's thread as a posted message. A hidden top-level window with the
// same window procedure receives WM_CLOSE and the session's end
// (WM_QUERYENDSESSION / WM_ENDSESSION), which Windows sends to every
// top-level window and never to a message-only one: the toolkit's windows
// need not pass them on, though the toolkit should end the program on a
// WM_CLOSE of its own windows too.

#include <windows.h>

#include <functional>

namespace skyroll::platform::win32 {

class StopSignals final {
public:
    // One instance per process, made on the UI thread, whose message loop
    // then delivers `onStop`. `onStop` must not throw (wrap it in the
    // toolkit's dispatch); it is called once, however many stops arrive.
    explicit StopSignals(std::function<void()> onStop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // False when the message window or the console handler could not be
    // made; the program then runs without them.
    bool installed() const { return m_window != nullptr && m_handlerInstalled; }
    // The message-only window; a test posts or sends to it what Windows would.
    HWND window() const { return m_window; }
    // The hidden top-level window; null where there is no desktop to make it
    // on (Wine without a display).
    HWND sessionWindow() const { return m_sessionWindow; }

    // The message the console handler posts to window().
    static constexpr UINT kStopMessage = WM_APP + 0x5e;

    // The console control handler, which the system calls on a thread of its
    // own (public for tests, which have no console under Wine).
    static BOOL WINAPI consoleHandler(DWORD event) noexcept;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void stopNow() noexcept;

    std::function<void()> m_onStop;
    HWND m_window = nullptr;
    HWND m_sessionWindow = nullptr;
    HANDLE m_stopped = nullptr;  // set once onStop has returned
    bool m_handlerInstalled = false;
    bool m_called = false;
};

}  // namespace skyroll::platform::win32
