#pragma once
// Paths as text: the form in which paths travel through the command string
// of the downloader, the wallpaper setting and the weather file's picture
// names. On POSIX systems that is the path's bytes as they are; on Windows it
// is UTF-8, whatever the system's ANSI code page, so any name the file system
// can hold survives the trip. A path's plain string() and the path
// constructor from a plain string do not pair up like this on every C++
// library, so paths are never turned into text or back any other way.

#include <filesystem>
#include <string>
#include <string_view>

namespace skyroll::platform {

inline std::string pathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline std::filesystem::path pathFromText(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

}  // namespace skyroll::platform
