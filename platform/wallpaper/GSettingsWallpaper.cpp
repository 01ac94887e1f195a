// The GNOME family's wallpaper through GSettings (GIO): the picture keys of
// one background schema, all read, all set, all put back. Other keys of the
// schema (picture-options and the like) are left alone.

#include <gio/gio.h>

#include <map>
#include <vector>

#include "platform/wallpaper/KillStep.h"
#include "platform/wallpaper/WallpaperServices.h"

namespace skyroll::wallpaper {
namespace {

// Length-prefixed fields, so that any value survives the saved text.
void putText(std::string& out, const std::string& value) {
    out.append(std::to_string(value.size())).append(":").append(value);
}
bool takeText(std::string_view& in, std::string& value) {
    const auto colon = in.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 9) return false;
    std::size_t size = 0;
    for (char c : in.substr(0, colon)) {
        if (c < '0' || c > '9') return false;
        size = size * 10 + std::size_t(c - '0');
    }
    in.remove_prefix(colon + 1);
    if (size > in.size()) return false;
    value.assign(in.substr(0, size));
    in.remove_prefix(size);
    return true;
}

struct GFree {
    void operator()(gchar* p) const { g_free(p); }
};
using GText = std::unique_ptr<gchar, GFree>;

class GSettingsWallpaper final : public platform::WallpaperService {
public:
    GSettingsWallpaper(const GSettingsFamily& family, GSettings* settings, std::vector<std::string> keys)
        : m_family(family), m_settings(settings), m_keys(std::move(keys)) {}
    ~GSettingsWallpaper() override { g_object_unref(m_settings); }

    std::string_view name() const override { return m_family.name; }

    std::optional<platform::WallpaperState> read() override {
        platform::WallpaperState state;
        for (const std::string& key : m_keys) {
            const GText value(g_settings_get_string(m_settings, key.c_str()));
            const std::string text = value ? value.get() : "";
            putText(state.saved, key);
            putText(state.saved, text);
            if (&key == &m_keys.front()) {
                state.shown = text;
                state.path = toPath(text);
            }
        }
        return state;
    }

    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override {
        std::string value = path;
        if (m_family.uris) {
            GError* error = nullptr;
            const GText uri(g_filename_to_uri(path.c_str(), nullptr, &error));
            if (!uri) {
                g_clear_error(&error);
                return false;
            }
            value = uri.get();
        }
        if (!committing(value)) return false;
        killStep();
        bool ok = true;
        for (const std::string& key : m_keys) ok = setKey(key, value) && ok;
        g_settings_sync();
        return ok;
    }

    bool restore(const std::string& saved) override {
        const auto values = parse(saved);
        if (!values) return false;
        bool ok = true;
        for (const auto& [key, value] : *values) ok = setKey(key, value) && ok;
        g_settings_sync();
        // Back only when the store holds every key as it was.
        const auto now = read();
        return ok && now && parse(now->saved) == values;
    }

    // Every key is compared: a run ended between two key writes leaves some
    // keys on the picture and some back.
    Standing standing(const platform::WallpaperState& now, const std::string& shown,
                      const std::string& userSaved) const override {
        const auto values = parse(now.saved);
        const auto user = parse(userSaved);
        return values && user ? standingOfPlaces(*values, *user, shown) : Standing::other;
    }

private:
    bool setKey(const std::string& key, const std::string& value) {
        const bool ok = g_settings_set_string(m_settings, key.c_str(), value.c_str());
        if (killStepsArmed()) {
            g_settings_sync();  // in the store before the step
            killStep();
        }
        return ok;
    }

    // The saved text's keys and values; std::nullopt when it is broken.
    static std::optional<std::map<std::string, std::string>> parse(std::string_view in) {
        std::map<std::string, std::string> values;
        std::string key, value;
        while (!in.empty()) {
            if (!takeText(in, key) || !takeText(in, value)) return std::nullopt;
            values[key] = value;
        }
        return values;
    }

    // The picture's path in the user's encoding: a file URI decoded, a plain
    // path as it is, the empty text for none; another kind of URI is kept as
    // it stands, so that it is still given back whole.
    std::string toPath(const std::string& value) const {
        if (!m_family.uris || value.empty()) return value;
        const GText path(g_filename_from_uri(value.c_str(), nullptr, nullptr));
        return path ? std::string(path.get()) : value;
    }

    const GSettingsFamily& m_family;
    GSettings* m_settings;
    std::vector<std::string> m_keys;
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makeGSettingsWallpaper(const GSettingsFamily& family) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, family.schema, TRUE);
    if (!schema) return nullptr;
    std::vector<std::string> keys;
    for (const char* key : family.keys)
        if (key && g_settings_schema_has_key(schema, key)) keys.emplace_back(key);
    g_settings_schema_unref(schema);
    if (keys.empty() || keys.front() != family.keys[0]) return nullptr;
    return std::make_unique<GSettingsWallpaper>(family, g_settings_new(family.schema), std::move(keys));
}

}  // namespace skyroll::wallpaper
