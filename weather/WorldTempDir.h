#pragma once
// The page folder WORLDTEMP, where the weather pages of a refresh are stored.

#include <filesystem>

#include "platform/FileSystem.h"

namespace skyroll::weather {

// Creates or empties the page folder WORLDTEMP in files.systemFolder() and returns its path.
// Throws skyroll::FatalError with a clear message naming the folder when it cannot be made or emptied.
std::filesystem::path PrepareWorldTempDir(platform::FileSystem& files);

}  // namespace skyroll::weather
