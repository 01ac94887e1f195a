#pragma once
// The platform's windowing side on Qt Widgets: forms, timers, the event loop
// with nested loops for waits, modal forms and pop-up menus, the tray icon,
// window regions and the fatal message.
//
// No C++ exception ever crosses Qt's event loop: every call into the program
// goes through dispatch(), which swallows ProgramEnded and hands any other
// failure to the failure handler.

#include <QElapsedTimer>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Toolkit.h"
#include "platform/common/FileCache.h"
#include "platform/common/ToolkitBook.h"
#include "platform/qt/ImageFile.h"

class QEventLoop;
class QSystemTrayIcon;

namespace skyroll::qt {

class QtForm;

class QtToolkit final : public platform::Toolkit {
public:
    // Needs the QApplication to exist.
    QtToolkit();
    ~QtToolkit() override;

    // platform::Toolkit
    std::unique_ptr<platform::Form> createForm(const platform::FormLayout& layout,
                                               platform::FormEvents& events) override;
    double screenWidth() const override;
    double screenHeight() const override;
    double twipsPerPixelX() const override;
    double twipsPerPixelY() const override;
    void doEvents() override;
    void runUntil(double deadline) override;
    int run() override;
    void quit(int code) override;
    bool ended() const override { return m_ended; }
    double monotonicSeconds() const override;
    float secondsSinceMidnight() const override;
    bool shellNotifyIcon(std::uint32_t message, const platform::TrayIconData& data) override;
    bool setForegroundWindow(platform::WindowHandle window) override;
    platform::RegionHandle createEllipticRgn(int left, int top, int right, int bottom) override;
    int setWindowRgn(platform::WindowHandle window, platform::RegionHandle region, bool redraw) override;
    bool deleteObject(platform::RegionHandle region) override;
    void setFailureHandler(std::function<void(const std::string&)> handler) override;
    void showMessage(const std::string& message) override;
    void showFatalMessage(const std::string& message) override;

    // --- Used by the forms and by main ---------------------------------
    // Runs a call into the program; see the note at the top.
    void dispatch(const std::function<void()>& handler);
    // Timers, menus, the tray and the mouse reach the program only while
    // this is false (a fatal message is being shown).
    bool inputBlocked() const { return m_inputBlocked; }
    // Runs `loop` until it is ended by its owner or by quit(); then throws
    // ProgramEnded if the program has ended.
    void runNested(QEventLoop& loop);
    // The pop-up menu being shown, closed by quit() and by a fatal message.
    void setOpenMenu(QMenu* menu) { m_openMenu = menu; }
    void throwIfEnded() const;

    // Pictures loaded by the controls, each kept as a QImage ready for the
    // screen while its file is unchanged.
    platform::FileCache& pictures() { return m_pictures.pictures; }
    PictureCaches& pictureCaches() { return m_pictures; }

    platform::IconHandle embeddedIcon(std::string_view name);
    QIcon icon(platform::IconHandle handle) const;

    // Without a system tray, a right-button press on the form that owns the
    // tray icon stands for the press on the icon. True when it was taken so.
    bool pressStandsForTray(platform::WindowHandle window);
    void trayEvent(platform::WindowHandle window, int code);

    void formCreated(QtForm* form) { m_forms.add(form); }
    void formGone(QtForm* form) { m_forms.remove(form); }
    // A window that goes frees the region it owns.
    void releaseWindowRegion(platform::WindowHandle window);
    platform::WindowHandle newWindowHandle() { return m_forms.newHandle(); }
    std::size_t liveRegions() const { return m_regions.size(); }

private:
    void stopEverything();

    QElapsedTimer m_clock;
    platform::FormTable<QtForm> m_forms;
    std::vector<QEventLoop*> m_loops;
    QPointer<QMenu> m_openMenu;
    platform::TrayTable m_trays;
    std::map<std::pair<platform::WindowHandle, std::uint32_t>, std::unique_ptr<QSystemTrayIcon>> m_trayIcons;
    platform::RegionTable<QRect> m_regions;  // the bounds of elliptic regions
    std::map<platform::IconHandle, QIcon> m_icons;
    std::map<std::string, platform::IconHandle, std::less<>> m_iconNames;
    std::function<void(const std::string&)> m_failureHandler;
    PictureCaches m_pictures;
    platform::IconHandle m_nextIcon = 0x2000;
    bool m_ended = false;
    bool m_inputBlocked = false;
    bool m_fatalShown = false;
    int m_exitCode = 0;
};

}  // namespace skyroll::qt
