#pragma once
// The command string of W3getv, "-d <folder> -j sjis -o <file> <address>",
// read from the right: the folder may hold blanks and is not quoted, so the
// address is the last word, the file the word after the last " -o ", and the
// folder everything between "-d " and the last " -j " (or " -o ") before it.
// Shared by every downloader so that they read a command the same way.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::platform {

struct W3getvRequest {
    std::string folder;  // user's own encoding
    std::string file;    // empty when the command names no plain file name
    std::string address;
};

inline constexpr std::size_t kMaxCommandLength = 32 * 1024;
inline constexpr std::size_t kMaxFileNameLength = 255;

// A name that stays inside its folder: not empty, no separator, no "..".
inline bool isPlainFileName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxFileNameLength && name != "." &&
           name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
           name.find("..") == std::string_view::npos;
}

// std::nullopt when the command does not have the form above. A file word
// that is not a plain name gives an empty `file`: nothing may be written.
inline std::optional<W3getvRequest> parseW3getvCommand(std::string_view command) {
    constexpr std::string_view kFolderOption = "-d ", kCodeOption = " -j ", kFileOption = " -o ";
    if (command.size() > kMaxCommandLength || !command.starts_with(kFolderOption)) return std::nullopt;
    const std::size_t lastBlank = command.rfind(' ');
    const std::string_view address = command.substr(lastBlank + 1);
    const std::string_view rest = command.substr(0, lastBlank);
    const std::size_t fileOption = rest.rfind(kFileOption);
    if (address.empty() || fileOption == std::string_view::npos || fileOption < kFolderOption.size())
        return std::nullopt;
    std::string_view file = rest.substr(fileOption + kFileOption.size());
    file = file.substr(0, file.find(' '));
    const std::string_view head = rest.substr(0, fileOption);
    std::size_t folderEnd = head.rfind(kCodeOption);
    if (folderEnd == std::string_view::npos || folderEnd < kFolderOption.size()) folderEnd = head.size();
    const std::string_view folder = head.substr(kFolderOption.size(), folderEnd - kFolderOption.size());
    if (folder.empty()) return std::nullopt;
    return W3getvRequest{std::string(folder), isPlainFileName(file) ? std::string(file) : std::string(),
                         std::string(address)};
}

}  // namespace skyroll::platform
