#pragma once
// WEATHER.INI, the weather result file: "[WEATHER]" and then one line
// "<city>=<value>" per city, in code page 932, CR LF after every line.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "weather/WeatherPage.h"

namespace skyroll::weather {

// Pages are read up to this size; the rest of a larger page is ignored.
inline constexpr std::size_t kMaxPageRead = 8 * 1024 * 1024;

// The bytes of a stored page, at most kMaxPageRead of them. A page that does
// not exist or cannot be read is an empty page.
std::string ReadPageFile(const std::filesystem::path& file);

// Creates WEATHER.INI or cuts it to nothing, and writes its header line.
// Throws skyroll::FatalError naming the file when it cannot be written.
void BeginWeatherFile(const std::filesystem::path& weatherIni);

// Reduces the stored page `file` of `worldTempDir` for `city` (both UTF-8)
// and appends the city's line to WEATHER.INI; returns what it wrote. Throws
// skyroll::FatalError naming the file when WEATHER.INI cannot be appended to.
CityWeather ExtractPageWeather(const std::filesystem::path& worldTempDir,
                               const std::filesystem::path& weatherIni, std::string_view file,
                               std::string_view city);

}  // namespace skyroll::weather
