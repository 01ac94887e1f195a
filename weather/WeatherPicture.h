#pragma once
// The weather pictures the tour overlay shows. A weather value comes from a
// downloaded page: it names a picture only when it is a plain file name
// (platform/PathText.h).

#include <string_view>

namespace skyroll::weather {

// Shown when the weather value names no picture that can be loaded.
inline constexpr std::string_view kUnknownWeatherPicture = "UNKNOWN.gif";

}  // namespace skyroll::weather
