#pragma once
// Choosing the folder that stands in for the system folder on Windows.

#include <filesystem>

namespace skyroll::platform::win32 {

// `preferred` when a new file can be created in it, else `fallback` (the
// system folder and the per-user folder %LOCALAPPDATA%\Skyroll). Never fails.
std::filesystem::path writableFolderOr(const std::filesystem::path& preferred,
                                       const std::filesystem::path& fallback);

}  // namespace skyroll::platform::win32
