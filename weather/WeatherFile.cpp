#include "weather/WeatherFile.h"

#include <fstream>
#include <system_error>

#include "core/Failure.h"
#include "platform/Cp932.h"
#include "platform/NativeFiles.h"
#include "platform/common/ProfileFile.h"

namespace skyroll::weather {
namespace {

void writeLine(const std::filesystem::path& weatherIni, std::u32string_view line, std::ios::openmode mode) {
    const std::filesystem::path file = NewWeatherFile(weatherIni);
    if (mode & std::ios::trunc) {
        // Whatever stands under the name (a link, say) goes, and is not followed.
        std::error_code error;
        std::filesystem::remove(file, error);
    }
    std::ofstream out(file, std::ios::binary | mode);
    const std::string bytes = cp932::encode(line) + "\r\n";
    if (out) out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out) out.close();
    if (!out) throw FatalError("The weather file " + weatherIni.string() + " cannot be written.");
}

}  // namespace

std::filesystem::path NewWeatherFile(const std::filesystem::path& weatherIni) {
    std::filesystem::path file = weatherIni;
    file += ".new";
    return file;
}

std::string ReadPageFile(const std::filesystem::path& file) {
    std::string bytes;
    if (platform::native::readFileBounded(file, kMaxPageRead, bytes, true) !=
        platform::native::ReadStatus::ok)
        return {};
    return bytes;
}

void BeginWeatherFile(const std::filesystem::path& weatherIni) {
    writeLine(weatherIni, U"[WEATHER]", std::ios::trunc);
}

CityWeather ExtractPageWeather(const std::filesystem::path& worldTempDir,
                               const std::filesystem::path& weatherIni, std::string_view file,
                               std::string_view city) {
    const std::u32string page = cp932::decode(ReadPageFile(worldTempDir / std::string(file)));
    CityWeather weather = ReducePage(page, file, cp932::fromUtf8(city));
    writeLine(weatherIni, weather.name + U"=" + weather.value, std::ios::app);
    return weather;
}

void EndWeatherFile(const std::filesystem::path& weatherIni) {
    if (!profile::replaceWithFile(NewWeatherFile(weatherIni), weatherIni))
        throw FatalError("The weather file " + weatherIni.string() + " cannot be written.");
}

}  // namespace skyroll::weather
