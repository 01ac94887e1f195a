#pragma once
// The user's own desktop wallpaper, learnt once at start-up and set back at
// exit.

#include <string>

#include "platform/Desktop.h"

namespace skyroll::companions {

// The size of the buffer the wallpaper path is read into: a path of at most
// 254 bytes (and its terminating zero) is read; a longer one is not read at
// all and gives the empty text, as does a setting that cannot be read.
inline constexpr std::size_t kWallpaperBufferSize = 255;

std::string GetUserWallpaper(platform::Desktop& desktop);

}  // namespace skyroll::companions
