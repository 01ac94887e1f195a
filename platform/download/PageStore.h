#pragma once
// Where a downloaded page goes: a plain file name in the command's folder,
// never outside it, and an empty file when the page failed.

#include <filesystem>
#include <string_view>

#include "platform/DownloadCommand.h"
#include "platform/FileSystem.h"

namespace skyroll::platform {

// The folder of a command, which carries it as text (platform/PathText.h:
// its bytes on Linux, UTF-8 on Windows).
std::filesystem::path folderOf(const W3getvRequest& request);

// Writes the page (possibly empty) through `files` as the request's folder /
// file. The file must be a plain file name (isPlainFileName) and the folder
// must exist. An existing entry of that name is removed first, so a link
// placed there is never followed. False when anything fails.
bool storePage(FileSystem& files, const W3getvRequest& request, std::string_view bytes);
// The same on the local file system.
bool storePage(const W3getvRequest& request, std::string_view bytes);

}  // namespace skyroll::platform
