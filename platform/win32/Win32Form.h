#pragma once
// A form built from its layout by one generic builder: a borderless pop-up
// window with its controls and its menu tree, reporting its events to the
// program through the toolkit's dispatch.

#include <memory>
#include <string>
#include <vector>

#include "platform/Layout.h"
#include "platform/Toolkit.h"
#include "platform/common/ToolkitBook.h"
#include "platform/win32/Win32Control.h"
// After the platform headers: windows.h defines some of their names as macros.
#include <windows.h>

namespace skyroll::win32 {

class Win32Toolkit;

class Win32Form final : public platform::Form {
public:
    Win32Form(Win32Toolkit& toolkit, const platform::FormLayout& layout, platform::FormEvents& events);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    platform::WindowHandle handle() const override { return m_state.loaded() ? m_handle : 0; }
    platform::IconHandle icon() const override { return m_icon; }
    double left() const override;
    double top() const override;
    double width() const override { return m_widthTwips; }
    double height() const override { return m_heightTwips; }
    void setLeft(double twips) override;
    void setTop(double twips) override;
    void setWidth(double twips) override;
    void setHeight(double twips) override;
    platform::WindowState windowState() const override;
    bool visible() const override;
    void show() override;
    void hide() override;
    void showModal() override;
    void unload() override;
    bool loaded() const override { return m_state.loaded(); }
    platform::Control& control(std::string_view name) override;
    platform::MenuItem& menu(std::string_view name) override;
    void popupMenu(std::string_view menu) override;
    void repaintNow() override;

    // --- Used by the toolkit, the controls and tests ---------------------
    const std::string& name() const { return m_name; }
    platform::FormEvents& events() { return m_events; }
    Win32Toolkit& toolkit() { return m_toolkit; }
    // Whether its events reach the program: loaded, and no fatal message.
    bool takesEvents() const;
    HWND window() const { return m_window; }
    Win32Control* findControl(std::string_view name) const;
    const std::vector<std::unique_ptr<Win32Control>>& controls() const { return m_controls; }
    const std::vector<std::unique_ptr<Win32MenuItem>>& menuItems() const { return m_menus; }
    double unitsPerPixelX() const;  // of the form's own scale unit
    double unitsPerPixelY() const;
    platform::ScaleUnit scale() const { return m_scale; }
    void stopTimers();
    // A message of the form's window (`control` null) or of a control's
    // window; true when handled, with the answer in `result`.
    bool handle(Win32Control* control, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                LRESULT& result);

private:
    void buildMenu(const platform::MenuLayout& item, HMENU parent, UINT position);
    void paint(Win32Control* container, HWND window);
    void paintTo(Win32Control* container, HDC dc, const RECT& clip);
    void mouse(Win32Control* container, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void destroyWindow();
    Win32Control* controlOfWindow(HWND window) const;

    Win32Toolkit& m_toolkit;
    platform::FormEvents& m_events;
    std::string m_name;
    platform::ScaleUnit m_scale;
    platform::WindowHandle m_handle;
    platform::IconHandle m_icon = 0;
    HWND m_window = nullptr;
    HBRUSH m_backBrush = nullptr;
    COLORREF m_backColor = 0;
    std::shared_ptr<const Bitmap> m_backPicture;
    std::vector<std::unique_ptr<Win32Control>> m_controls;
    HMENU m_menuRoot = nullptr;
    std::vector<std::unique_ptr<Win32MenuItem>> m_menus;
    long m_leftPx = 0, m_topPx = 0;
    double m_widthTwips = 0, m_heightTwips = 0;
    platform::LoadState m_state;
    bool m_menuShown = false;  // its pop-up menu is on the screen
};

}  // namespace skyroll::win32
