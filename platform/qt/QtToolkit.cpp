#include "platform/qt/QtToolkit.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTime>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/Units.h"
#include "platform/common/ProgramCall.h"
#include "platform/qt/ImageFile.h"
#include "platform/qt/Logging.h"
#include "platform/qt/QtForm.h"

namespace skyroll::qt {

namespace {

QScreen* screen() { return QGuiApplication::primaryScreen(); }

// The shell's mouse message code for a tray icon activation.
int trayCode(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Context:
            return platform::WM_RBUTTONDOWN;
        case QSystemTrayIcon::Trigger:
            return platform::WM_LBUTTONDOWN;
        case QSystemTrayIcon::DoubleClick:
            return platform::WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::MiddleClick:
            return platform::WM_MBUTTONDOWN;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return int(platform::WM_MOUSEMOVE);
}

QString tipText(const platform::TrayIconData& data) {
    const char* end = std::find(data.szTip, data.szTip + sizeof data.szTip, '\0');
    // The tip is in the user's own encoding (UTF-8 here).
    return QString::fromLocal8Bit(data.szTip, qsizetype(end - data.szTip));
}

}  // namespace

QtToolkit::QtToolkit() {
    m_clock.start();
    // The program ends itself; closing its last window does not end Qt's loop.
    QApplication::setQuitOnLastWindowClosed(false);
}

QtToolkit::~QtToolkit() = default;

std::unique_ptr<platform::Form> QtToolkit::createForm(const platform::FormLayout& layout,
                                                      platform::FormEvents& events) {
    return std::make_unique<QtForm>(*this, layout, events);
}

// --- Screen and clocks -------------------------------------------------------

double QtToolkit::twipsPerPixelX() const {
    return screen() ? platform::twipsPerPixelForDpi(screen()->logicalDotsPerInchX()) : 15.0;
}
double QtToolkit::twipsPerPixelY() const {
    return screen() ? platform::twipsPerPixelForDpi(screen()->logicalDotsPerInchY()) : 15.0;
}
double QtToolkit::screenWidth() const {
    return screen() ? screen()->geometry().width() * twipsPerPixelX() : 0;
}
double QtToolkit::screenHeight() const {
    return screen() ? screen()->geometry().height() * twipsPerPixelY() : 0;
}

double QtToolkit::monotonicSeconds() const { return double(m_clock.nsecsElapsed()) / 1e9; }

float QtToolkit::secondsSinceMidnight() const {
    return float(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

// --- Dispatch and loops ------------------------------------------------------

void QtToolkit::dispatch(const std::function<void()>& handler) {
    if (m_ended) return;  // nothing of the program runs after its end
    platform::callProgram(
        handler, m_failureHandler, m_ended, [this](int code) { quit(code); },
        [](const char* what) { qCDebug(lcProgram).noquote() << "failure:" << what; });
}

void QtToolkit::throwIfEnded() const {
    if (m_ended) throw platform::ProgramEnded{};
}

void QtToolkit::runNested(QEventLoop& loop) {
    throwIfEnded();
    m_loops.push_back(&loop);
    loop.exec();
    std::erase(m_loops, &loop);
    throwIfEnded();
}

void QtToolkit::doEvents() {
    throwIfEnded();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    throwIfEnded();
}

void QtToolkit::runUntil(double deadline) {
    throwIfEnded();
    // A nested loop that sleeps until the next event or the deadline: no
    // processor is burnt while waiting.
    for (double now = monotonicSeconds(); now < deadline; now = monotonicSeconds()) {
        QEventLoop loop;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(); });
        timer.start(int(std::ceil((deadline - now) * 1000.0)));
        runNested(loop);
    }
    // A deadline already past still lets pending events through once.
    doEvents();
}

int QtToolkit::run() {
    if (!m_ended) {
        QEventLoop loop;
        m_loops.push_back(&loop);
        loop.exec();
        std::erase(m_loops, &loop);
    }
    // Windows deleted during the run go now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return m_exitCode;
}

void QtToolkit::quit(int code) {
    if (m_ended) return;
    m_ended = true;
    m_exitCode = code;
    qCDebug(lcProgram) << "ended with" << code;
    if (m_openMenu) m_openMenu->close();
    for (QEventLoop* loop : m_loops) loop->exit();
}

// --- Icons, tray, foreground -------------------------------------------------

platform::IconHandle QtToolkit::embeddedIcon(std::string_view name) {
    if (auto it = m_iconNames.find(name); it != m_iconNames.end()) return it->second;
    QIcon icon(embeddedName(name));
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        qCWarning(lcWindow).noquote() << "embedded icon" << embeddedName(name) << "missing";
        return 0;
    }
    // On a dense screen the icon drawn at twice the size comes along, when
    // it is exactly that.
    if (qApp->devicePixelRatio() >= kDenseScreenRatio) {
        const QString dense = embeddedName(denseName(name));
        const QSize size = QImageReader(embeddedName(name)).size();
        if (QImageReader(dense).size() == size * 2) icon.addFile(dense, size * 2);
    }
    const platform::IconHandle handle = m_nextIcon++;
    m_icons.emplace(handle, icon);
    m_iconNames.emplace(std::string(name), handle);
    return handle;
}

QIcon QtToolkit::icon(platform::IconHandle handle) const {
    auto it = m_icons.find(handle);
    return it == m_icons.end() ? QIcon() : it->second;
}

