// The toolkit contract on the Win32 toolkit, under Wine with a display. The
// user acts from thread timers, which every loop of the thread dispatches
// (the menu's and the message box's own loops too): messages as the system
// sends them, menu items clicked with the pointer.

// The cases first: windows.h defines the names of the tray's constants as
// macros, which the cases use as the platform's.
#include "tests/platform/contract/ToolkitContract.h"
// Then the toolkit, which brings windows.h.
#include <algorithm>
#include <map>
#include <utility>

#include "platform/win32/Win32Form.h"
#include "platform/win32/Win32Toolkit.h"
#include "tests/windows/Win32MenuUser.h"

namespace skyroll::contract {
namespace {

using win32::Win32Form;

class Win32Driver final : public ToolkitDriver {
public:
    ~Win32Driver() override {
        for (const auto& entry : steps()) KillTimer(nullptr, entry.first);
        steps().clear();
    }

    platform::Toolkit& toolkit() override { return m_toolkit; }
    bool virtualClock() const override { return false; }
    void runUntil(const std::function<bool()>& done, double seconds) override {
        runLoopUntil(m_toolkit, done, seconds);
    }
    void post(std::function<void()> action) override {
        every(0, [this, action] {
            m_toolkit.dispatch(action);
            return true;
        });
    }
    void answerNextMenu(platform::Form& form, std::string item, std::function<bool()> when) override {
        m_menuAnswers.push_back(win32::answerNextMenu(dynamic_cast<Win32Form&>(form), std::move(item), when));
    }
    void answerNextMessage(std::function<bool()> when) override {
        every(20, [when] {
            HWND box = nullptr;
            EnumThreadWindows(GetCurrentThreadId(), &findMessageBox, LPARAM(&box));
            if (!box || !when()) return false;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        });
    }
    void click(platform::Form& form, std::string control) override {
        // Posted to the button's window: gone with its form, so is the click.
        if (HWND button = dynamic_cast<Win32Form&>(form).findControl(control)->window())
            PostMessageW(button, BM_CLICK, 0, 0);
    }
    void close(platform::Form& form) override {
        PostMessageW(dynamic_cast<Win32Form&>(form).window(), WM_CLOSE, 0, 0);
    }
    std::size_t liveRegions() const override { return m_toolkit.liveRegions(); }
    void pressTray(platform::Form& form, std::uint32_t id) override {
        // As the shell reports it: the callback message, the icon's id, the
        // mouse message.
        PostMessageW(dynamic_cast<Win32Form&>(form).window(), WM_MOUSEMOVE, id, WM_RBUTTONDOWN);
    }

private:
    // The steps polled by thread timers, by timer id. A step runs with its
    // timer stopped (it may enter a loop that dispatches timers) and is set
    // again unless it returns true.
    struct Step {
        UINT ms;
        std::function<bool()> run;
    };
    static std::map<UINT_PTR, Step>& steps() {
        static std::map<UINT_PTR, Step> all;
        return all;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        auto it = steps().find(id);
        if (it == steps().end()) return;
        Step step = std::move(it->second);
        steps().erase(it);
        if (!step.run()) every(step.ms, std::move(step.run));
    }
    static void every(UINT ms, std::function<bool()> run) {
        if (const UINT_PTR id = SetTimer(nullptr, 0, ms, &tick)) steps()[id] = Step{ms, std::move(run)};
    }
    static BOOL CALLBACK findMessageBox(HWND window, LPARAM found) {
        wchar_t name[16] = {};
        // The system's dialog class, as the message box's.
        if (IsWindowVisible(window) && GetClassNameW(window, name, 16) > 0 &&
            std::wstring_view(name) == L"#32770") {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    win32::Win32Toolkit m_toolkit;
    std::vector<win32::MenuAnswer> m_menuAnswers;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ToolkitContract, Win32Driver);

}  // namespace
}  // namespace skyroll::contract
