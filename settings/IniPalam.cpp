#include "settings/IniPalam.h"

#include "platform/Cp932.h"

namespace skyroll::settings {
namespace {

// The buffer the profile reads use: values arrive cut to 499 bytes.
constexpr std::size_t kBufferSize = 500;

std::string readValue(platform::FileSystem& files, std::string_view section, std::string_view key,
                      const std::filesystem::path& file) {
    return cp932::toUtf8FromCp932(
        files.readProfileString(section, cp932::toCp932FromUtf8(key), "", kBufferSize, file));
}

std::string trimBlanks(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void ReadEarthIni(platform::FileSystem& files, std::string& dispPos, std::string& rollSpeed,
                  const std::filesystem::path& iniPath) {
    const std::string position = readValue(files, "POSITION", "DISPPOS", iniPath);
    dispPos = position.empty() ? "0" : position;
    const std::string speed = readValue(files, "SPEED", "ROLLSPEED", iniPath);
    rollSpeed = speed.empty() ? "0" : speed;
}

bool WriteEarthIni(platform::FileSystem& files, const std::string& dispPos, const std::string& rollSpeed,
                   const std::filesystem::path& iniPath) {
    // Both keys in one replacement of the file, so that a refused value or
    // a crash never leaves the one written without the other.
    const std::string position = cp932::toCp932FromUtf8(trimBlanks(dispPos));
    const std::string speed = cp932::toCp932FromUtf8(trimBlanks(rollSpeed));
    const platform::ProfileEntry entries[] = {{"POSITION", "DISPPOS", position},
                                              {"SPEED", "ROLLSPEED", speed}};
    return files.writeProfileStrings(entries, iniPath);
}

bool ReadDayNight(platform::FileSystem& files, const std::filesystem::path& iniPath, std::ostream* log) {
    const std::string value = readValue(files, "GLOBE", "DAYNIGHT", iniPath);
    if (value.empty() || value == "0") return false;
    if (value == "1") return true;
    if (log)
        *log << "skyroll: [GLOBE] DAYNIGHT=" << value << " in " << iniPath.string()
             << " is neither 1 nor 0; the globe is shown without day and night\n";
    return false;
}

bool WriteDayNight(platform::FileSystem& files, bool on, const std::filesystem::path& iniPath) {
    const platform::ProfileEntry entries[] = {{"GLOBE", "DAYNIGHT", on ? "1" : "0"}};
    return files.writeProfileStrings(entries, iniPath);
}

void ReadWeatherIni(platform::FileSystem& files, const std::string& key, std::string& weather,
                    const std::filesystem::path& iniPath) {
    const std::string value = readValue(files, "WEATHER", key, iniPath);
    // A city whose weather is not known is not shown as fine weather.
    weather = value.empty() ? "不明" : value;
}

}  // namespace skyroll::settings
