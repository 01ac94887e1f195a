#pragma once
// The headless desktop: a wallpaper setting a test chooses, and a record of
// every wallpaper the program sets.

#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace skyroll::headless {

class HeadlessToolkit;

class HeadlessDesktop final : public platform::Desktop {
public:
    explicit HeadlessDesktop(HeadlessToolkit& toolkit, std::optional<std::string> setting = std::string{})
        : m_toolkit(toolkit), m_setting(std::move(setting)) {}

    std::optional<std::string> wallpaperSetting() override { return m_setting; }
    bool setDeskWallpaper(const std::string& path) override;

    void setWallpaperSetting(std::optional<std::string> setting) { m_setting = std::move(setting); }
    const std::vector<std::string>& wallpapersSet() const { return m_set; }

private:
    HeadlessToolkit& m_toolkit;
    std::optional<std::string> m_setting;
    std::vector<std::string> m_set;
};

}  // namespace skyroll::headless
