#pragma once
// The one place where a program's services are put together from the pieces
// its build supplies: the toolkit, the files, the desktop's own wallpaper
// service, the page downloader, the weather service and the frame artist. The desktop gets the
// keeper that records the user's wallpaper in the files' state folder, so
// that it comes back after a crash too.

#include <functional>
#include <string>

#include "platform/Downloader.h"
#include "platform/FileSystem.h"
#include "platform/FrameArtist.h"
#include "platform/Services.h"
#include "platform/Toolkit.h"
#include "platform/WallpaperService.h"
#include "platform/WeatherService.h"
#include "platform/common/WallpaperKeeper.h"

namespace skyroll::programs {

struct ServicePieces {
    platform::Toolkit& toolkit;
    platform::FileSystem& files;
    platform::WallpaperService& wallpaper;
    std::function<void(const std::string&)> wallpaperLog;
    platform::Downloader& downloader;   // the page sites
    platform::WeatherService& weather;  // the live source
    platform::FrameArtist& artist;      // the globe frames by day and night
};

// The services hold on to the pieces, which must outlive them; the keeper is
// held here, so the whole stays where it was made.
class AssembledServices {
public:
    explicit AssembledServices(const ServicePieces& pieces);
    AssembledServices(const AssembledServices&) = delete;
    AssembledServices& operator=(const AssembledServices&) = delete;

    platform::WallpaperKeeper& desktop() { return m_desktop; }
    platform::Services& services() { return m_services; }

private:
    platform::WallpaperKeeper m_desktop;
    platform::Services m_services;
};

}  // namespace skyroll::programs
