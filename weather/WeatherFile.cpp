#include "weather/WeatherFile.h"

#include "core/Failure.h"
#include "platform/Cp932.h"

namespace skyroll::weather {
namespace {

[[noreturn]] void cannotWrite(const std::filesystem::path& weatherIni) {
    throw FatalError("The weather file " + weatherIni.string() + " cannot be written.");
}

std::string lineBytes(std::u32string_view line) { return cp932::encode(line) + "\r\n"; }

}  // namespace

std::filesystem::path NewWeatherFile(const std::filesystem::path& weatherIni) {
    std::filesystem::path file = weatherIni;
    file += ".new";
    return file;
}

std::string ReadPageFile(platform::FileSystem& files, const std::filesystem::path& file) {
    std::string bytes;
    if (files.readFile(file, kMaxPageRead, bytes, true) != platform::ReadStatus::ok) return {};
    return bytes;
}

void BeginWeatherFile(platform::FileSystem& files, const std::filesystem::path& weatherIni) {
    const std::filesystem::path file = NewWeatherFile(weatherIni);
    // Whatever stands under the name (a link, say) goes, and is not followed.
    files.removeFile(file);
    if (!files.writeFile(file, lineBytes(U"[WEATHER]"))) cannotWrite(weatherIni);
}

CityWeather ExtractPageWeather(platform::FileSystem& files, const std::filesystem::path& worldTempDir,
                               const std::filesystem::path& weatherIni, std::string_view file,
                               std::string_view city) {
    const std::u32string page = cp932::decode(ReadPageFile(files, worldTempDir / std::string(file)));
    CityWeather weather = ReducePage(page, file, cp932::fromUtf8(city));
    if (!files.appendFile(NewWeatherFile(weatherIni), lineBytes(weather.name + U"=" + weather.value)))
        cannotWrite(weatherIni);
    return weather;
}

void EndWeatherFile(platform::FileSystem& files, const std::filesystem::path& weatherIni) {
    if (!files.replaceWithFile(NewWeatherFile(weatherIni), weatherIni)) cannotWrite(weatherIni);
}

}  // namespace skyroll::weather
