#pragma once
// An exclusive lock on a file, shared by every process of the user: the
// processes that take a lock on the same file run one after another. The
// system releases the lock when its process ends, however it ends.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace skyroll::platform {

class FileLock {
public:
    virtual ~FileLock() = default;  // releases the lock
};

// Takes the lock on `file`, created when missing (a symbolic link is not
// followed). Waits at most `wait` for another holder to release it, and not
// at all once a stop is requested. Returns nullptr when the lock was not
// taken in time or the file cannot be opened or locked; in the second case
// `failure`, when given, receives the system's reason, and stays empty when
// another holder kept the lock.
std::unique_ptr<FileLock> lockFile(const std::filesystem::path& file, std::chrono::milliseconds wait,
                                   std::string* failure = nullptr);

}  // namespace skyroll::platform
