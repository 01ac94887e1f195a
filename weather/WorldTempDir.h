#pragma once
// The page folder WORLDTEMP, where the weather pages of a refresh are stored.

#include <chrono>
#include <filesystem>
#include <memory>

#include "platform/FileLock.h"
#include "platform/FileSystem.h"

namespace skyroll::weather {

// How long a program waits for another one's refresh: as long as a refresh
// may take.
inline constexpr std::chrono::milliseconds kPageFolderWait{45'000};

// One refresh at a time uses the page folder: it holds the lock file
// "WORLDTEMP.lock" beside the folder from before the folder is emptied to the
// end of the reduction. Waits at most `wait` for another program to release
// it; nullptr when it was not released in time (or the folder's place cannot
// be found): this program then neither empties the folder nor refreshes.
std::unique_ptr<platform::FileLock> HoldPageFolder(platform::FileSystem& files,
                                                   std::chrono::milliseconds wait);

// Creates or empties the page folder WORLDTEMP in files.systemFolder() and returns its path.
// Throws skyroll::FatalError with a clear message naming the folder when it cannot be made or emptied;
// a WORLDTEMP that is not a folder of its own (a file, a symbolic link) is neither used nor followed.
std::filesystem::path PrepareWorldTempDir(platform::FileSystem& files);

}  // namespace skyroll::weather
