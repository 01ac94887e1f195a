#pragma once
// Creation properties of forms, controls and menus: plain data that each
// toolkit builds real windows from, the way a form designer's file is loaded.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace skyroll::platform {

enum class ControlKind { PictureBox, Label, Image, Timer, Frame, OptionButton, CommandButton };
enum class ScaleUnit { Twips, Pixels };
enum class Alignment { Left, Center, Right };
enum class FormKind { Main, Dialog, Tool };

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kShiftJisCharset = 128;

struct FontSpec {
    std::string_view face;
    double points = 9.0;
    bool bold = false;
    int charset = kShiftJisCharset;
};

struct ControlLayout {
    std::string_view name;       // "Label2", "Option1(0)"
    ControlKind kind = ControlKind::Label;
    std::string_view container;  // empty: the form itself
    std::string_view caption;
    // In twips, relative to the container's client origin.
    int left = 0, top = 0, width = 0, height = 0;
    std::optional<FontSpec> font;  // none: the system's dialog font
    std::optional<Rgb> foreColor;
    std::optional<Rgb> backColor;
    bool transparent = false;      // labels: background not painted
    Alignment alignment = Alignment::Left;
    int tabIndex = -1;             // -1: takes no focus
    std::string_view picture;      // name of an embedded picture, or empty
    ScaleUnit scale = ScaleUnit::Twips;  // picture boxes: unit of their contents
    int interval = 0;              // timers, milliseconds
    bool enabled = true;
};

struct MenuLayout {
    std::string_view name;
    std::string_view caption;
    bool checked = false;
    bool enabled = true;
    std::vector<MenuLayout> children;
};

struct FormLayout {
    std::string_view name;   // "fSky_Roll"
    std::string_view title;  // never displayed
    FormKind kind = FormKind::Main;
    bool showInTaskbar = false;
    // Window position and client size at creation, twips.
    int left = 0, top = 0, width = 0, height = 0;
    ScaleUnit scale = ScaleUnit::Twips;
    std::optional<Rgb> backColor;      // none: the system's button-face colour
    std::string_view backPicture;      // embedded picture drawn unscaled at the origin
    std::string_view icon;             // embedded icon, or empty
    std::string_view palette;          // embedded picture whose palette the form uses
    std::vector<ControlLayout> controls;  // in creation order; containers first
    std::optional<MenuLayout> menu;    // root item, never displayed itself
};

}  // namespace skyroll::platform
