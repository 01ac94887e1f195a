#pragma once
// Special folders and every file operation of the program: the core reaches
// files only through the FileSystem it is given, so that a test's own one
// sees each of them.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileLock.h"

namespace skyroll::platform {

// What a bounded read of a file found (FileSystem::readFile).
enum class ReadStatus { ok, missing, unreadable };

// One key of a profile (INI) file to set; byte strings in code page 932.
struct ProfileEntry {
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

// Where the program finds its pictures and keeps its two files.
struct ProgramFiles {
    std::filesystem::path dataFolder;  // SKR20: earth, moon, BACK, WEATHER; read only when installed
    std::filesystem::path earthIni;    // the settings file
    std::filesystem::path weatherIni;  // the weather result file
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The program's files for an executable in `appFolder`, in one of two
    // layouts:
    // - portable, when `appFolder`/SKR20 is a folder: everything in it, both
    //   files in SKR20/PALAM. When PALAM cannot be written (a read-only
    //   share), the weather file goes to the per-user cache folder instead
    //   (native::userCacheFolder(): on Linux the folder systemFolder() gives
    //   too, on Windows %LOCALAPPDATA%\Skyroll, never the system folder), and
    //   the log says so; the settings are still read from PALAM.
    // - installed, otherwise: the data in `appFolder`/../share/skyroll/SKR20,
    //   the settings file in the per-user configuration folder
    //   (native::userConfigFolder(): $XDG_CONFIG_HOME/skyroll, else
    //   ~/.config/skyroll; on Windows %APPDATA%\Skyroll), the weather file
    //   in the per-user cache folder.
    // With a system folder given to makeLocalFileSystem, that folder takes
    // the cache folder's place.
    // Folders the files go into are created when missing. A file's path is
    // empty when its folder cannot be determined or created.
    virtual ProgramFiles programFiles(const std::filesystem::path& appFolder) = 0;

    // The folder that stands in for the Windows system folder: the place of
    // the page folder. On Linux the per-user cache folder
    // ($XDG_CACHE_HOME/skyroll, else ~/.cache/skyroll), created when missing.
    // Returns an empty path when it cannot be determined or created.
    virtual std::filesystem::path systemFolder() = 0;

    // The per-user state folder, which keeps the wallpaper's crash record
    // and the program lock (native::userStateFolder(): $XDG_STATE_HOME/skyroll,
    // else ~/.local/state/skyroll; on Windows %LOCALAPPDATA%\Skyroll), created
    // when missing. Returns an empty path when it cannot be determined or created.
    virtual std::filesystem::path stateFolder() = 0;

    // True when `folder` exists and is a folder itself, not a symbolic link
    // to one; false otherwise or on error.
    virtual bool folderExists(const std::filesystem::path& folder) = 0;

    // Creates one folder level. False when it cannot be made (parent missing,
    // no permission) or already exists as something else.
    virtual bool createFolder(const std::filesystem::path& folder) = 0;

    // Reads the whole of `file` into `content`. Only a regular file is read
    // (a symbolic link to one is followed); the open never waits, so a named
    // pipe, a device, a socket or a folder reads as `missing`, as does a file
    // (or folder on its path) that does not exist. A file of more than
    // `maxSize` bytes or one that cannot be read is `unreadable`; with
    // `cutAtMax`, a longer file gives its first `maxSize` bytes instead.
    virtual ReadStatus readFile(const std::filesystem::path& file, std::size_t maxSize, std::string& content,
                                bool cutAtMax) = 0;

    // Creates or truncates `file` and writes `bytes`. False on any failure.
    virtual bool writeFile(const std::filesystem::path& file, std::string_view bytes) = 0;

    // Appends `bytes` to `file`, created when missing. False on any failure.
    virtual bool appendFile(const std::filesystem::path& file, std::string_view bytes) = 0;

    // Puts `written`, a complete new file in the same folder as `target`, in
    // the target's place in one step, after flushing it to the disk. False,
    // leaving both as they were, when that fails.
    virtual bool replaceWithFile(const std::filesystem::path& written,
                                 const std::filesystem::path& target) = 0;

    // Removes the entry `file` (a file, or a symbolic link, which is not
    // followed). False when something of that name is still there.
    virtual bool removeFile(const std::filesystem::path& file) = 0;

    // The profile (INI) files as the Windows ANSI profile functions have them
    // (platform/common/ProfileFile.h has the rules). readProfileString: the
    // value of `key` in `section`, cut for a buffer of `bufferSize` bytes, or
    // `defaultValue` when the file, the section or the key is missing or
    // unreadable; never fails. writeProfileStrings: every entry in one
    // replacement of the file, created when missing (never its folder);
    // false, with the file as it was, when one entry is refused or the file
    // cannot be written.
    virtual std::string readProfileString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::size_t bufferSize,
                                          const std::filesystem::path& file) = 0;
    virtual bool writeProfileStrings(std::span<const ProfileEntry> entries,
                                     const std::filesystem::path& file) = 0;

    // Takes the exclusive lock on `file` as lockFile of FileLock.h does:
    // created when missing, a link not followed, waiting at most `wait` for
    // another holder (not at all once a stop is requested). nullptr when it
    // was not taken in time or the file cannot be opened or locked; in the
    // second case `failure`, when not null, receives the system's reason.
    virtual std::unique_ptr<FileLock> lock(const std::filesystem::path& file, std::chrono::milliseconds wait,
                                           std::string* failure) = 0;

    // Deletes every regular file directly in `folder` whose name ends with
    // `suffix` (the pattern "*" + suffix). Returns the number deleted, or -1
    // when the folder cannot be listed, is a symbolic link, or a matching
    // file cannot be deleted.
    virtual int deleteFilesEndingWith(const std::filesystem::path& folder, std::string_view suffix) = 0;

    // Deletes what a program of ours, killed while writing, can leave
    // directly in `folder`: the regular files named like the temporary file
    // of a replaced file (isTemporaryFileName) and those named exactly like
    // one of `alsoNamed`. Nothing else is touched and no link is followed or
    // deleted. Returns the number deleted, or -1 when the folder cannot be
    // listed or a leftover cannot be deleted.
    virtual int deleteLeftovers(const std::filesystem::path& folder,
                                const std::vector<std::filesystem::path>& alsoNamed) = 0;
};

// True for the names of the program's temporary files beside a file it
// replaces: ".skyroll-", then 1 to 40 lowercase hexadecimal digits and
// dashes, then ".tmp".
bool isTemporaryFileName(const std::filesystem::path& name);

// The portable implementation on std::filesystem. `systemFolderOverride`
// and `stateFolderOverride`, when not empty, are used as the system and the
// state folder (tests, tools); the system folder given then also takes the
// per-user cache folder's place. `log`, when set, receives the notes worth a
// line in the program's log.
std::unique_ptr<FileSystem> makeLocalFileSystem(std::filesystem::path systemFolderOverride = {},
                                                std::filesystem::path stateFolderOverride = {},
                                                std::function<void(const std::string&)> log = {});

}  // namespace skyroll::platform
