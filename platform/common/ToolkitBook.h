#pragma once
// The bookkeeping every toolkit keeps the same way, so that the rules of
// Toolkit.h on handles, regions, tray icons, names and unloading are written
// once: the forms by window handle, the regions and who owns each, the tray
// icons, lookup by name and the unload sequence. The toolkits keep only
// their native objects (a QRegion, an HRGN, a description) here.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Toolkit.h"

namespace skyroll::platform {

// The forms of a toolkit, alive from their creation to their destruction.
template <class FormT>
class FormTable {
public:
    explicit FormTable(WindowHandle first = 0x100, WindowHandle step = 1) : m_next(first), m_step(step) {}

    WindowHandle newHandle() { return std::exchange(m_next, m_next + m_step); }
    void add(FormT* form) { m_forms.push_back(form); }
    void remove(FormT* form) { std::erase(m_forms, form); }
    // The loaded form whose window is `window`; null for 0 and for a handle
    // that is no loaded form of this toolkit.
    FormT* find(WindowHandle window) const {
        for (FormT* form : m_forms)
            if (window != 0 && form->handle() == window) return form;
        return nullptr;
    }
    const std::vector<FormT*>& all() const { return m_forms; }

private:
    std::vector<FormT*> m_forms;
    WindowHandle m_next;
    WindowHandle m_step;
};

// The live regions: each is free (the program's to give or delete) or owned
// by one window, which frees it when it takes another or goes.
template <class Native>
class RegionTable {
public:
    RegionHandle add(Native native) {
        const RegionHandle handle = m_next++;
        m_regions.emplace(handle, Entry{std::move(native), 0});
        return handle;
    }
    const Native* find(RegionHandle region) const {
        auto it = m_regions.find(region);
        return it == m_regions.end() ? nullptr : &it->second.native;
    }
    bool owned(RegionHandle region) const {
        auto it = m_regions.find(region);
        return it != m_regions.end() && it->second.owner != 0;
    }
    // Whether setWindowRgn may hand `region` to a window: none at all, or a
    // live region nobody owns.
    bool givable(RegionHandle region) const { return region == 0 || (find(region) && !owned(region)); }
    RegionHandle ownedBy(WindowHandle window) const {
        for (const auto& [handle, entry] : m_regions)
            if (window != 0 && entry.owner == window) return handle;
        return 0;
    }
    // `window` owns `region` (0: none) from now on; the region it owned
    // before is dropped and returned, for the toolkit to free natively.
    std::optional<Native> give(WindowHandle window, RegionHandle region) {
        std::optional<Native> former;
        const RegionHandle old = ownedBy(window);
        if (old != 0 && old != region) former = take(old);
        if (auto it = m_regions.find(region); it != m_regions.end()) it->second.owner = window;
        return former;
    }
    // deleteObject: drops and returns a live region that nobody owns.
    std::optional<Native> takeFree(RegionHandle region) {
        if (!find(region) || owned(region)) return std::nullopt;
        return take(region);
    }
    // The window is gone: drops and returns the region it owned.
    std::optional<Native> releaseWindow(WindowHandle window) {
        const RegionHandle region = ownedBy(window);
        return region ? take(region) : std::nullopt;
    }
    // Every region still free, dropped (the toolkit is going).
    std::vector<Native> takeAllFree() {
        std::vector<Native> free;
        for (auto it = m_regions.begin(); it != m_regions.end();) {
            if (it->second.owner == 0) {
                free.push_back(std::move(it->second.native));
                it = m_regions.erase(it);
            } else {
                ++it;
            }
        }
        return free;
    }
    std::size_t size() const { return m_regions.size(); }

private:
    struct Entry {
        Native native;
        WindowHandle owner;
    };
    std::optional<Native> take(RegionHandle region) {
        auto it = m_regions.find(region);
        if (it == m_regions.end()) return std::nullopt;
        std::optional<Native> native(std::move(it->second.native));
        m_regions.erase(it);
        return native;
    }

    std::map<RegionHandle, Entry> m_regions;
    RegionHandle m_next = 0x1000;
};

// The tray icons added, by window (hWnd) and id (uID), in the order added.
class TrayTable {
public:
    const TrayIconData* find(WindowHandle window, std::uint32_t id) const;
    bool hasWindow(WindowHandle window) const;
    void add(const TrayIconData& icon) { m_icons.push_back(icon); }
    bool remove(WindowHandle window, std::uint32_t id);
    const std::vector<TrayIconData>& all() const { return m_icons; }

private:
    std::vector<TrayIconData> m_icons;
};

// The item named `name` among `items` (anything with name()), or null.
template <class T>
T* findNamed(const std::vector<std::unique_ptr<T>>& items, std::string_view name) {
    for (const auto& item : items)
        if (item->name() == name) return item.get();
    return nullptr;
}

// Throws the std::out_of_range of an unknown name: "no control X on fForm".
[[noreturn]] void throwNoSuch(std::string_view what, std::string_view name, std::string_view form);

// Whether a form is loaded, and the one way it is unloaded.
class LoadState {
public:
    bool loaded() const { return m_loaded; }
    // Reports unload to the program (`report`), then runs `finish`, which
    // frees what the form holds; `finish` runs after loaded() has turned
    // false, also when the report throws (the failure then goes on).
    // Does nothing when the form is unloaded or being unloaded.
    void unload(const std::function<void()>& report, const std::function<void()>& finish);
    // The form's object goes without an unload: true when it was loaded.
    bool drop() { return std::exchange(m_loaded, false); }

private:
    bool m_loaded = true;
    bool m_unloading = false;
};

}  // namespace skyroll::platform
