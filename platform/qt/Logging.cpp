#include "platform/qt/Logging.h"

namespace skyroll::qt {

// Warnings stay on by default; the debug trace is opt-in.
Q_LOGGING_CATEGORY(lcFrames, "skyroll.frames", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMenu, "skyroll.menu", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTray, "skyroll.tray", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRegion, "skyroll.region", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWallpaper, "skyroll.wallpaper", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWindow, "skyroll.window", QtWarningMsg)
Q_LOGGING_CATEGORY(lcProgram, "skyroll.program", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlatform, "skyroll.platform", QtInfoMsg)

}  // namespace skyroll::qt
