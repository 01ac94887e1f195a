#include "platform/qt/QtForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

#include "platform/Units.h"
#include "platform/qt/FormEventRouter.h"
#include "platform/qt/ImageFile.h"
#include "platform/qt/Logging.h"
#include "platform/qt/PictureWidget.h"
#include "platform/qt/QtControl.h"
#include "platform/qt/QtMenuItem.h"
#include "platform/qt/QtToolkit.h"
#include "platform/qt/X11Shape.h"

namespace skyroll::qt {

using platform::ControlKind;
using platform::ScaleUnit;

namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

int buttonMask(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftMask(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

bool isMouseEvent(QEvent::Type type) {
    return type == QEvent::MouseMove || type == QEvent::MouseButtonPress ||
           type == QEvent::MouseButtonRelease || type == QEvent::MouseButtonDblClick;
}

}  // namespace

QtForm::QtForm(QtToolkit& toolkit, const platform::FormLayout& layout, platform::FormEvents& events)
    : m_toolkit(toolkit),
      m_events(events),
      m_name(layout.name),
      m_scale(layout.scale),
      m_handle(toolkit.newWindowHandle()),
      m_widthTwips(layout.width),
      m_heightTwips(layout.height) {
    // Containers come before their contents; each counts in its own unit
    // (a frame in that of its own container).
    for (const auto& c : layout.controls) {
        if (c.kind == ControlKind::PictureBox) m_containerScales.emplace_back(c.name, c.scale);
        if (c.kind == ControlKind::Frame) m_containerScales.emplace_back(c.name, scaleOf(c.container));
    }

    const QColor fill = layout.backColor
                            ? QColor(layout.backColor->r, layout.backColor->g, layout.backColor->b)
                            : QApplication::palette().color(QPalette::Button);
    m_widget = new PictureWidget({}, fill);
    // Borderless; a window that shows no task-bar button is a tool window.
    m_widget->setWindowFlags(Qt::FramelessWindowHint | (layout.showInTaskbar ? Qt::Window : Qt::Tool));
    m_widget->setWindowTitle(fromUtf8(layout.title));
    m_widget->setMouseTracking(true);
    if (!layout.backPicture.empty()) {
        QString error;
        if (auto image = readEmbeddedImage(layout.backPicture, m_widget->devicePixelRatio(), &error))
            m_widget->setImage(std::move(*image), fromUtf8(layout.backPicture));
        else
            qCWarning(lcWindow).noquote() << "background" << fromUtf8(layout.backPicture) << ":" << error;
    }
    if (!layout.icon.empty()) {
        m_icon = toolkit.embeddedIcon(layout.icon);
        if (m_icon) m_widget->setWindowIcon(toolkit.icon(m_icon));
    }
    // True-colour displays need no palette; the picture is drawn as it is.
    if (!layout.palette.empty())
        qCDebug(lcWindow).noquote() << m_name.c_str() << "palette" << fromUtf8(layout.palette)
                                    << "not needed";

    m_leftPx = platform::twipsToPixels(layout.left, toolkit.twipsPerPixelX());
    m_topPx = platform::twipsToPixels(layout.top, toolkit.twipsPerPixelY());
    applyGeometry();

    m_router = new FormEventRouter(this, m_widget);
    m_widget->installEventFilter(m_router);
    for (const auto& c : layout.controls) {
        QWidget* parent = m_widget;
        if (!c.container.empty()) {
            const QtControl* container = findControl(c.container);
            if (container && container->widget()) parent = container->widget();
        }
        m_controls.push_back(
            std::make_unique<QtControl>(*this, c, c.kind == ControlKind::Timer ? nullptr : parent));
        if (QWidget* w = m_controls.back()->widget()) {
            w->installEventFilter(m_router);
            w->setMouseTracking(true);
        }
    }
    if (layout.menu) buildMenu(*layout.menu, nullptr);
    toolkit.formCreated(this);
    qCDebug(lcWindow).noquote() << "created" << m_name.c_str() << "window" << m_handle;
}

QtForm::~QtForm() {
    if (m_state.drop()) {
        stopTimers();
        m_toolkit.releaseWindowRegion(m_handle);
    }
    destroyWidgets();
    m_controls.clear();
    m_menus.clear();
    if (m_menuRoot) m_menuRoot.release()->deleteLater();
    m_toolkit.formGone(this);
}

void QtForm::buildMenu(const platform::MenuLayout& item, QMenu* parentMenu) {
    const std::string name(item.name);
    if (!parentMenu) {
        m_menuRoot = std::make_unique<QMenu>();
        m_menus.push_back(
            std::make_unique<QtMenuItem>(name, nullptr, m_menuRoot.get(), item.checked, item.enabled));
        for (const auto& child : item.children) buildMenu(child, m_menuRoot.get());
        return;
    }
    if (!item.children.empty()) {
        QMenu* submenu = parentMenu->addMenu(fromUtf8(item.caption));
        m_menus.push_back(
            std::make_unique<QtMenuItem>(name, submenu->menuAction(), submenu, item.checked, item.enabled));
        for (const auto& child : item.children) buildMenu(child, submenu);
        return;
    }
    QAction* action = parentMenu->addAction(fromUtf8(item.caption));
    m_menus.push_back(std::make_unique<QtMenuItem>(name, action, nullptr, item.checked, item.enabled));
    QtMenuItem* menuItem = m_menus.back().get();
    QObject::connect(action, &QAction::triggered, [this, menuItem] {
        menuItem->restoreCheck();  // the program sets its own marks
        m_chosenMenu = menuItem->name();
    });
}

QWidget* QtForm::widget() const { return m_widget; }

double QtForm::unitsPerPixelX() const {
    return m_scale == ScaleUnit::Pixels ? 1.0 : m_toolkit.twipsPerPixelX();
}
double QtForm::unitsPerPixelY() const {
    return m_scale == ScaleUnit::Pixels ? 1.0 : m_toolkit.twipsPerPixelY();
}

ScaleUnit QtForm::scaleOf(std::string_view container) const {
    if (container.empty()) return m_scale;
    for (const auto& [name, scale] : m_containerScales)
        if (name == container) return scale;
    return m_scale;
}

// --- Geometry ----------------------------------------------------------------

void QtForm::applyGeometry() {
    if (!m_widget) return;
    const int w = int(platform::twipsToPixels(m_widthTwips, m_toolkit.twipsPerPixelX()));
    const int h = int(platform::twipsToPixels(m_heightTwips, m_toolkit.twipsPerPixelY()));
    m_widget->setGeometry(int(m_leftPx), int(m_topPx), std::max(1, w), std::max(1, h));
}

double QtForm::left() const {
    return double(m_widget ? m_widget->x() : m_leftPx) * m_toolkit.twipsPerPixelX();
}
double QtForm::top() const { return double(m_widget ? m_widget->y() : m_topPx) * m_toolkit.twipsPerPixelY(); }

void QtForm::setLeft(double twips) {
    m_leftPx = platform::twipsToPixels(twips, m_toolkit.twipsPerPixelX());
    if (m_widget) m_widget->move(int(m_leftPx), m_widget->y());
}
void QtForm::setTop(double twips) {
    m_topPx = platform::twipsToPixels(twips, m_toolkit.twipsPerPixelY());
    if (m_widget) m_widget->move(m_widget->x(), int(m_topPx));
}
void QtForm::setWidth(double twips) {
    m_widthTwips = twips;
    if (m_widget) m_leftPx = m_widget->x(), m_topPx = m_widget->y();
    applyGeometry();
}
void QtForm::setHeight(double twips) {
    m_heightTwips = twips;
    if (m_widget) m_leftPx = m_widget->x(), m_topPx = m_widget->y();
    applyGeometry();
}

platform::WindowState QtForm::windowState() const {
    if (m_widget && m_widget->isMinimized()) return platform::WindowState::Minimized;
    if (m_widget && m_widget->isMaximized()) return platform::WindowState::Maximized;
    return platform::WindowState::Normal;
}

// --- Showing, unloading ------------------------------------------------------

bool QtForm::visible() const { return m_widget && m_widget->isVisible(); }

void QtForm::show() {
    if (!loaded() || !m_widget) return;
    m_widget->show();
    m_widget->raise();
    // Activation arrives as an event; on a bare X server Qt gives the window
    // the input focus itself, so the first activation happens there too.
    m_widget->activateWindow();
    qCDebug(lcWindow).noquote() << "shown" << m_name.c_str();
}

void QtForm::hide() {
    if (m_widget) m_widget->hide();
    qCDebug(lcWindow).noquote() << "hidden" << m_name.c_str();
}

void QtForm::showModal() {
    m_toolkit.throwIfEnded();
    if (!loaded()) return;
    m_widget->setWindowModality(Qt::ApplicationModal);
    show();
    // Entered again from inside, each loop is ended by the unload.
    QEventLoop loop;
    m_modalLoops.push_back(&loop);
    struct Reset {
        std::vector<QEventLoop*>& loops;
        QEventLoop* loop;
        ~Reset() { std::erase(loops, loop); }
    } reset{m_modalLoops, &loop};
    m_toolkit.runNested(loop);
}

bool QtForm::takesEvents() const { return loaded() && !m_toolkit.inputBlocked(); }

void QtForm::unload() {
    if (!loaded()) return;
    qCDebug(lcWindow).noquote() << "unload" << m_name.c_str();
    m_state.unload([this] { m_events.unload(); },
                   [this] {
                       stopTimers();
                       m_toolkit.releaseWindowRegion(m_handle);
                       for (QMenu* menu : m_menuRoot ? m_menuRoot->findChildren<QMenu*>() : QList<QMenu*>())
                           menu->close();
                       if (m_menuRoot) m_menuRoot->close();
                       for (QEventLoop* loop : m_modalLoops) loop->exit();
                       destroyWidgets();
                   });
}

void QtForm::destroyWidgets() {
    if (m_router) m_router->detach();
    m_router = nullptr;
    if (!m_widget) return;
    // The window may be inside its own event handler right now.
    m_widget->hide();
    m_widget->deleteLater();
    m_widget = nullptr;
}

void QtForm::stopTimers() {
    for (auto& c : m_controls) c->stopTimer();
}

void QtForm::repaintNow() {
    if (m_widget && m_widget->isVisible()) m_widget->repaint();
}

void QtForm::setWindowShape(const std::optional<QRect>& ellipse) {
    if (!m_widget) return;
    // The shape goes to the window system alone, which cuts both what is
    // shown and where the mouse reaches. As a widget mask it would also clip
    // every repaint to the ellipse, one rectangle per row: Qt then paints the
    // picture span by span, handing each fill to its thread pool.
    if (!m_widget->windowHandle()) m_widget->winId();
    QWindow* window = m_widget->windowHandle();
    if (!window) return;
    const qreal ratio = window->devicePixelRatio();
    if (ratio == 1.0 && !m_deviceShape) {
        window->setMask(ellipse ? QRegion(*ellipse, QRegion::Ellipse) : QRegion());
        return;
    }
    // On a scaled screen Qt would scale the ellipse's rows, one pixel high,
    // each on its own: a staircase of whole or half pixels. The ellipse is
    // cut in device pixels instead, within the bounds Qt gives the window.
    QRegion device;
    if (ellipse) {
        const QPoint topLeft(qRound(ellipse->left() * ratio), qRound(ellipse->top() * ratio));
        const QPoint end(qRound((ellipse->left() + ellipse->width()) * ratio),
                         qRound((ellipse->top() + ellipse->height()) * ratio));
        device =
            QRegion(QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y())), QRegion::Ellipse);
    }
    window->setMask(QRegion());
    m_deviceShape = setX11WindowShape(*window, device);
    if (!m_deviceShape) window->setMask(ellipse ? QRegion(*ellipse, QRegion::Ellipse) : QRegion());
}

