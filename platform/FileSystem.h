#pragma once
// Special folders and the few file operations the program makes itself.

#include <filesystem>
#include <memory>
#include <string_view>

namespace skyroll::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The folder that stands in for the Windows system folder: the place of
    // the page folder. On Linux the per-user cache folder
    // ($XDG_CACHE_HOME/skyroll, else ~/.cache/skyroll), created when missing.
    // Returns an empty path when it cannot be determined or created.
    virtual std::filesystem::path systemFolder() = 0;

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
};

// The portable implementation on std::filesystem. `systemFolderOverride`,
// when not empty, is used as the system folder (tests, tools).
std::unique_ptr<FileSystem> makeLocalFileSystem(std::filesystem::path systemFolderOverride = {});

}  // namespace skyroll::platform
