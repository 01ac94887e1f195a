#pragma once
// The few file operations whose portable form is not good enough: bounded
// reads that tell a missing file from an unreadable one, the atomic replace of
// a file's content, and the folder that stands in for the Windows system
// folder. One implementation per operating system (NativeFilesPosix.cpp,
// win32/NativeFilesWin32.cpp), each of which also defines identifyFile of
// PictureFile.h; paths reach the system in its own wide or narrow form, never
// through a code page.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace skyroll::platform::native {

using platform::ReadStatus;

// Reads the whole of `file` into `content`. Only a regular file is read (a
// symbolic link to one is followed); the open never waits, so a named pipe,
// a device, a socket or a folder reads as `missing`, as does a file (or
// folder on its path) that does not exist. A file of more than `maxSize`
// bytes or one that cannot be read is `unreadable`.
// With `cutAtMax`, a longer file gives its first `maxSize` bytes instead.
ReadStatus readFileBounded(const std::filesystem::path& file, std::size_t maxSize, std::string& content,
                           bool cutAtMax = false);

// Gives `target` the new `content` through a temporary file in the same
// folder that then takes the target's place, so the target holds either its
// old or its new content, never a part. An existing target's permissions (or
// attributes) are kept; a new file gets the usual ones. The temporary file is
// removed on failure. Returns false when anything fails; the target is then
// unchanged.
bool replaceFileAtomically(const std::filesystem::path& target, std::string_view content);

// Puts `written`, a complete new file in the same folder as `target`, in the
// target's place in one step, after flushing it to the disk. Returns false,
// leaving both as they were, when that fails.
bool replaceWithFile(const std::filesystem::path& written, const std::filesystem::path& target);

// Creates `file` empty, only if nothing of that name exists (a link there is
// never followed), and closes it. False when it could not be made.
bool createNewFile(const std::filesystem::path& file);

// The folder of the running executable, asked of the system as it names it
// (the bytes of the path on POSIX, the wide path on Windows), never derived
// from the current folder. Empty when the system cannot tell.
std::filesystem::path executableFolder();

// The user's home folder: $HOME when it is an absolute path, else the home
// folder of the user database entry of the running user (on Windows
// %USERPROFILE%). Empty when none is known.
std::filesystem::path userHome();

// The per-user folder for the settings of an installed program: on Linux
// $XDG_CONFIG_HOME/skyroll, else userHome()/.config/skyroll; on Windows
// %APPDATA%\Skyroll. May not exist yet; empty when it cannot be determined.
std::filesystem::path userConfigFolder();

// The per-user state folder (the wallpaper's crash record, the program
// lock): on Linux $XDG_STATE_HOME/skyroll, else
// userHome()/.local/state/skyroll; on Windows %LOCALAPPDATA%\Skyroll. May not
// exist yet; empty when it cannot be determined.
std::filesystem::path userStateFolder();

// The per-user folder for the weather file when the program's own folder
// cannot hold it: on Linux the cache folder ($XDG_CACHE_HOME/skyroll, else
// userHome()/.cache/skyroll); on Windows %LOCALAPPDATA%\Skyroll, never the
// system folder. May not exist yet; empty when it cannot be determined.
std::filesystem::path userCacheFolder();

// The folder for the page folder when no other is given. On Linux the
// per-user cache folder ($XDG_CACHE_HOME/skyroll, else
// userHome()/.cache/skyroll); on
// Windows the system folder, or %LOCALAPPDATA%\Skyroll when the system folder
// cannot be written. May not exist yet; empty when it cannot be determined.
std::filesystem::path defaultSystemFolder();

}  // namespace skyroll::platform::native
