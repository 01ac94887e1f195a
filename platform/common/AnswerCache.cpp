#include "platform/common/AnswerCache.h"

#include <charconv>
#include <system_error>

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;

// First line: this tag and the time of the fetch in seconds since the epoch;
// second line: the address; the rest: the body, byte for byte.
constexpr std::string_view kTag = "skyroll-answer ";

std::optional<long long> parseSeconds(std::string_view text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> readKeptAnswer(FileSystem& files, const fs::path& file, std::string_view address,
                                          std::size_t maxBytes, WallClock::time_point now) {
    const std::size_t limit = maxBytes + kTag.size() + address.size() + 32;
    std::string bytes;
    if (files.readFile(file, limit, bytes, false) != ReadStatus::ok) return std::nullopt;

    const std::size_t firstEnd = bytes.find('\n');
    if (firstEnd == std::string::npos || !std::string_view(bytes).starts_with(kTag)) return std::nullopt;
    const std::size_t secondEnd = bytes.find('\n', firstEnd + 1);
    if (secondEnd == std::string::npos) return std::nullopt;
    if (std::string_view(bytes).substr(firstEnd + 1, secondEnd - firstEnd - 1) != address)
        return std::nullopt;
    const auto seconds = parseSeconds(std::string_view(bytes).substr(kTag.size(), firstEnd - kTag.size()));
    if (!seconds) return std::nullopt;

    const WallClock::time_point fetched{std::chrono::seconds(*seconds)};
    if (now < fetched || now - fetched >= kAnswerLifetime) return std::nullopt;
    bytes.erase(0, secondEnd + 1);
    if (bytes.size() > maxBytes) return std::nullopt;
    return bytes;
}

bool keepAnswer(FileSystem& files, const fs::path& file, std::string_view address, std::string_view body,
                WallClock::time_point now) {
    if (address.find('\n') != std::string_view::npos) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    fs::path temporary = file;
    temporary += ".new";
    files.removeFile(temporary);  // a link placed there is never followed
    std::string content(kTag);
    content += std::to_string(seconds) + '\n';
    content += address;
    content += '\n';
    content += body;
    if (files.writeFile(temporary, content) && files.replaceWithFile(temporary, file)) return true;
    files.removeFile(temporary);
    return false;
}

}  // namespace skyroll::platform
