#pragma once
// The user's own desktop wallpaper, learnt once at start-up and set back
// when the space picture goes off and at exit.

#include <string>

#include "platform/Desktop.h"

namespace skyroll::companions {

// The size of the buffer the wallpaper path is read into: a path of at most
// 254 bytes (and its terminating zero) is read; a longer one is not read at
// all and gives the empty text, as does a setting that cannot be read.
inline constexpr std::size_t kWallpaperBufferSize = 255;

// The user's wallpaper path, or the empty text. `read` tells whether the
// setting was read (an empty setting is read; an unreadable or too long one
// is not).
std::string GetUserWallpaper(platform::Desktop& desktop, bool& read);

// Sets the user's wallpaper back: the path read at start when it was read,
// else whatever state the desktop recorded at start, so a path that could
// not be read never wipes the user's real wallpaper with an empty one.
void SetUserWallpaper(platform::Desktop& desktop, const std::string& userWallpaper, bool read);

}  // namespace skyroll::companions
