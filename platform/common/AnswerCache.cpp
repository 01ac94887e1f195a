#include "platform/common/AnswerCache.h"

#include <charconv>
#include <fstream>
#include <system_error>

#include "platform/NativeFiles.h"

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

std::optional<std::string> readKeptAnswer(const fs::path& file, std::string_view address,
                                          std::size_t maxBytes, WallClock::time_point now) {
    const std::size_t limit = maxBytes + kTag.size() + address.size() + 32;
    std::string bytes;
    if (native::readFileBounded(file, limit, bytes) != native::ReadStatus::ok) return std::nullopt;

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

bool keepAnswer(const fs::path& file, std::string_view address, std::string_view body,
                WallClock::time_point now) {
    if (address.find('\n') != std::string_view::npos) return false;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count();
    fs::path temporary = file;
    temporary += ".new";
    std::error_code stale;
    fs::remove(temporary, stale);  // a link placed there is never followed
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << kTag << seconds << '\n' << address << '\n';
        out.write(body.data(), static_cast<std::streamsize>(body.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(temporary, file, error);
    if (!error) return true;
    std::error_code ignored;
    fs::remove(temporary, ignored);
    return false;
}

}  // namespace skyroll::platform
