// The reduction of a stored page to a city's weather over arbitrary page
// bytes: the input's first byte picks the city whose page it is and goes
// through the whole file path (read, reduce, append to the new WEATHER.INI);
// the rest is reduced in memory for every city and for "JAPAN.html".

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Cp932.h"
#include "tests/fuzz/FuzzFolder.h"
#include "weather/WeatherFile.h"
#include "weather/WeatherTables.h"

namespace {

void checkValue(const skyroll::weather::CityWeather& weather) {
    using namespace skyroll;
    if (weather.value.empty() || cp932::encode(weather.value).size() > 499) std::abort();
    if (weather.value.front() == U' ' || weather.value.back() == U' ') std::abort();
    for (const char32_t c : weather.value)
        if ((c < 0x20 && c != U'\t') || c == 0x7F) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll;
    using namespace skyroll::weather;
    static const fuzz::FuzzFolder folder;
    static const auto files = platform::makeLocalFileSystem();
    if (size == 0) return 0;
    const City& city = kCities[data[0] % kCities.size()];
    const std::string file(city.file);
    folder.write(file, data + 1, size - 1);

    const auto weatherIni = folder.path() / "WEATHER.INI";
    BeginWeatherFile(*files, weatherIni);
    checkValue(ExtractPageWeather(*files, folder.path(), weatherIni, file, city.name));

    const std::u32string page =
        cp932::decode(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    for (const City& each : kCities) {
        checkValue(ReducePage(page, each.file, cp932::fromUtf8(each.name)));
        checkValue(ReducePage(page, kJapanPage, cp932::fromUtf8(each.name)));
    }
    return 0;
}
