#pragma once
// The desktop wallpaper as the program sees it, on top of one desktop's
// wallpaper service: the whole state read at start is what every restore
// puts back, and a crash record in the per-user state folder makes sure the
// user's wallpaper comes back even after the program was killed.
//
// The record is written before the space picture goes on and removed once
// the user's wallpaper has been set back. At start, a record whose picture
// is still on the desktop (on any of its keys) names the user's real
// wallpaper; another record of the same service is stale and goes. A record
// of another desktop's service stays untouched for a start under that
// desktop, and no picture is set over it meanwhile.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Desktop.h"
#include "platform/WallpaperService.h"

namespace skyroll::platform {

class WallpaperKeeper final : public Desktop {
public:
    using Log = std::function<void(const std::string& message)>;

    // `stateFolder` holds the crash record; empty when there is none, and
    // then no picture is set that could not be given back after a crash.
    WallpaperKeeper(WallpaperService& service, std::filesystem::path stateFolder, Log log);

    // Reads and records the desktop's whole state (once, at start) and
    // returns its main path; a crash record of this desktop's picture gives
    // the user's path instead. For a desktop without paths: the empty text.
    std::optional<std::string> wallpaperSetting() override;
    // The path read at start puts the recorded state back; any other path is
    // set everywhere, after the crash record has been written. Refused (false)
    // when the state at start could not be recorded or the record cannot be
    // written.
    bool setDeskWallpaper(const std::string& path) override;
    bool restoreWallpaper() override;

    std::filesystem::path recordFile() const;

private:
    struct Record {
        std::string service;
        std::string shown;
        WallpaperState user;
    };
    std::optional<Record> readRecord() const;
    bool writeRecord(const Record& record) const;
    void removeRecord() const;

    WallpaperService& m_service;
    std::filesystem::path m_stateFolder;
    Log m_log;
    std::optional<WallpaperState> m_user;  // the user's state, as recorded at start
    bool m_foreignRecord = false;          // another desktop's record waits in the state folder
};

}  // namespace skyroll::platform
