#pragma once
// One answer of a web service kept in a file, so that starting the program
// again soon after does not ask again. The file names the address it answers
// and when it was fetched; an answer for another address is never used.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace skyroll::platform {

using WallClock = std::chrono::system_clock;

inline constexpr std::chrono::minutes kAnswerLifetime{10};

// The body kept in `file` for `address`, when it was kept less than
// `kAnswerLifetime` before `now` (and not after it: a clock set back makes it
// stale). std::nullopt when there is none, it is stale, or the file is
// unreadable, malformed or larger than `maxBytes`.
std::optional<std::string> readKeptAnswer(FileSystem& files, const std::filesystem::path& file,
                                          std::string_view address, std::size_t maxBytes,
                                          WallClock::time_point now = WallClock::now());

// Keeps `body` as the answer for `address` fetched at `now`, replacing the
// file as a whole (written beside it as "<file>.new", whatever stood there
// removed first and never followed, then put in its place). False when it
// cannot be written; the program goes on without the kept answer.
bool keepAnswer(FileSystem& files, const std::filesystem::path& file, std::string_view address,
                std::string_view body, WallClock::time_point now = WallClock::now());

}  // namespace skyroll::platform
