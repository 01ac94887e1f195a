// The toolkit contract on the Qt toolkit (offscreen platform). The user acts
// from a short poll timer, as a person would: menu items and buttons are
// clicked with the mouse, submenus opened by clicking their entry.

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "platform/qt/QtControl.h"
#include "platform/qt/QtForm.h"
#include "platform/qt/QtMenuItem.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/contract/ToolkitContract.h"

namespace skyroll::contract {
namespace {

// Whether `action` lies in `menu` or in one of its submenus.
bool within(QMenu* menu, QAction* action) {
    for (QAction* a : menu->actions())
        if (a == action || (a->menu() && within(a->menu(), action))) return true;
    return false;
}

class QtDriver final : public ToolkitDriver {
public:
    QtDriver() { m_context = std::make_unique<QObject>(); }
    ~QtDriver() override { m_context.reset(); }

    platform::Toolkit& toolkit() override { return m_toolkit; }
    bool virtualClock() const override { return false; }
    void runUntil(const std::function<bool()>& done, double seconds) override {
        runLoopUntil(m_toolkit, done, seconds);
    }
    void post(std::function<void()> action) override {
        QTimer::singleShot(0, m_context.get(), [this, action] { m_toolkit.dispatch(action); });
    }
    void answerNextMenu(platform::Form& form, std::string item, std::function<bool()> when) override {
        QAction* target = nullptr;
        if (qt::QtMenuItem* m = dynamic_cast<qt::QtForm&>(form).findMenu(item)) target = m->action();
        poll([target, when] {
            auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!open || !when()) return false;
            if (!target) {
                open->close();
                return true;
            }
            // One step a tick: the pointer rests on the submenu's entry,
            // which opens it, then on the item, which is clicked.
            for (QAction* a : open->actions()) {
                if (a != target && !(a->menu() && within(a->menu(), target))) continue;
                open->setActiveAction(a);
                if (a == target) {
                    QTest::mouseClick(open, Qt::LeftButton, {}, open->actionGeometry(a).center());
                    break;
                }
                return QApplication::activePopupWidget() == open && closeAll();  // could not open it
            }
            // Chosen, or the item was greyed and the menu is still open.
            return closeAll();
        });
    }
    void answerNextMessage(std::function<bool()> when) override {
        poll([when] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                if (!when()) return false;
                box->accept();
                return true;
            }
            return false;
        });
    }
    void click(platform::Form& form, std::string control) override {
        QPointer<QAbstractButton> button =
            qobject_cast<QAbstractButton*>(dynamic_cast<qt::QtForm&>(form).findControl(control)->widget());
        QTimer::singleShot(0, m_context.get(), [button] {
            if (button) button->click();
        });
    }
    void close(platform::Form& form) override {
        QPointer<QWidget> window = dynamic_cast<qt::QtForm&>(form).widget();
        QTimer::singleShot(0, m_context.get(), [window] {
            if (window) window->close();
        });
    }
    std::size_t liveRegions() const override { return m_toolkit.liveRegions(); }
    std::string noTray() const override {
        return QSystemTrayIcon::isSystemTrayAvailable() ? "" : "no system tray on this platform";
    }
    void pressTray(platform::Form& form, std::uint32_t) override {
        const platform::WindowHandle window = form.handle();
        QTimer::singleShot(0, m_context.get(),
                           [this, window] { m_toolkit.trayEvent(window, platform::WM_RBUTTONDOWN); });
    }

private:
    // Runs `step` every few milliseconds until it returns true.
    void poll(std::function<bool()> step) {
        auto* timer = new QTimer(m_context.get());
        QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
            if (step()) timer->deleteLater(), timer->stop();
        });
        timer->start(5);
    }
    static bool closeAll() {
        while (QWidget* open = QApplication::activePopupWidget()) open->close();
        return true;
    }

    qt::QtToolkit m_toolkit;
    std::unique_ptr<QObject> m_context;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, ToolkitContract, QtDriver);

}  // namespace
}  // namespace skyroll::contract
