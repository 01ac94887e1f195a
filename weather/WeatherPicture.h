#pragma once
// The weather pictures the tour overlay shows, and the check a weather value
// must pass before it may name one: the value comes from a downloaded page.

#include <cstddef>
#include <string_view>

namespace skyroll::weather {

// Shown when the weather value names no picture that can be loaded.
inline constexpr std::string_view kUnknownWeatherPicture = "UNKNOWN.gif";

// The longest file name the file systems we run on accept, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// True when `name` (UTF-8, the encoding file names have here) is a plain file
// name that stays inside the folder it is joined to: not empty, at most
// kMaxFileNameBytes bytes, no "/" or "\", no ".." anywhere, no ":" (a drive
// or a stream), and no control character (C0, DEL or C1).
bool IsPlainFileName(std::string_view name);

}  // namespace skyroll::weather
