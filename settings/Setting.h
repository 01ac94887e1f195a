#pragma once
// fSetting: the settings dialog. Two rows of five option buttons show the
// place and the speed stored in EARTH.INI; OK writes the chosen ones back.
// One object per opening: the window is made with the object.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Toolkit.h"

namespace skyroll::settings {

// The option button a stored value selects: the text as a number (blanks
// around it, a sign, a fraction and an exponent allowed), rounded to the
// nearest whole number with a half going to the even neighbour. None when
// the text is no number or the result is not 0 to 4.
std::optional<int> OptionIndex(std::string_view text);

class fSetting final : public platform::FormEvents {
public:
    // `earthIni`: the settings file, reached through `files`. `windowRegion`:
    // the program-wide region handle the dialog stores its region in.
    fSetting(platform::Toolkit& toolkit, platform::FileSystem& files, std::filesystem::path earthIni,
             platform::RegionHandle& windowRegion);
    ~fSetting() override;

    platform::Form& form() { return *m_form; }

    void Form_Load();
    void Command1_Click();
    void CenterOnScreen(platform::Form& window);

    std::string DispPos;
    std::string RollSpeed;
    std::filesystem::path EarthIni;

    // platform::FormEvents
    void click(std::string_view control) override;

private:
    platform::Toolkit& m_toolkit;
    platform::FileSystem& m_files;
    std::filesystem::path m_earthIni;
    platform::RegionHandle& m_windowRegion;
    std::unique_ptr<platform::Form> m_form;
};

}  // namespace skyroll::settings
