#pragma once
// The weather pictures of the tour overlay: 30 x 30 GIFs with one transparent
// colour, one for each weather value the weather file can name, and one for a
// value that names no picture.

#include <filesystem>
#include <string_view>
#include <vector>

#include "tools/artwork/PictureWriters.h"
#include "tools/artwork/Raster.h"

namespace skyroll::artwork {

inline constexpr int kWeatherPictureSide = 30;
// Shown when the weather is undetermined or names no picture file.
inline constexpr std::string_view kUnknownWeatherPicture = "UNKNOWN.gif";

struct WeatherPicture {
    std::string_view file;  // name in the weather folder
    Raster picture;         // alpha below one half is see-through
};

// SUN first (also the creation picture of the overlay's image), then
// SUN_RAIN, RAIN, CLOUDY, SNOW and UNKNOWN; `scale` times the size for
// dense screens.
std::vector<WeatherPicture> weatherPictures(int scale = 1);

// The palette every weather picture uses: entry 0 is the transparent colour.
const Palette& weatherPalette();
void writeWeatherGif(const std::filesystem::path& file, const WeatherPicture& picture);

}  // namespace skyroll::artwork
