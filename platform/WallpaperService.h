#pragma once
// One desktop's own way of reading and setting its wallpaper. Each desktop
// family (and the headless platform) implements this; WallpaperKeeper puts
// the program's rules on top.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::platform {

// What a desktop shows as its wallpaper, read in full.
struct WallpaperState {
    // The main picture's path in the user's own encoding (empty: none), or
    // std::nullopt where the desktop keeps no path (a root window pixmap).
    std::optional<std::string> path;
    // What the desktop shows now, in a form `apply` reports before it sets a
    // picture (a path or a pixmap id): how a later start recognises the
    // program's own picture.
    std::string shown;
    // Everything `restore` needs to put this state back (every monitor,
    // workspace and style variant), as text of the service's own format.
    std::string saved;
};

class WallpaperService {
public:
    virtual ~WallpaperService() = default;

    // The desktop family, for the log and the crash record ("GNOME", "Xfce").
    virtual std::string_view name() const = 0;

    // Reads the whole wallpaper state; std::nullopt when it cannot be read
    // (the store cannot be opened, the desktop does not answer).
    virtual std::optional<WallpaperState> read() = 0;

    // Sets the picture at `path` everywhere the service knows of. Once all
    // is prepared and before anything on the desktop changes, calls
    // `committing` with what the desktop will show (`shown` of a later
    // read); when that returns false nothing is changed. Returns false when
    // the picture was not set (refused, not loadable, no answer).
    virtual bool apply(const std::string& path,
                       const std::function<bool(const std::string& shown)>& committing) = 0;

    // Puts back a state produced by `read` (its `saved` text). False when it
    // could not be put back whole (checked where the desktop can be read
    // back).
    virtual bool restore(const std::string& saved) = 0;

    // How the desktop state `now` stands to a crash record written when the
    // picture `shown` went on over the user's state `userSaved`.
    enum class Standing {
        ours,   // the record's picture is still on, in whole or in part
        other,  // anything else: the wallpaper has changed since
    };
    // By default one comparison of `shown`; a service with several places
    // (keys, properties) compares each of them.
    virtual Standing standing(const WallpaperState& now, const std::string& shown,
                              const std::string& userSaved) const {
        (void)userSaved;
        return now.shown == shown ? Standing::ours : Standing::other;
    }

protected:
    // The standing of a state kept in several places (keys, properties),
    // each compared: ours when some place shows `shown` and every other one
    // holds the user's value; a place changed since makes it another's.
    static Standing standingOfPlaces(const std::map<std::string, std::string>& now,
                                     const std::map<std::string, std::string>& user,
                                     const std::string& shown) {
        bool ours = false;
        for (const auto& [place, value] : now) {
            const auto it = user.find(place);
            if (value == shown)
                ours = true;
            else if (it == user.end() || it->second != value)
                return Standing::other;
        }
        return ours ? Standing::ours : Standing::other;
    }
};

}  // namespace skyroll::platform
