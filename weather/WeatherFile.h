#pragma once
// WEATHER.INI, the weather result file: "[WEATHER]" and then one line
// "<city>=<value>" per city, in code page 932, CR LF after every line.
// Every file is reached through the FileSystem given.
// A refresh writes the new file beside the old one (NewWeatherFile) and
// renames it over the old one when its last line is written, so the file
// holds either the previous refresh's lines or the new ones, never a part.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "weather/WeatherPage.h"

namespace skyroll::weather {

// Pages are read up to this size; the rest of a larger page is ignored.
inline constexpr std::size_t kMaxPageRead = 8 * 1024 * 1024;

// The bytes of a stored page, at most kMaxPageRead of them. A page that does
// not exist or cannot be read is an empty page.
std::string ReadPageFile(platform::FileSystem& files, const std::filesystem::path& file);

// "<WEATHER.INI>.new": the new file while it is being written.
std::filesystem::path NewWeatherFile(const std::filesystem::path& weatherIni);

// Starts the new file (anything of that name is replaced) with the header
// line. Throws skyroll::FatalError naming the file when it cannot be written.
void BeginWeatherFile(platform::FileSystem& files, const std::filesystem::path& weatherIni);

// Reduces the stored page `file` of `worldTempDir` for `city` (both UTF-8)
// and appends the city's line to the new file; returns what it wrote. Throws
// skyroll::FatalError naming the file when it cannot be appended to.
CityWeather ExtractPageWeather(platform::FileSystem& files, const std::filesystem::path& worldTempDir,
                               const std::filesystem::path& weatherIni, std::string_view file,
                               std::string_view city);

// Puts the new file in the place of WEATHER.INI in one step. Throws
// skyroll::FatalError naming the file when it cannot be done; WEATHER.INI is
// then as it was.
void EndWeatherFile(platform::FileSystem& files, const std::filesystem::path& weatherIni);

}  // namespace skyroll::weather
