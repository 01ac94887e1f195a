#include "weather/LiveAnswer.h"

#include <nlohmann/json.hpp>

namespace skyroll::weather {
namespace {

using Json = nlohmann::json;

// The answer nests three levels deep (array, place, "current"); anything
// deeper is dropped while parsing, so a hostile body cannot build a deep tree.
constexpr int kMaxDepth = 3;
constexpr int kLastWeatherCode = 99;

std::optional<CurrentWeather> readPlace(const Json& place) {
    if (!place.is_object()) return std::nullopt;
    const auto current = place.find("current");
    if (current == place.end() || !current->is_object()) return std::nullopt;
    const auto code = current->find("weather_code");
    if (code == current->end() || !code->is_number_integer()) return std::nullopt;
    const auto value = code->get<long long>();
    if (value < 0 || value > kLastWeatherCode) return std::nullopt;

    bool isDay = false;
    if (const auto day = current->find("is_day"); day != current->end()) {
        if (day->is_boolean()) isDay = day->get<bool>();
        if (day->is_number_integer()) isDay = day->get<long long>() == 1;
    }
    return CurrentWeather{static_cast<int>(value), isDay};
}

}  // namespace

LiveAnswer ReadLiveAnswer(std::string_view body, std::size_t places) {
    LiveAnswer answer;
    answer.conditions.assign(places, std::nullopt);
    const Json::parser_callback_t keepShallow = [](int depth, Json::parse_event_t, Json&) {
        return depth <= kMaxDepth;
    };
    const Json json = Json::parse(body.begin(), body.end(), keepShallow, /*allow_exceptions=*/false);
    if (!json.is_array() || json.size() != places) return answer;
    answer.complete = true;
    for (std::size_t i = 0; i < places; ++i) {
        answer.conditions[i] = readPlace(json[i]);
        if (!answer.conditions[i]) answer.complete = false;
    }
    return answer;
}

}  // namespace skyroll::weather
