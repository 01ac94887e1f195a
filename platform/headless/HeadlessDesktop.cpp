#include "platform/headless/HeadlessDesktop.h"

#include "platform/headless/HeadlessToolkit.h"

namespace skyroll::headless {

bool HeadlessDesktop::setDeskWallpaper(const std::string& path) {
    m_set.push_back(path);
    m_toolkit.record("desktop", "wallpaper", path);
    return true;
}

}  // namespace skyroll::headless
