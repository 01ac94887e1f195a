// How Windows asks the program to end, delivered on the UI thread: the
// console handler called on a thread of its own as the system calls it
// (there is no console to send a real Ctrl+Break under Wine without a
// terminal), taskkill's WM_CLOSE and the end of the session.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/StopRequest.h"
#include "platform/win32/StopSignals.h"

namespace skyroll::platform::win32 {
namespace {

// Runs this thread's messages until `done` or, should nothing come, a
// generous deadline; waits in the system, never spins.
template <typename Done>
void pumpUntil(Done done) {
    const ULONGLONG deadline = GetTickCount64() + 10'000;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
}

TEST(StopSignalsTest, EveryWayToEndReachesTheUiThreadOnce) {
    clearStopRequest();
    const DWORD uiThread = GetCurrentThreadId();
    {
        int calls = 0;
        DWORD callingThread = 0;
        StopSignals signals([&] {
            ++calls;
            callingThread = GetCurrentThreadId();
        });
        ASSERT_TRUE(signals.installed());
        // A console close: the handler may return only once the program has
        // cleaned up, since the process ends right after.
        std::atomic<bool> returned{false};
        std::thread console([&] {
            EXPECT_TRUE(StopSignals::consoleHandler(CTRL_CLOSE_EVENT));
            returned = true;
        });
        pumpUntil([&] { return calls > 0; });
        console.join();
        EXPECT_TRUE(returned);
        EXPECT_EQ(calls, 1);
        EXPECT_EQ(callingThread, uiThread) << "not on the console handler's thread";
        EXPECT_TRUE(stopRequested());
        // Events that are not about ending are left to the next handler.
        EXPECT_FALSE(StopSignals::consoleHandler(0x7f));

        // A second stop finds the program ending already.
        ASSERT_TRUE(PostMessageW(signals.window(), StopSignals::kStopMessage, CTRL_C_EVENT, 0));
        // Posted to this thread's own window: in the queue already.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        EXPECT_EQ(calls, 1);
    }
    clearStopRequest();
    {
        // Sent here to the message window, whose procedure the hidden
        // top-level window shares (that one needs a display under Wine).
        int calls = 0;
        StopSignals signals([&] { ++calls; });
        ASSERT_NE(signals.window(), nullptr);
        // The session may end; nothing stops until it does.
        EXPECT_EQ(SendMessageW(signals.window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        SendMessageW(signals.window(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        EXPECT_EQ(calls, 0);
        EXPECT_FALSE(stopRequested());
        // It ends: the clean-up runs before the message returns, since the
        // process may be ended right after.
        SendMessageW(signals.window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(stopRequested());
    }
    clearStopRequest();
    {
        int calls = 0;
        StopSignals signals([&] { ++calls; });
        SendMessageW(signals.window(), WM_CLOSE, 0, 0);
        EXPECT_EQ(calls, 1);
        EXPECT_TRUE(stopRequested());
        EXPECT_TRUE(IsWindow(signals.window())) << "closing is the program's business, not the window's";
    }
    clearStopRequest();
}

}  // namespace
}  // namespace skyroll::platform::win32