bool QtToolkit::shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) {
    if (message == platform::NIM_ADD) {
        if (m_trays.find(data.hWnd, data.uID) || !m_forms.find(data.hWnd)) return false;
        auto icon = std::make_unique<QSystemTrayIcon>();
        if (data.uFlags & platform::NIF_ICON) icon->setIcon(this->icon(data.hIcon));
        if (data.uFlags & platform::NIF_TIP) icon->setToolTip(tipText(data));
        if (data.uFlags & platform::NIF_MESSAGE) {
            QObject::connect(icon.get(), &QSystemTrayIcon::activated,
                             [this, window = data.hWnd](QSystemTrayIcon::ActivationReason reason) {
                                 trayEvent(window, trayCode(reason));
                             });
        }
        // Shown even without a tray: Qt puts it in a tray that appears later.
        icon->show();
        m_trays.add(data);
        m_trayIcons[{data.hWnd, data.uID}] = std::move(icon);
        const bool available = QSystemTrayIcon::isSystemTrayAvailable();
        qCDebug(lcTray).noquote() << "added" << tipText(data) << (available ? "" : "(no system tray yet)");
        return available;
    }
    if (message == platform::NIM_DELETE) {
        if (!m_trays.remove(data.hWnd, data.uID)) return false;
        // The icon's window may be inside its own mouse handler right now
        // (the menu was opened from it): it goes once that has returned.
        auto it = m_trayIcons.find({data.hWnd, data.uID});
        it->second.release()->deleteLater();
        m_trayIcons.erase(it);
        qCDebug(lcTray) << "removed";
        return true;
    }
    return false;
}

void QtToolkit::trayEvent(platform::WindowHandle window, int code) {
    if (m_inputBlocked || m_ended) {
        qCDebug(lcTray) << "ignored" << code;
        return;
    }
    QtForm* form = m_forms.find(window);
    if (!form) return;
    qCDebug(lcTray) << "callback" << code;
    // The code travels as the X coordinate in pixels of the form.
    const auto x = float(code * form->unitsPerPixelX());
    dispatch([form, x] { form->events().mouseMove("", 0, 0, x, 0); });
}

bool QtToolkit::pressStandsForTray(platform::WindowHandle window) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) return false;
    if (!m_trays.hasWindow(window)) return false;
    qCDebug(lcTray) << "right press on the window stands for the tray icon";
    trayEvent(window, platform::WM_RBUTTONDOWN);
    return true;
}

bool QtToolkit::setForegroundWindow(platform::WindowHandle window) {
    QtForm* form = m_forms.find(window);
    if (!form || !form->widget()) return false;
    form->widget()->raise();
    form->widget()->activateWindow();
    return form->widget()->isVisible();
}

// --- Regions -----------------------------------------------------------------

platform::RegionHandle QtToolkit::createEllipticRgn(int left, int top, int right, int bottom) {
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    const platform::RegionHandle handle = m_regions.add(QRect(left, top, right - left, bottom - top));
    qCDebug(lcRegion) << "created" << handle << "ellipse" << left << top << right << bottom;
    return handle;
}

int QtToolkit::setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) {
    QtForm* form = m_forms.find(window);
    if (!form || !m_regions.givable(region)) {
        qCDebug(lcRegion) << "set failed" << region << "window" << window;
        return 0;
    }
    // The window owns the region now and frees the one it had.
    m_regions.give(window, region);
    form->setWindowShape(region ? std::optional<QRect>(*m_regions.find(region)) : std::nullopt);
    if (redraw && form->widget()) form->widget()->update();
    qCDebug(lcRegion) << "set" << region << "on" << form->name().c_str();
    return 1;
}

bool QtToolkit::deleteObject(platform::RegionHandle region) {
    // A region a window owns is the window's; only free regions go.
    const bool live = m_regions.takeFree(region).has_value();
    qCDebug(lcRegion) << "deleted" << region << (live ? "" : "(not a free region)");
    return live;
}

void QtToolkit::releaseWindowRegion(platform::WindowHandle window) {
    const platform::RegionHandle region = m_regions.ownedBy(window);
    if (m_regions.releaseWindow(window)) qCDebug(lcRegion) << "freed with window" << region;
}

// --- Failures ----------------------------------------------------------------

void QtToolkit::setFailureHandler(std::function<void(const std::string&)> handler) {
    m_failureHandler = std::move(handler);
}

void QtToolkit::stopEverything() {
    m_inputBlocked = true;
    for (QtForm* form : m_forms.all()) form->stopTimers();
    if (m_openMenu) m_openMenu->close();
}

void QtToolkit::showMessage(const std::string& message) {
    throwIfEnded();
    qCDebug(lcProgram).noquote() << "message:" << QString::fromStdString(message);
    // Modal to the program's windows; timers and the rest of the event loop
    // go on until the user dismisses it.
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Skyroll"), QString::fromStdString(message),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, [&loop] { loop.exit(); });
    box.open();
    box.activateWindow();
    runNested(loop);
    qCDebug(lcProgram) << "message dismissed";
}

void QtToolkit::showFatalMessage(const std::string& message) {
    stopEverything();
    if (m_fatalShown || m_ended) return;
    m_fatalShown = true;
    std::fprintf(stderr, "skyroll: %s\n", message.c_str());
    std::fflush(stderr);
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Skyroll"), QString::fromStdString(message),
                    QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, [&loop] { loop.exit(); });
    box.open();
    try {
        runNested(loop);
    } catch (const platform::ProgramEnded&) {
        // Ended while the message was up (a signal): nothing more to wait for.
    }
}

}  // namespace skyroll::qt
