#pragma once
// Everything the program reaches the outside world through.

#include "platform/Desktop.h"
#include "platform/Downloader.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"

namespace skyroll::platform {

struct Services {
    Toolkit& toolkit;
    FileSystem& files;
    Desktop& desktop;
    Downloader& downloader;
};

}  // namespace skyroll::platform
