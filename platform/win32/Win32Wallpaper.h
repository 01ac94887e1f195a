#pragma once
// The Windows wallpaper: the picture and its style values under
// HKEY_CURRENT_USER\Control Panel\Desktop, set through
// SystemParametersInfoW so that the desktop shows the change at once.

#include <memory>

#include "platform/WallpaperService.h"

namespace skyroll::platform::win32 {

// The picture's path reaches the core as platform/PathText.h has it (UTF-8);
// `saved` is UTF-8 text of the service's own making.
std::unique_ptr<WallpaperService> makeWin32Wallpaper();

}  // namespace skyroll::platform::win32
