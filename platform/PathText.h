#pragma once
// Paths as text: the form in which paths travel through the command string
// of the downloader, the wallpaper setting and the weather file's picture
// names. On POSIX systems that is the path's bytes as they are; on Windows it
// is UTF-8, whatever the system's ANSI code page, so any name the file system
// can hold survives the trip. A path's plain string() and the path
// constructor from a plain string do not pair up like this on every C++
// library, so paths are never turned into text or back any other way.

#include <cstddef>
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

// The longest file name the file systems we run on accept, in bytes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// True when `name`, a file name as text, is a plain file name that stays
// inside the folder it is joined to: not empty, at most kMaxFileNameBytes
// bytes, not ".", no "/" or "\", no ".." anywhere, no ":" (a drive or a
// stream), and no control character (C0, DEL, or C1 as UTF-8 writes it).
// Whatever comes from outside (a page's weather value, the downloader's
// command) names a file only when it passes.
bool isPlainFileName(std::string_view name);

}  // namespace skyroll::platform
