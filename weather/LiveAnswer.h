#pragma once
// The open weather service's answer for the 28 cities: a JSON array with one
// object per requested place, in request order, each holding
// "current": {"weather_code": <WMO code>, "is_day": 0 or 1, ...}.

#include <cstddef>
#include <string_view>

#include "weather/LiveWeather.h"

namespace skyroll::weather {

struct LiveAnswer {
    LiveConditions conditions;  // always `places` entries
    bool complete = false;      // every place had a usable weather code
};

// Reads the answer for `places` places. A body that is not JSON, nests
// deeper than the answer does, is not an array, or has another number of
// entries than asked for gives no weather for any place (the entries cannot
// be matched to the places). An entry without an integer "weather_code" from
// 0 to 99 gives no weather for its place. A missing or odd "is_day" counts as
// night. Never throws.
LiveAnswer ReadLiveAnswer(std::string_view body, std::size_t places);

}  // namespace skyroll::weather
