#include "platform/common/ToolkitBook.h"

#include <stdexcept>

namespace skyroll::platform {

const TrayIconData* TrayTable::find(WindowHandle window, std::uint32_t id) const {
    for (const TrayIconData& icon : m_icons)
        if (icon.hWnd == window && icon.uID == id) return &icon;
    return nullptr;
}

bool TrayTable::hasWindow(WindowHandle window) const {
    return std::any_of(m_icons.begin(), m_icons.end(),
                       [&](const TrayIconData& i) { return i.hWnd == window; });
}

bool TrayTable::remove(WindowHandle window, std::uint32_t id) {
    return std::erase_if(m_icons, [&](const TrayIconData& i) { return i.hWnd == window && i.uID == id; }) > 0;
}

void throwNoSuch(std::string_view what, std::string_view name, std::string_view form) {
    throw std::out_of_range("no " + std::string(what) + " " + std::string(name) + " on " + std::string(form));
}

void LoadState::unload(const std::function<void()>& report, const std::function<void()>& finish) {
    if (!m_loaded || m_unloading) return;
    m_unloading = true;
    struct Finish {
        LoadState& state;
        const std::function<void()>& finish;
        ~Finish() {
            state.m_loaded = false;
            state.m_unloading = false;
            finish();
        }
    } done{*this, finish};
    report();
}

}  // namespace skyroll::platform
