#pragma once
// A test acting as the user on a pop-up menu of a form while the menu's own
// loop runs: the pointer goes to an item and clicks it, as a person's hand
// would, so a greyed item cannot be chosen; Escape dismisses the menu.

#include <functional>
#include <memory>
#include <string>

#include "platform/win32/Win32Form.h"

namespace skyroll::win32 {

class MenuAnswer {
public:
    MenuAnswer();
    ~MenuAnswer();  // stops waiting for the menu
    MenuAnswer(MenuAnswer&&) noexcept;
    MenuAnswer& operator=(MenuAnswer&&) noexcept;
    // The menu was open and the answer given (an item clicked, or dismissed).
    bool given() const;

    struct State;

private:
    explicit MenuAnswer(std::shared_ptr<State> state);
    std::shared_ptr<State> m_state;
    friend MenuAnswer answerNextMenu(Win32Form&, std::string, std::function<bool()>);
};

// The next pop-up menu of `form`, once it is open and `when()` holds, gets
// the command item named `item` chosen with the mouse (the submenus on its
// way opened by clicks too), or is dismissed when `item` is empty; a menu
// still open shortly after a greyed item on the way was clicked is then
// dismissed. A menu
// that is still open ten seconds after it opened is dismissed, so that a
// test never hangs on it. Answers waiting together are given in turn, the
// next one once the one before it has been given (a refused choice, then
// the menu dismissed). `when` is polled from a thread timer, which the
// menu's loop dispatches.
[[nodiscard]] MenuAnswer answerNextMenu(Win32Form& form, std::string item, std::function<bool()> when);

}  // namespace skyroll::win32
