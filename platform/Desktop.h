#pragma once
// The desktop wallpaper setting.

#include <optional>
#include <string>

namespace skyroll::platform {

class Desktop {
public:
    virtual ~Desktop() = default;

    // The user's wallpaper setting as stored (the full path of the picture,
    // or empty when the user has none), in the user's own encoding.
    // std::nullopt when the setting cannot be read at all.
    virtual std::optional<std::string> wallpaperSetting() = 0;

    // Sets the desktop wallpaper to the picture at `path` (empty: no
    // picture). Returns false when the desktop refused it or is unsupported.
    virtual bool setDeskWallpaper(const std::string& path) = 0;
};

}  // namespace skyroll::platform
