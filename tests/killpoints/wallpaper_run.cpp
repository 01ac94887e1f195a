// The wallpaper's part of a run of the program, for the kill points inside
// the wallpaper services (wallpaper_killpoints.sh): the service chosen as
// the program chooses it, the crash record in STATE.
//   wallpaper_run STATE on PICTURE - start, the space picture on, exit
//   wallpaper_run STATE on PICTURE hold - the same, but once the picture is
//                                    on it says "on" and waits for a line
//                                    on its input before the exit
//   wallpaper_run STATE exit       - start and exit
//   wallpaper_run STATE dump       - the desktop's whole wallpaper state
//   wallpaper_run STATE setroot    - a user's root pixmap of two colours,
//                                    set the way root setters do (bare X)
// SKYROLL_KILL_STEP=N ends it at the Nth step inside the service.

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

#include "platform/common/WallpaperKeeper.h"
#include "platform/wallpaper/WallpaperServices.h"

// Xlib last: its macros clash with Qt's names.
#include "tests/platform/wallpaper/UserRootPixmap.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const std::string mode = argc > 2 ? argv[2] : "";
    if (mode == "setroot") return skyroll::test::setUserRootPixmap() != None ? 0 : 1;
    if (argc < 3 || (mode == "on" && argc < 4)) {
        std::cerr << "usage: wallpaper_run STATE on PICTURE [hold] | exit | dump | setroot\n";
        return 2;
    }
    const auto log = [](const std::string& message) { std::cerr << message << "\n"; };
    const auto service = skyroll::wallpaper::chooseWallpaperService(log);
    if (mode == "dump") {
        const auto state = service->read();
        if (!state) return 1;
        std::cout << state->saved;
        return 0;
    }
    skyroll::platform::WallpaperKeeper keeper(*service, argv[1], log);
    keeper.wallpaperSetting();
    if (mode == "on" && !keeper.setDeskWallpaper(argv[3])) return 1;
    if (mode == "on" && argc > 4 && std::string(argv[4]) == "hold") {
        std::cout << "on" << std::endl;
        std::string line;
        std::getline(std::cin, line);
    }
    return keeper.restoreWallpaper() ? 0 : 1;
}
