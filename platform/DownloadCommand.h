#pragma once
// The command string of W3getv (platform/Downloader.h), written by the
// weather refresh and read by every downloader, so that both sides agree on
// it: "-d <folder> -j sjis -o <file> <address>". The folder may hold blanks
// and is not quoted, so a command is read from the right: the address is the
// last word, the file the word after the last " -o ", and the folder
// everything between "-d " and the last " -j " (or " -o ") before it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::platform {

struct W3getvRequest {
    std::string folder;  // as text (platform/PathText.h)
    std::string file;    // empty when the command names no plain file name
    std::string address;
};

inline constexpr std::size_t kMaxCommandLength = 32 * 1024;

// The command that stores the page at `address` as `folder` / `file`; the
// folder goes in as text (platform/PathText.h).
std::string makeW3getvCommand(const std::filesystem::path& folder, std::string_view file,
                              std::string_view address);

// std::nullopt when the command does not have the form above or is longer
// than kMaxCommandLength. A file word that is not a plain file name
// (isPlainFileName) gives an empty `file`: nothing may be written.
std::optional<W3getvRequest> parseW3getvCommand(std::string_view command);

}  // namespace skyroll::platform
