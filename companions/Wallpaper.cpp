#include "companions/Wallpaper.h"

namespace skyroll::companions {

std::string GetUserWallpaper(platform::Desktop& desktop) {
    const auto setting = desktop.wallpaperSetting();
    if (!setting || setting->size() >= kWallpaperBufferSize) return {};
    // The value is text up to its first zero character.
    return setting->substr(0, setting->find('\0'));
}

}  // namespace skyroll::companions
