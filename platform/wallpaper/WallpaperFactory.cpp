// The choice of the wallpaper service for the session the program runs in.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QString>
#include <cstdlib>
#include <string_view>

#include "platform/wallpaper/WallpaperServices.h"

namespace skyroll::wallpaper {

const GSettingsFamily kGnomeFamily{
    "GNOME", "org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, true};
const GSettingsFamily kCinnamonFamily{
    "Cinnamon", "org.cinnamon.desktop.background", {"picture-uri", nullptr}, true};
const GSettingsFamily kMateFamily{"MATE", "org.mate.background", {"picture-filename", nullptr}, false};

namespace {

enum class Family { Gnome, Cinnamon, Mate, Plasma, Xfce };

// Names in XDG_CURRENT_DESKTOP, and bus names a running desktop owns.
const std::pair<std::string_view, Family> kDesktopNames[] = {
    {"GNOME", Family::Gnome},         {"Unity", Family::Gnome},       {"Budgie", Family::Gnome},
    {"X-Cinnamon", Family::Cinnamon}, {"Cinnamon", Family::Cinnamon}, {"MATE", Family::Mate},
    {"KDE", Family::Plasma},          {"XFCE", Family::Xfce},
};
const std::pair<const char*, Family> kBusNames[] = {
    {"org.kde.plasmashell", Family::Plasma}, {"org.xfce.Xfconf", Family::Xfce},
    {"org.gnome.Shell", Family::Gnome},      {"org.Cinnamon", Family::Cinnamon},
    {"org.mate.panel", Family::Mate},
};

std::unique_ptr<platform::WallpaperService> make(Family family) {
    switch (family) {
        case Family::Gnome:
            return makeGSettingsWallpaper(kGnomeFamily);
        case Family::Cinnamon:
            return makeGSettingsWallpaper(kCinnamonFamily);
        case Family::Mate:
            return makeGSettingsWallpaper(kMateFamily);
        case Family::Plasma:
            return makePlasmaWallpaper();
        case Family::Xfce:
            return makeXfceWallpaper();
    }
    return nullptr;
}

std::unique_ptr<platform::WallpaperService> fromCurrentDesktop(const Log& log) {
    const char* current = std::getenv("XDG_CURRENT_DESKTOP");
    if (!current || !*current) return nullptr;
    // A colon-separated list, most specific first ("ubuntu:GNOME").
    std::string_view list = current;
    while (!list.empty()) {
        const auto colon = list.find(':');
        const std::string_view name = list.substr(0, colon);
        for (const auto& [desktop, family] : kDesktopNames) {
            if (name != desktop) continue;
            if (auto service = make(family)) {
                log("wallpaper service: " + std::string(service->name()) +
                    ", from XDG_CURRENT_DESKTOP=" + current);
                return service;
            }
        }
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return nullptr;
}

std::unique_ptr<platform::WallpaperService> fromSessionBus(const Log& log) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return nullptr;
    for (const auto& [busName, family] : kBusNames) {
        if (!bus.interface()->isServiceRegistered(QString::fromLatin1(busName)).value()) continue;
        if (auto service = make(family)) {
            log("wallpaper service: " + std::string(service->name()) + ", from " + busName +
                " on the session bus");
            return service;
        }
    }
    return nullptr;
}

bool waylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (type && std::string_view(type) == "wayland") || (wayland && *wayland);
}

}  // namespace

std::unique_ptr<platform::WallpaperService> chooseWallpaperService(const Log& log) {
    if (auto service = fromCurrentDesktop(log)) return service;
    if (auto service = fromSessionBus(log)) return service;
    // On a Wayland session the X server is XWayland, whose root window
    // nobody sees: the desktop's own service or none.
    if (waylandSession()) {
        log("wallpaper service: none found; the wallpaper is left as it is");
        return makeNoWallpaper();
    }
    if (auto service = makeRootWindowWallpaper()) {
        log("wallpaper service: bare X, the root window's background");
        return service;
    }
    log("wallpaper service: none found; the wallpaper is left as it is");
    return makeNoWallpaper();
}

}  // namespace skyroll::wallpaper
