#include "weather/WorldTempDir.h"

#include "core/Failure.h"

namespace skyroll::weather {

std::unique_ptr<platform::FileLock> HoldPageFolder(platform::FileSystem& files,
                                                   std::chrono::milliseconds wait) {
    const std::filesystem::path systemFolder = files.systemFolder();
    if (systemFolder.empty()) return nullptr;
    return files.lock(systemFolder / "WORLDTEMP.lock", wait, nullptr);
}

std::filesystem::path PrepareWorldTempDir(platform::FileSystem& files) {
    const std::filesystem::path systemFolder = files.systemFolder();
    if (systemFolder.empty())
        throw FatalError("The folder for downloaded weather pages cannot be found or created.");
    const std::filesystem::path worldTempDir = systemFolder / "WORLDTEMP";
    if (!files.folderExists(worldTempDir)) {
        if (!files.createFolder(worldTempDir))
            throw FatalError("The folder " + worldTempDir.string() + " cannot be created.");
        return worldTempDir;
    }
    // The dummy page makes sure the deletion always has a page to delete:
    // the original's wildcard delete failed on an empty folder.
    if (!files.writeFile(worldTempDir / "DUMMY.html", "DUMMY DATA\r\n") ||
        files.deleteFilesEndingWith(worldTempDir, ".html") < 1)
        throw FatalError("The pages in the folder " + worldTempDir.string() + " cannot be deleted.");
    return worldTempDir;
}

}  // namespace skyroll::weather
