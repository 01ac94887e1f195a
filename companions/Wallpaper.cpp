#include "companions/Wallpaper.h"

namespace skyroll::companions {

std::string GetUserWallpaper(platform::Desktop& desktop, bool& read) {
    std::string result;
    const auto setting = desktop.wallpaperSetting();
    // The value arrives with its terminating zero inside the buffer, or not
    // at all.
    read = setting && setting->size() < kWallpaperBufferSize;
    if (read) result = setting->substr(0, setting->find('\0'));
    return result;
}

void SetUserWallpaper(platform::Desktop& desktop, const std::string& userWallpaper, bool read) {
    if (read)
        desktop.setDeskWallpaper(userWallpaper);
    else
        desktop.restoreWallpaper();
}

}  // namespace skyroll::companions
