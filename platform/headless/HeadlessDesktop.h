#pragma once
// The headless desktop's wallpaper service: a wallpaper setting a test
// chooses (and may change, as a user would), and a record of every
// wallpaper the program sets.

#include <optional>
#include <string>
#include <vector>

#include "platform/WallpaperService.h"

namespace skyroll::headless {

class HeadlessToolkit;

class HeadlessDesktop final : public platform::WallpaperService {
public:
    explicit HeadlessDesktop(HeadlessToolkit& toolkit, std::optional<std::string> setting = std::string{})
        : m_toolkit(toolkit), m_setting(std::move(setting)) {}

    std::string_view name() const override { return "headless"; }
    // The setting as path, shown picture and saved state; std::nullopt when
    // the test made it unreadable.
    std::optional<platform::WallpaperState> read() override;
    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override;
    bool restore(const std::string& saved) override;

    void setWallpaperSetting(std::optional<std::string> setting) { m_setting = std::move(setting); }
    // A desktop service that has gone away answers nothing: every read,
    // apply and restore fails.
    void setAway(bool away) { m_away = away; }
    const std::optional<std::string>& wallpaperSetting() const { return m_setting; }
    const std::vector<std::string>& wallpapersSet() const { return m_set; }

private:
    void set(const std::string& path);

    HeadlessToolkit& m_toolkit;
    std::optional<std::string> m_setting;
    std::vector<std::string> m_set;
    bool m_away = false;
};

}  // namespace skyroll::headless
