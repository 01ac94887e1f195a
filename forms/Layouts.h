#pragma once
// The creation properties of the program's three windows and the globe
// window's menu tree, as the form designer laid them out.

#include "platform/Layout.h"

namespace skyroll::app {

const platform::FormLayout& SkyRollLayout();  // the globe window fSky_Roll
const platform::FormLayout& SettingLayout();  // the settings dialog fSetting
const platform::FormLayout& MoonLayout();     // the moon window fMoon

// The face the forms ask for; toolkits substitute what the system has.
inline constexpr std::string_view kFormFont = "ＭＳ Ｐゴシック";

}  // namespace skyroll::app