// --- Controls and menus ------------------------------------------------------

QtControl* QtForm::findControl(std::string_view name) const { return platform::findNamed(m_controls, name); }

QtMenuItem* QtForm::findMenu(std::string_view name) const { return platform::findNamed(m_menus, name); }

platform::Control& QtForm::control(std::string_view name) {
    if (QtControl* c = findControl(name)) return *c;
    platform::throwNoSuch("control", name, m_name);
}

platform::MenuItem& QtForm::menu(std::string_view name) {
    if (QtMenuItem* m = findMenu(name)) return *m;
    platform::throwNoSuch("menu item", name, m_name);
}

void QtForm::popupMenu(std::string_view name) {
    m_toolkit.throwIfEnded();
    QtMenuItem* item = findMenu(name);
    if (!item || !item->submenu()) platform::throwNoSuch("submenu", name, m_name);
    if (!takesEvents()) return;
    QMenu* menu = item->submenu();
    m_chosenMenu.clear();
    qCDebug(lcMenu).noquote() << "popup" << m_name.c_str() << fromUtf8(name) << "at" << QCursor::pos();

    QEventLoop loop;
    const auto closed = QObject::connect(menu, &QMenu::aboutToHide, &loop, [&loop] { loop.exit(); });
    m_toolkit.setOpenMenu(menu);
    menu->popup(QCursor::pos());
    try {
        if (menu->isVisible()) m_toolkit.runNested(loop);
    } catch (...) {
        QObject::disconnect(closed);
        m_toolkit.setOpenMenu(nullptr);
        throw;
    }
    QObject::disconnect(closed);
    m_toolkit.setOpenMenu(nullptr);

    const std::string chosen = std::exchange(m_chosenMenu, {});
    if (chosen.empty()) {
        qCDebug(lcMenu).noquote() << "popup closed";
        return;
    }
    qCDebug(lcMenu).noquote() << "chosen" << m_name.c_str() << chosen.c_str();
    if (takesEvents()) m_events.menuClick(chosen);
}

