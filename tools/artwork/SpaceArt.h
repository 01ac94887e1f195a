#pragma once
// Pictures of space: the black star field behind the globe and the settings
// dialog, the blue and violet star field whose palette the dialog uses, and
// the space wallpaper of the desktop.

#include <filesystem>

#include "tools/artwork/DayMap.h"
#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

// 668 x 495 (times `scale`), black with stars.
Raster renderStarField(int scale = 1);
// 640 x 480, 8-bit with a 256-entry palette: a blue to violet sky with
// cross-shaped sparkles.
void writePaletteStarField(const std::filesystem::path& file);
// 1920 x 1080: deep space with stars, a faint galaxy band and the Earth's limb.
Raster renderSpaceWallpaper(const DayMap& dayMap);

}  // namespace skyroll::artwork
