#pragma once
// What the desktop build reports about itself. Every category is off by
// default; QT_LOGGING_RULES="skyroll.*.debug=true" switches them on.

#include <QLoggingCategory>

namespace skyroll::qt {

Q_DECLARE_LOGGING_CATEGORY(lcFrames)     // "skyroll.frames": pictures shown in picture boxes
Q_DECLARE_LOGGING_CATEGORY(lcMenu)       // "skyroll.menu": pop-up menus and chosen commands
Q_DECLARE_LOGGING_CATEGORY(lcTray)       // "skyroll.tray": tray icon and its mouse events
Q_DECLARE_LOGGING_CATEGORY(lcRegion)     // "skyroll.region": window regions
Q_DECLARE_LOGGING_CATEGORY(lcWallpaper)  // "skyroll.wallpaper": wallpaper calls
Q_DECLARE_LOGGING_CATEGORY(lcWindow)     // "skyroll.window": forms shown, activated, unloaded
Q_DECLARE_LOGGING_CATEGORY(lcProgram)    // "skyroll.program": signals, failures, the end

}  // namespace skyroll::qt
