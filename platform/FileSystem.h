#pragma once
// Special folders and the few file operations the program makes itself.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skyroll::platform {

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

    // Creates or truncates `file` and writes `bytes`. False on any failure.
    virtual bool writeFile(const std::filesystem::path& file, std::string_view bytes) = 0;

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