// --- Events ------------------------------------------------------------------

bool QtForm::route(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !loaded()) return false;
    const QEvent::Type type = event->type();
    if (widget == m_widget) {
        switch (type) {
            case QEvent::WindowActivate:
                qCDebug(lcWindow).noquote() << "activated" << m_name.c_str();
                m_toolkit.dispatch([this] {
                    if (loaded() && !m_toolkit.inputBlocked()) m_events.activate();
                });
                return false;
            case QEvent::Close:
                // The window system asks to close: the form is unloaded.
                event->ignore();
                m_toolkit.dispatch([this] { unload(); });
                return true;
            default:
                break;
        }
        if (isMouseEvent(type)) return routeMouse(widget, nullptr, event);
        return false;
    }
    if (!isMouseEvent(type)) return false;
    for (const auto& c : m_controls)
        if (c->widget() == widget) return routeMouse(widget, c.get(), event);
    return false;
}

bool QtForm::routeMouse(QWidget* widget, const QtControl* control, QEvent* event) {
    auto* me = static_cast<QMouseEvent*>(event);
    // Buttons keep their own presses; everything else takes the mouse itself,
    // so a press on a label never becomes a drag of the picture below it.
    const bool consume = !control || (control->kind() != ControlKind::OptionButton &&
                                      control->kind() != ControlKind::CommandButton);
    // A second press soon after the first arrives as a double click; it is a
    // press all the same.
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && me->button() == Qt::RightButton && m_toolkit.pressStandsForTray(m_handle)) return true;
    if (event->type() == QEvent::MouseMove && !m_toolkit.inputBlocked()) {
        // From the pointer's place on the screen and the window's place now:
        // a move reported before the window moved is still measured right.
        const QPointF local = me->globalPosition() - QPointF(widget->mapToGlobal(QPoint(0, 0)));
        const double ux = control ? control->mouseUnitsPerPixelX() : unitsPerPixelX();
        const double uy = control ? control->mouseUnitsPerPixelY() : unitsPerPixelY();
        const std::string name = control ? control->name() : std::string();
        const int button = buttonMask(me->buttons()), shift = shiftMask(me->modifiers());
        const auto x = float(local.x() * ux), y = float(local.y() * uy);
        m_toolkit.dispatch(
            [this, &name, button, shift, x, y] { m_events.mouseMove(name, button, shift, x, y); });
    }
    return consume;
}

}  // namespace skyroll::qt
