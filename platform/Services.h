#pragma once
// Everything the program reaches the outside world through.

#include "platform/Desktop.h"
#include "platform/Downloader.h"
#include "platform/FileSystem.h"
#include "platform/FrameArtist.h"
#include "platform/Toolkit.h"
#include "platform/WeatherService.h"

namespace skyroll::platform {

struct Services {
    Toolkit& toolkit;
    FileSystem& files;
    Desktop& desktop;
    Downloader& downloader;    // the page sites
    WeatherService& weather;   // the live source
    FrameArtist& artist;       // the globe frames by day and night
};

}  // namespace skyroll::platform
