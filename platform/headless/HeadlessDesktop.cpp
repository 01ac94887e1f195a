#include "platform/headless/HeadlessDesktop.h"

#include "platform/headless/HeadlessToolkit.h"

namespace skyroll::headless {

std::optional<platform::WallpaperState> HeadlessDesktop::read() {
    if (!m_setting) return std::nullopt;
    return platform::WallpaperState{*m_setting, *m_setting, *m_setting};
}

bool HeadlessDesktop::apply(const std::string& path,
                            const std::function<bool(const std::string& shown)>& committing) {
    if (!committing(path)) return false;
    set(path);
    return true;
}

bool HeadlessDesktop::restore(const std::string& saved) {
    set(saved);
    return true;
}

void HeadlessDesktop::set(const std::string& path) {
    m_setting = path;
    m_set.push_back(path);
    m_toolkit.record("desktop", "wallpaper", path);
}

}  // namespace skyroll::headless
