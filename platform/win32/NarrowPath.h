#pragma once
// Paths as the core passes them around: the narrow text of
// std::filesystem::path::string(). What that text is depends on the C++
// library (libstdc++ on Windows gives UTF-8 but reads a narrow string back
// byte by byte; Microsoft's library uses the ANSI code page both ways), so
// a path is never rebuilt from it with the path constructor alone.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::platform::win32 {

// path.string(); std::nullopt when the library cannot express the path so.
std::optional<std::string> narrowPath(const std::filesystem::path& path);

// The path whose narrowPath() is exactly `text`; std::nullopt when there is
// none (text that this library never produces).
std::optional<std::filesystem::path> pathFromNarrow(std::string_view text);

}  // namespace skyroll::platform::win32
