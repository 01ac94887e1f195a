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
    // std::nullopt when the setting cannot be read at all. Reading it also
    // records the desktop's whole wallpaper state, which restoreWallpaper
    // and setting this same path put back.
    virtual std::optional<std::string> wallpaperSetting() = 0;

    // Sets the desktop wallpaper to the picture at `path` (empty: no
    // picture); the path read by wallpaperSetting puts the whole recorded
    // state back. Returns false when the desktop refused it or is
    // unsupported.
    virtual bool setDeskWallpaper(const std::string& path) = 0;

    // Puts back the state recorded by wallpaperSetting, whatever its path.
    // False when nothing could be recorded or it could not be put back.
    virtual bool restoreWallpaper() = 0;
};

}  // namespace skyroll::platform
