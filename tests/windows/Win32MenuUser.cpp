#include "Win32MenuUser.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace skyroll::win32 {

struct MenuAnswer::State {
    Win32Form* form = nullptr;
    std::string item;
    std::function<bool()> when;
    UINT_PTR timer = 0;
    bool given = false;
};

namespace {

// The answers waiting on this thread, the first first.
std::vector<MenuAnswer::State*> g_answers;
// When the menu on the screen was first seen; 0: none since the last answer.
DWORD g_openedAt = 0;
// When a greyed item was clicked; 0: none, or its menu has closed since.
DWORD g_clickedAt = 0;

// The screen rectangle of an item of a menu on the screen; false when the
// menu is not shown.
bool itemRect(HMENU menu, UINT position, RECT& rect) {
    return menu && GetMenuItemRect(nullptr, menu, position, &rect) != 0;
}

bool shown(HMENU menu) {
    RECT rect;
    return itemRect(menu, 0, rect);
}

const Win32MenuItem* findItem(const Win32Form& form, std::string_view name) {
    for (const auto& m : form.menuItems())
        if (m->name() == name) return m.get();
    return nullptr;
}

// How many menus of the form are on the screen: the pop-up menu and the
// submenus open under it.
int menusShown(const Win32Form& form) {
    int count = 0;
    for (const auto& m : form.menuItems()) count += shown(m->submenu()) ? 1 : 0;
    return count;
}

// The items from the top of the tree down to `name`: each one below the
// first is in the submenu of the one before.
std::vector<const Win32MenuItem*> pathTo(const Win32Form& form, std::string_view name) {
    std::vector<const Win32MenuItem*> path;
    for (const Win32MenuItem* item = findItem(form, name); item && item->parent();) {
        path.insert(path.begin(), item);
        const Win32MenuItem* owner = nullptr;
        for (const auto& m : form.menuItems())
            if (m->submenu() == item->parent()) owner = m.get();
        item = owner;
    }
    return path;
}

void send(std::vector<INPUT> inputs) { SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)); }

void click(POINT at) {
    SetCursorPos(int(at.x), int(at.y));
    INPUT down{}, up{};
    down.type = up.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    send({down, up});
}

// Escape closes one level of a menu: pressed once for each one open.
void pressEscape(int times) {
    INPUT down{}, up{};
    down.type = up.type = INPUT_KEYBOARD;
    down.ki.wVk = up.ki.wVk = VK_ESCAPE;
    up.ki.dwFlags = KEYEVENTF_KEYUP;
    std::vector<INPUT> presses;
    for (int i = 0; i < times; ++i) presses.insert(presses.end(), {down, up});
    send(presses);
}

void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
    MenuAnswer::State* answer = nullptr;
    for (MenuAnswer::State* waiting : g_answers)
        if (!waiting->given) {
            answer = waiting;
            break;
        }
    const DWORD now = GetTickCount() | 1;
    int open = 0;
    for (MenuAnswer::State* waiting : g_answers) open = std::max(open, menusShown(*waiting->form));
    if (open == 0) {
        g_openedAt = g_clickedAt = 0;
        return;
    }
    // A menu still open a while after a greyed item was clicked refused it,
    // as it should: the user gives up and dismisses it.
    if (g_clickedAt != 0 && now - g_clickedAt > 300) {
        pressEscape(open);
        g_clickedAt = 0;
        return;
    }
    if (g_openedAt == 0) g_openedAt = now;
    if (now - g_openedAt > 10000) {
        pressEscape(open);
        return;
    }
    if (!answer || menusShown(*answer->form) == 0 || !answer->when()) return;
    if (answer->item.empty()) {
        pressEscape(open);
        answer->given = true;
        return;
    }
    // The deepest menu on the way that is shown: its item on the way is clicked
    // (a submenu opens, a command ends the menu).
    const std::vector<const Win32MenuItem*> path = pathTo(*answer->form, answer->item);
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        RECT rect;
        if (!itemRect((*it)->parent(), (*it)->position(), rect)) continue;
        click(POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
        const bool greyed = (GetMenuState((*it)->parent(), (*it)->position(), MF_BYPOSITION) &
                             (MF_GRAYED | MF_DISABLED)) != 0;
        if (*it == path.back() || greyed) answer->given = true;
        if (greyed) g_clickedAt = now;  // the menu should refuse it and stay open
        return;
    }
}

}  // namespace

MenuAnswer::MenuAnswer() = default;
MenuAnswer::MenuAnswer(std::shared_ptr<State> state) : m_state(std::move(state)) {}
MenuAnswer::MenuAnswer(MenuAnswer&&) noexcept = default;
MenuAnswer& MenuAnswer::operator=(MenuAnswer&& other) noexcept {
    std::swap(m_state, other.m_state);
    return *this;
}

MenuAnswer::~MenuAnswer() {
    if (!m_state) return;
    KillTimer(nullptr, m_state->timer);
    std::erase(g_answers, m_state.get());
}

bool MenuAnswer::given() const { return m_state && m_state->given; }

MenuAnswer answerNextMenu(Win32Form& form, std::string item, std::function<bool()> when) {
    auto state = std::make_shared<MenuAnswer::State>();
    state->form = &form;
    state->item = std::move(item);
    state->when = std::move(when);
    state->timer = SetTimer(nullptr, 0, 50, &tick);
    g_answers.push_back(state.get());
    g_openedAt = 0;
    return MenuAnswer(std::move(state));
}

}  // namespace skyroll::win32
