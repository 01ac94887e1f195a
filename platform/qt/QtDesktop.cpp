#include "platform/qt/QtDesktop.h"

#include <QString>

#include "platform/qt/Logging.h"

namespace skyroll::qt {

std::optional<std::string> QtDesktop::wallpaperSetting() {
    qCDebug(lcWallpaper) << "wallpaper setting: not available";
    return std::nullopt;
}

bool QtDesktop::setDeskWallpaper(const std::string& path) {
    qCDebug(lcWallpaper).noquote() << "set wallpaper"
                                   << QString::fromUtf8(path.data(), qsizetype(path.size()))
                                   << ": not supported, unchanged";
    return false;
}

}  // namespace skyroll::qt
