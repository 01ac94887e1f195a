#include "platform/common/ProgramLock.h"

#include <chrono>
#include <system_error>

#include "platform/PathText.h"

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
    std::string failure;
    result.lock = files.lock(file, std::chrono::milliseconds(0), &failure);
    if (result.lock) return result;
    if (failure.empty()) {
        result.otherRunning = true;
        result.message = "Skyroll is already running for this user; this start ends.";
        return result;
    }
    // Not a file this user can open (left by a start as another user, a
    // read-only folder, a link): this one does not run beside an unknown
    // other, and says why it cannot start.
    std::error_code error;
    const auto status = fs::symlink_status(file, error);
    if (fs::is_symlink(status) || (fs::exists(status) && !fs::is_regular_file(status)))
        failure = "it is not a plain file";
    result.unusable = true;
    result.message =
        "Skyroll cannot open its lock file " + pathText(file) + ": " + failure + ". This start ends.";
    return result;
}

}  // namespace skyroll::platform
