#pragma once
// The wallpaper services of the Linux desktops, and the choice of one for
// the session the program runs in.

#include <functional>
#include <memory>
#include <string>

#include "platform/WallpaperService.h"

namespace skyroll::wallpaper {

using Log = std::function<void(const std::string& message)>;

// One GSettings schema of the GNOME family and the keys that hold its
// picture (file URIs, or plain paths where `uris` is false).
struct GSettingsFamily {
    const char* name;     // "GNOME", "Cinnamon", "MATE"
    const char* schema;   // "org.gnome.desktop.background"
    const char* keys[2];  // the main key first; a key the schema lacks is skipped
    bool uris;
};

// The family's schemas: org.gnome.desktop.background (GNOME, Unity, Budgie),
// org.cinnamon.desktop.background, org.mate.background.
extern const GSettingsFamily kGnomeFamily;
extern const GSettingsFamily kCinnamonFamily;
extern const GSettingsFamily kMateFamily;

// GSettings through GIO. nullptr when the schema is not installed.
std::unique_ptr<platform::WallpaperService> makeGSettingsWallpaper(const GSettingsFamily& family);
// KDE Plasma: the shell's scripting interface on the session bus, every
// desktop of every screen.
std::unique_ptr<platform::WallpaperService> makePlasmaWallpaper();
// Xfce: xfconf on the session bus, every monitor's and workspace's last-image.
std::unique_ptr<platform::WallpaperService> makeXfceWallpaper();
// A bare X server: the root window's background pixmap, the way root-setting
// programs leave it. nullptr when no X display can be opened.
std::unique_ptr<platform::WallpaperService> makeRootWindowWallpaper();
// No wallpaper service: nothing can be read or set.
std::unique_ptr<platform::WallpaperService> makeNoWallpaper();

// The service for this session: XDG_CURRENT_DESKTOP first, then the desktop
// that answers on the session bus, then the bare X server (never on a
// Wayland session), else none. Says in `log` which it chose and why.
std::unique_ptr<platform::WallpaperService> chooseWallpaperService(const Log& log);

}  // namespace skyroll::wallpaper
