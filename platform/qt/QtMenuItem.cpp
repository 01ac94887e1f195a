#include "platform/qt/QtMenuItem.h"

#include <QAction>
#include <QMenu>

namespace skyroll::qt {

QtMenuItem::QtMenuItem(std::string name, QAction* action, QMenu* submenu, bool checked, bool enabled)
    : m_name(std::move(name)), m_action(action), m_submenu(submenu), m_checked(checked), m_enabled(enabled) {
    setChecked(checked);
    setEnabled(enabled);
}

void QtMenuItem::setChecked(bool v) {
    m_checked = v;
    restoreCheck();
}

void QtMenuItem::restoreCheck() {
    if (!m_action) return;
    // Only a checked item shows an indicator, as on the classic desktop.
    m_action->setCheckable(m_checked);
    m_action->setChecked(m_checked);
}

void QtMenuItem::setEnabled(bool v) {
    m_enabled = v;
    if (m_action) m_action->setEnabled(v);
}

}  // namespace skyroll::qt
