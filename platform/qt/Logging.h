#pragma once
// What the desktop build reports about itself. The debug trace is off by
// default; QT_LOGGING_RULES="skyroll.*.debug=true" switches it on.

#include <QLoggingCategory>

namespace skyroll::qt {

Q_DECLARE_LOGGING_CATEGORY(lcFrames)     // "skyroll.frames": pictures shown in picture boxes
Q_DECLARE_LOGGING_CATEGORY(lcMenu)       // "skyroll.menu": pop-up menus and chosen commands
Q_DECLARE_LOGGING_CATEGORY(lcTray)       // "skyroll.tray": tray icon and its mouse events
Q_DECLARE_LOGGING_CATEGORY(lcRegion)     // "skyroll.region": window regions
Q_DECLARE_LOGGING_CATEGORY(lcWallpaper)  // "skyroll.wallpaper": wallpaper calls
Q_DECLARE_LOGGING_CATEGORY(lcWindow)     // "skyroll.window": forms shown, activated, unloaded
Q_DECLARE_LOGGING_CATEGORY(lcProgram)    // "skyroll.program": signals, failures, the end
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)   // "skyroll.platform": the window system, said once at start

}  // namespace skyroll::qt
