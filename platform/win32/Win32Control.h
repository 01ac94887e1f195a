#pragma once
// One control of a form, built from its layout. Picture boxes and frames are
// child windows that paint themselves and the light controls inside them;
// option and command buttons are the system's buttons; labels and images are
// light controls drawn by their container; timers are the form window's
// timers.

#include <memory>
#include <optional>
#include <string>

#include "platform/Layout.h"
#include "platform/Toolkit.h"
#include "platform/win32/Win32Picture.h"
// After the platform headers: windows.h defines some of their names as macros.
#include <windows.h>

namespace skyroll::win32 {

class Win32Form;

class Win32Control final : public platform::Control {
public:
    // `container`: the picture box or frame the control sits in, null for
    // the form itself. `timerId`: the form window's timer for a timer.
    Win32Control(Win32Form& form, const platform::ControlLayout& layout, Win32Control* container,
                 UINT_PTR timerId);
    ~Win32Control() override;
    Win32Control(const Win32Control&) = delete;
    Win32Control& operator=(const Win32Control&) = delete;

    double left() const override { return double(m_rect.left) * unitsPerPixelX(); }
    double top() const override { return double(m_rect.top) * unitsPerPixelY(); }
    double width() const override { return double(m_rect.right - m_rect.left) * unitsPerPixelX(); }
    double height() const override { return double(m_rect.bottom - m_rect.top) * unitsPerPixelY(); }
    void setLeft(double v) override;
    void setTop(double v) override;
    void setWidth(double v) override;
    void setHeight(double v) override;
    bool visible() const override { return m_visible; }
    void setVisible(bool v) override;
    std::string caption() const override { return m_caption; }
    void setCaption(std::string_view utf8) override;
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool v) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;
    bool value() const override;
    void setValue(bool v) override;
    bool loadPicture(const std::filesystem::path& file) override;

    // --- Used by the form ------------------------------------------------
    const std::string& name() const { return m_name; }
    platform::ControlKind kind() const { return m_kind; }
    Win32Control* container() const { return m_container; }
    // The control's own window; null for light controls and timers, and
    // once the form's window is gone.
    HWND window() const { return m_window; }
    void windowDestroyed() { m_window = nullptr; }
    // Keeps what the window holds (an option's selection) before it goes,
    // so the control reads back as last set once its form is unloaded.
    void keepState() { m_value = value(); }
    bool light() const;
    RECT rect() const { return m_rect; }
    UINT_PTR timerId() const { return m_timerId; }
    // Units of this control's own mouse coordinates per pixel: a picture box
    // counts in its own scale unit, other controls in their container's.
    double mouseUnitsPerPixelX() const;
    double mouseUnitsPerPixelY() const;
    platform::ScaleUnit ownScale() const { return m_ownScale; }
    // Timers: follow the state, or stop for good (unload, fatal message).
    void updateTimer();
    void stopTimer();
    // Paints a container's own face (fill, picture, frame edge) or a light
    // control in `dc`, whose origin is the container's client origin.
    void paintFace(HDC dc, const RECT& clip);
    void paintLight(HDC dc, const RECT& clip) const;
    // Option buttons and labels ask their container for their colours.
    HBRUSH colorButton(HDC dc);
    // A click on an option button or command button.
    void clicked();

private:
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;
    void moveTo(RECT rect);
    void invalidate(const RECT& rect) const;
    HWND containerWindow() const;
    void uncheckSiblings();

    Win32Form& m_form;
    std::string m_name;
    platform::ControlKind m_kind;
    Win32Control* m_container;
    platform::ScaleUnit m_containerScale;
    platform::ScaleUnit m_ownScale;
    HWND m_window = nullptr;
    HFONT m_font = nullptr;  // owned; null: the dialog font
    HBRUSH m_brush = nullptr;
    std::optional<platform::Rgb> m_foreColor, m_backColor;
    bool m_transparent = false;
    platform::Alignment m_alignment = platform::Alignment::Left;
    std::shared_ptr<const Bitmap> m_picture;
    std::string m_source;  // the picture's file name, for the trace
    unsigned m_serial = 0;
    mutable unsigned m_shownSerial = 0;  // the last picture traced as shown
    RECT m_rect{};                       // pixels in the container's client area
    UINT_PTR m_timerId = 0;
    bool m_visible = true;
    bool m_value = false;  // an option's selection while it has no window
    bool m_enabled = true;
    bool m_ticking = false;
    int m_interval = 0;
    std::string m_caption;
};

class Win32MenuItem final : public platform::MenuItem {
public:
    // `parent`: the menu holding the item at `position`; null for the root.
    Win32MenuItem(std::string name, HMENU parent, UINT position, HMENU submenu, UINT command, bool checked,
                  bool enabled);
    bool checked() const override;
    void setChecked(bool v) override;
    bool enabled() const override;
    void setEnabled(bool v) override;

    const std::string& name() const { return m_name; }
    HMENU submenu() const { return m_submenu; }
    UINT command() const { return m_command; }
    // The menu holding the item (null for the root) and its place there.
    HMENU parent() const { return m_parent; }
    UINT position() const { return m_position; }

private:
    std::string m_name;
    HMENU m_parent;
    UINT m_position;
    HMENU m_submenu;
    UINT m_command;
    bool m_checked, m_enabled;
};

}  // namespace skyroll::win32
