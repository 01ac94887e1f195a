#pragma once
// A form built from its layout by one generic builder: a frameless top-level
// window with its controls and its menu tree, reporting its events to the
// program through the toolkit's dispatch.

#include <QPointer>
#include <QRect>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Layout.h"
#include "platform/Toolkit.h"
#include "platform/common/ToolkitBook.h"

class QEvent;
class QEventLoop;
class QMenu;
class QObject;
class QWidget;

namespace skyroll::qt {

class QtToolkit;
class QtControl;
class QtMenuItem;
class PictureWidget;
class FormEventRouter;

class QtForm final : public platform::Form {
public:
    QtForm(QtToolkit& toolkit, const platform::FormLayout& layout, platform::FormEvents& events);
    ~QtForm() override;

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

    // --- Used by the toolkit, the event router and tests -----------------
    const std::string& name() const { return m_name; }
    platform::FormEvents& events() { return m_events; }
    QtToolkit& toolkit() { return m_toolkit; }
    // Whether its events reach the program: loaded, and no fatal message.
    bool takesEvents() const;
    QWidget* widget() const;
    QtControl* findControl(std::string_view name) const;
    QtMenuItem* findMenu(std::string_view name) const;
    double unitsPerPixelX() const;  // of the form's own scale unit
    double unitsPerPixelY() const;
    platform::ScaleUnit scaleOf(std::string_view container) const;
    // The window's shape; an empty region: none.
    // The window cut to the ellipse inscribed in `ellipse` (pixels of the
    // window), or left whole.
    void setWindowShape(const std::optional<QRect>& ellipse);
    void stopTimers();
    // Routes one event of the form's widgets; true when it was consumed.
    bool route(QObject* watched, QEvent* event);

private:
    void buildMenu(const platform::MenuLayout& item, QMenu* parentMenu);
    void applyGeometry();
    void destroyWidgets();
    bool routeMouse(QWidget* widget, const QtControl* control, QEvent* event);

    QtToolkit& m_toolkit;
    platform::FormEvents& m_events;
    std::string m_name;
    platform::ScaleUnit m_scale;
    platform::WindowHandle m_handle;
    platform::IconHandle m_icon = 0;
    bool m_deviceShape = false;  // the window's shape was set in device pixels
    std::vector<std::pair<std::string, platform::ScaleUnit>> m_containerScales;
    PictureWidget* m_widget = nullptr;  // owned by Qt; deleted later on unload
    FormEventRouter* m_router = nullptr;
    std::vector<std::unique_ptr<QtControl>> m_controls;
    std::unique_ptr<QMenu> m_menuRoot;
    std::vector<std::unique_ptr<QtMenuItem>> m_menus;
    long m_leftPx = 0, m_topPx = 0;
    double m_widthTwips = 0, m_heightTwips = 0;
    std::vector<QEventLoop*> m_modalLoops;
    platform::LoadState m_state;
    std::string m_chosenMenu;
};

}  // namespace skyroll::qt
