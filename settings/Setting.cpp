#include "settings/Setting.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "forms/Layouts.h"
#include "forms/WindowShape.h"
#include "settings/IniPalam.h"

namespace skyroll::settings {

namespace {

constexpr int kOptions = 5;

std::string optionName(std::string_view array, int index) {
    return std::string(array) + "(" + std::to_string(index) + ")";
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A decimal number and nothing else: [+-] digits [. digits] [e [+-] digits],
// with at least one digit before or after the point.
bool isDecimalNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < s.size() && isDigit(s[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == s.size();
}

}  // namespace

std::optional<int> OptionIndex(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() > 64 || !isDecimalNumber(text)) return std::nullopt;
    // from_chars takes no leading plus.
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    const double rounded = std::nearbyint(value);  // a half to the even neighbour
    if (!(rounded >= 0 && rounded < kOptions)) return std::nullopt;
    return static_cast<int>(rounded);
}

fSetting::fSetting(platform::Toolkit& toolkit, platform::FileSystem& files, std::filesystem::path earthIni,
                   platform::RegionHandle& windowRegion)
    : m_toolkit(toolkit),
      m_files(files),
      m_earthIni(std::move(earthIni)),
      m_windowRegion(windowRegion),
      m_form(toolkit.createForm(app::SettingLayout(), *this)) {}

fSetting::~fSetting() = default;

void fSetting::Form_Load() {
    CenterOnScreen(*m_form);
    EarthIni = m_earthIni;
    app::CutToEllipse(m_toolkit, *m_form, m_windowRegion);
    ReadEarthIni(m_files, DispPos, RollSpeed, EarthIni);
    // A stored value that selects no button leaves its row without a
    // selection; OK then keeps that value as it is.
    if (const auto n = OptionIndex(DispPos)) m_form->control(optionName("Option1", *n)).setValue(true);
    if (const auto m = OptionIndex(RollSpeed)) m_form->control(optionName("Option2", *m)).setValue(true);
}

void fSetting::CenterOnScreen(platform::Form& window) {
    if (window.windowState() != platform::WindowState::Normal) return;
    window.setTop((m_toolkit.screenHeight() - window.height()) / 2);
    window.setLeft((m_toolkit.screenWidth() - window.width()) / 2);
}

void fSetting::Command1_Click() {
    for (int i = 0; i < kOptions; ++i) {
        if (m_form->control(optionName("Option1", i)).value()) DispPos = std::to_string(i);
        if (m_form->control(optionName("Option2", i)).value()) RollSpeed = std::to_string(i);
    }
    if (!WriteEarthIni(m_files, DispPos, RollSpeed, EarthIni))
        m_toolkit.showMessage("Skyroll could not save the settings: the file \"" + EarthIni.string() +
                              "\" cannot be written. The settings stay as they were.");
    m_form->unload();
}

void fSetting::click(std::string_view control) {
    if (control == "Command1") Command1_Click();
}

}  // namespace skyroll::settings
