#pragma once
// The desktop wallpaper on the Linux desktop build. Until the wallpaper
// service exists the setting cannot be read and nothing is changed, so no
// exit can replace the user's wallpaper with an empty path.

#include "platform/Desktop.h"

namespace skyroll::qt {

class QtDesktop final : public platform::Desktop {
public:
    // std::nullopt: the setting cannot be read.
    std::optional<std::string> wallpaperSetting() override;
    // Logs the request and returns false: nothing is changed.
    bool setDeskWallpaper(const std::string& path) override;
    bool restoreWallpaper() override { return false; }
};

}  // namespace skyroll::qt
