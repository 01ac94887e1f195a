#pragma once
// A form of the headless platform: its window, controls and menu items are
// plain state; every change is recorded with its virtual time.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Layout.h"
#include "platform/Toolkit.h"
#include "platform/common/PictureFile.h"
#include "platform/common/ToolkitBook.h"

namespace skyroll::headless {

class HeadlessToolkit;
class HeadlessForm;

class HeadlessControl final : public platform::Control {
public:
    HeadlessControl(HeadlessForm& form, const platform::ControlLayout& layout);

    double left() const override { return fromPixels(m_leftPx); }
    double top() const override { return fromPixels(m_topPx); }
    double width() const override { return fromPixels(m_widthPx); }
    double height() const override { return fromPixels(m_heightPx); }
    void setLeft(double v) override { setGeometry("left", m_leftPx, v); }
    void setTop(double v) override { setGeometry("top", m_topPx, v); }
    void setWidth(double v) override { setGeometry("width", m_widthPx, v); }
    void setHeight(double v) override { setGeometry("height", m_heightPx, v); }
    bool visible() const override { return m_visible; }
    void setVisible(bool v) override;
    std::string caption() const override { return m_caption; }
    void setCaption(std::string_view utf8) override;
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool v) override;
    int interval() const override { return m_interval; }
    void setInterval(int ms) override;
    bool value() const override { return m_value; }
    void setValue(bool v) override;
    bool loadPicture(const std::filesystem::path& file) override;

    const platform::ControlLayout& layout() const { return m_layout; }
    const std::string& name() const { return m_name; }
    const std::string& picture() const { return m_picture; }
    const platform::Picture* decoded() const { return m_decoded.get(); }
    // Timers: whether it fires, and when next (virtual microseconds).
    bool armed() const;
    std::int64_t dueUs() const { return m_dueUs; }
    void rearm();

private:
    double unitsPerPixel() const;
    double fromPixels(long px) const { return static_cast<double>(px) * unitsPerPixel(); }
    void setGeometry(const char* what, long& px, double v);
    void record(const char* what, std::string value);

    HeadlessForm& m_form;
    const platform::ControlLayout& m_layout;
    std::string m_name;
    long m_leftPx = 0, m_topPx = 0, m_widthPx = 0, m_heightPx = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_value = false;
    int m_interval = 0;
    std::int64_t m_dueUs = 0;
    std::string m_caption;
    std::string m_picture;
    std::shared_ptr<const platform::Picture> m_decoded;
};

class HeadlessMenuItem final : public platform::MenuItem {
public:
    HeadlessMenuItem(HeadlessForm& form, const platform::MenuLayout& layout, HeadlessMenuItem* parent);
    bool checked() const override { return m_checked; }
    void setChecked(bool v) override;
    bool enabled() const override { return m_enabled; }
    void setEnabled(bool v) override;

    const std::string& name() const { return m_name; }
    // A command can be chosen when it and every submenu above it is enabled.
    bool choosable() const;
    bool isCommand() const { return m_isCommand; }
    // Whether the item lies in the submenu named `menu`, at any depth.
    bool under(std::string_view menu) const;

private:
    HeadlessForm& m_form;
    std::string m_name;
    HeadlessMenuItem* m_parent;
    bool m_checked;
    bool m_enabled;
    bool m_isCommand;
};

class HeadlessForm final : public platform::Form {
public:
    HeadlessForm(HeadlessToolkit& toolkit, const platform::FormLayout& layout, platform::FormEvents& events,
                 platform::WindowHandle handle);
    ~HeadlessForm() override;

    platform::WindowHandle handle() const override { return m_state.loaded() ? m_handle : 0; }
    platform::IconHandle icon() const override { return m_layout.icon.empty() ? 0 : m_handle + 1; }
    double left() const override { return static_cast<double>(m_leftPx) * tppX(); }
    double top() const override { return static_cast<double>(m_topPx) * tppY(); }
    double width() const override { return m_width; }
    double height() const override { return m_height; }
    void setLeft(double twips) override;
    void setTop(double twips) override;
    void setWidth(double twips) override;
    void setHeight(double twips) override;
    platform::WindowState windowState() const override { return platform::WindowState::Normal; }
    bool visible() const override { return m_visible; }
    void show() override;
    void hide() override;
    void showModal() override;
    void unload() override;
    bool loaded() const override { return m_state.loaded(); }
    platform::Control& control(std::string_view name) override;
    platform::MenuItem& menu(std::string_view name) override;
    void popupMenu(std::string_view menu) override;
    void repaintNow() override;

    const std::string& name() const { return m_name; }
    const platform::FormLayout& layout() const { return m_layout; }
    platform::FormEvents& events() { return m_events; }
    HeadlessToolkit& toolkit() { return m_toolkit; }
    std::vector<std::unique_ptr<HeadlessControl>>& controls() { return m_controls; }
    HeadlessControl* findControl(std::string_view name);
    HeadlessMenuItem* findMenu(std::string_view name);
    double tppX() const;
    double tppY() const;
    void record(std::string subject, std::string what, std::string value);

private:
    void addMenu(const platform::MenuLayout& layout, HeadlessMenuItem* parent);

    HeadlessToolkit& m_toolkit;
    const platform::FormLayout& m_layout;
    platform::FormEvents& m_events;
    std::string m_name;
    platform::WindowHandle m_handle;
    long m_leftPx = 0, m_topPx = 0;
    double m_width = 0, m_height = 0;
    bool m_visible = false;
    platform::LoadState m_state;
    std::vector<std::unique_ptr<HeadlessControl>> m_controls;
    std::vector<std::unique_ptr<HeadlessMenuItem>> m_menus;
};

// Formats a number of twips or pixels for the record: whole numbers without
// decimals, others with up to three.
std::string formatNumber(double v);

}  // namespace skyroll::headless
