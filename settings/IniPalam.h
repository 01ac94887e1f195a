#pragma once
// INI_PALAM: the procedures over the program's two profile files, EARTH.INI
// (place and speed of the globe, day and night) and WEATHER.INI (one weather value per city).
// Text in and out is UTF-8; the files hold code page 932 and are reached
// through the FileSystem given.

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/FileSystem.h"

namespace skyroll::settings {

// Sets dispPos to "DISPPOS" of section "POSITION" and rollSpeed to
// "ROLLSPEED" of section "SPEED", each "0" when absent or empty. The values
// are neither checked nor trimmed beyond what the profile read does.
void ReadEarthIni(platform::FileSystem& files, std::string& dispPos, std::string& rollSpeed,
                  const std::filesystem::path& iniPath);

// Stores both values, each with leading and trailing blanks removed, in one
// replacement of the file: both are written or neither. Returns false when
// the file cannot be written (read-only file, missing folder) or a value
// cannot be stored (a line end or zero byte in it); the file then keeps its
// former content.
bool WriteEarthIni(platform::FileSystem& files, const std::string& dispPos, const std::string& rollSpeed,
                   const std::filesystem::path& iniPath);

// Whether the globe is drawn by day and night: "DAYNIGHT" of section
// "GLOBE" is "1". Absent, empty or "0" reads as off; any other value reads as
// off too, with one line on `log` when given.
bool ReadDayNight(platform::FileSystem& files, const std::filesystem::path& iniPath, std::ostream* log);

// Stores "DAYNIGHT" as "1" or "0" in one replacement of the file, as
// WriteEarthIni does; false when the file cannot be written.
bool WriteDayNight(platform::FileSystem& files, bool on, const std::filesystem::path& iniPath);

// Sets weather to the value of `key` in section "WEATHER" of `iniPath`, or
// "不明" (not known) when the file, the key or its value is missing or empty.
void ReadWeatherIni(platform::FileSystem& files, const std::string& key, std::string& weather,
                    const std::filesystem::path& iniPath);

}  // namespace skyroll::settings
