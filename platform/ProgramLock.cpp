#include "platform/ProgramLock.h"

#include <chrono>
#include <system_error>

namespace skyroll::platform {

ProgramLock lockProgram(FileSystem& files) {
    namespace fs = std::filesystem;
    ProgramLock result;
    const fs::path folder = files.stateFolder();
    if (folder.empty()) {
        result.message = "Skyroll has no state folder: it cannot tell whether another Skyroll is running.";
        return result;
    }
    const fs::path file = folder / "skyroll.lock";
    result.lock = lockFile(file, std::chrono::milliseconds(0));
    if (result.lock) return result;
    // Held by another program, or not a file we can open (a link, say):
    // either way this one does not run beside an unknown other.
    result.otherRunning = true;
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(file, error)) ||
        (fs::exists(file, error) && !fs::is_regular_file(file, error)))
        result.message = "Skyroll cannot use its lock file " + file.string() +
                         ": it is not a plain file. This start ends.";
    else
        result.message = "Skyroll is already running for this user; this start ends.";
    return result;
}

}  // namespace skyroll::platform
