#pragma once
// One control of a form, built from its layout: a picture box, label, image,
// timer, frame, option button or push button.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/Layout.h"
#include "platform/Toolkit.h"

class QTimer;

namespace skyroll::qt {

class QtForm;
class PictureWidget;

class QtControl final : public platform::Control {
public:
    // `parent`: the widget of the container (the form or a picture box or
    // frame); null for timers.
    QtControl(QtForm& form, const platform::ControlLayout& layout, QWidget* parent);
    ~QtControl() override;

    double left() const override { return m_leftPx * unitsPerPixelX(); }
    double top() const override { return m_topPx * unitsPerPixelY(); }
    double width() const override { return m_widthPx * unitsPerPixelX(); }
    double height() const override { return m_heightPx * unitsPerPixelY(); }
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

    const std::string& name() const { return m_name; }
    platform::ControlKind kind() const { return m_kind; }
    // The control's widget; null for timers and after the form is unloaded.
    QWidget* widget() const { return m_widget; }
    PictureWidget* pictureWidget() const;
    const QTimer* timer() const { return m_timer.get(); }
    // Units of this control's own mouse coordinates per pixel: a picture box
    // counts in its own scale unit, other controls in their container's.
    double mouseUnitsPerPixelX() const;
    double mouseUnitsPerPixelY() const;
    // Timers: stop for good (unload, fatal message) or follow the state.
    void updateTimer();
    void stopTimer();

private:
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;
    void applyGeometry();
    void tick();

    QtForm& m_form;
    std::string m_name;
    platform::ControlKind m_kind;
    platform::ScaleUnit m_containerScale;
    platform::ScaleUnit m_ownScale;
    QPointer<QWidget> m_widget;
    std::unique_ptr<QTimer> m_timer;
    long m_leftPx = 0, m_topPx = 0, m_widthPx = 0, m_heightPx = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_ticking = false;
    int m_interval = 0;
    std::string m_caption;
};

}  // namespace skyroll::qt
