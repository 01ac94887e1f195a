#include "platform/headless/HeadlessDesktop.h"

#include "platform/headless/HeadlessToolkit.h"

namespace skyroll::headless {

std::optional<platform::WallpaperState> HeadlessDesktop::read() {
    if (!m_setting || m_away) return std::nullopt;
    return platform::WallpaperState{*m_setting, *m_setting, *m_setting};
}

bool HeadlessDesktop::apply(const std::string& path,
                            const std::function<bool(const std::string& shown)>& committing) {
    if (m_away || !committing(path)) return false;
    set(path);
    return true;
}

bool HeadlessDesktop::restore(const std::string& saved) {
    if (m_away) return false;
    set(saved);
    return true;
}

void HeadlessDesktop::set(const std::string& path) {
    m_setting = path;
    m_set.push_back(path);
    m_toolkit.record("desktop", "wallpaper", path);
}

}  // namespace skyroll::headless
