#pragma once
// One item of a form's menu tree, on a QAction (a command) or on the action
// of a QMenu (a submenu). The check mark is the program's state: Qt's own
// toggling on a click is undone, the program sets marks itself.

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <string>

#include "platform/Toolkit.h"

namespace skyroll::qt {

class QtMenuItem final : public platform::MenuItem {
public:
    // `action` null: the root item, never shown itself. `submenu`: the menu
    // the item opens, or null for a command.
    QtMenuItem(std::string name, QAction* action, QMenu* submenu, bool checked, bool enabled);

    bool checked() const override { return m_checked; }
    void setChecked(bool v) override;
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool v) override;

    const std::string& name() const { return m_name; }
    QMenu* submenu() const { return m_submenu; }
    QAction* action() const { return m_action; }
    // Puts the check mark back to the program's state after Qt toggled it.
    void restoreCheck();

private:
    std::string m_name;
    QPointer<QAction> m_action;
    QPointer<QMenu> m_submenu;
    bool m_checked;
    bool m_enabled;
};

}  // namespace skyroll::qt
