#include "platform/qt/QtControl.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>

#include "platform/Units.h"
#include "platform/qt/ImageFile.h"
#include "platform/qt/Logging.h"
#include "platform/qt/PictureWidget.h"
#include "platform/qt/QtForm.h"
#include "platform/qt/QtToolkit.h"

namespace skyroll::qt {

using platform::ControlKind;
using platform::ScaleUnit;

namespace {

QString fromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }

QColor toColor(const platform::Rgb& c) { return QColor(c.r, c.g, c.b); }

QColor buttonFace() { return QApplication::palette().color(QPalette::Button); }

void applyColors(QWidget* w, const platform::ControlLayout& layout) {
    QPalette palette = w->palette();
    if (layout.foreColor) {
        palette.setColor(QPalette::WindowText, toColor(*layout.foreColor));
        palette.setColor(QPalette::ButtonText, toColor(*layout.foreColor));
        palette.setColor(QPalette::Text, toColor(*layout.foreColor));
    }
    if (layout.kind == ControlKind::OptionButton) {
        // The caption takes the control's colour, the indicator keeps the
        // standard one: styles draw the dot in the text colour on the base,
        // and a white dot on the white circle would hide the choice.
        const QPalette standard = QApplication::palette();
        palette.setColor(QPalette::Text, standard.color(QPalette::Text));
        palette.setColor(QPalette::Base, standard.color(QPalette::Base));
    }
    if (layout.backColor && !layout.transparent) {
        palette.setColor(QPalette::Window, toColor(*layout.backColor));
        palette.setColor(QPalette::Button, toColor(*layout.backColor));
        w->setAutoFillBackground(true);
    }
    w->setPalette(palette);
}

void applyFont(QWidget* w, const platform::ControlLayout& layout) {
    if (!layout.font) return;
    // The face is asked for by its own name; the substitutions registered at
    // start-up choose the Japanese face that stands in for it.
    QFont font(fromUtf8(layout.font->face));
    font.setPointSizeF(layout.font->points);
    font.setBold(layout.font->bold);
    w->setFont(font);
}

Qt::Alignment toAlignment(platform::Alignment a) {
    switch (a) {
        case platform::Alignment::Center:
            return Qt::AlignHCenter | Qt::AlignTop;
        case platform::Alignment::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case platform::Alignment::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

}  // namespace

QtControl::QtControl(QtForm& form, const platform::ControlLayout& layout, QWidget* parent)
    : m_form(form),
      m_name(layout.name),
      m_kind(layout.kind),
      m_containerScale(form.scaleOf(layout.container)),
      m_ownScale(layout.kind == ControlKind::PictureBox ? layout.scale : m_containerScale),
      m_enabled(layout.enabled),
      m_interval(std::max(0, layout.interval)),
      m_caption(layout.caption) {
    // Creation positions are twips whatever the container counts in.
    const double tppX = form.toolkit().twipsPerPixelX(), tppY = form.toolkit().twipsPerPixelY();
    m_leftPx = platform::twipsToPixels(layout.left, tppX);
    m_topPx = platform::twipsToPixels(layout.top, tppY);
    m_widthPx = platform::twipsToPixels(layout.width, tppX);
    m_heightPx = platform::twipsToPixels(layout.height, tppY);
    const QString traceName = QString::fromStdString(form.name() + "." + m_name);

    switch (m_kind) {
        case ControlKind::Timer:
            m_timer = std::make_unique<QTimer>();
            m_timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(m_timer.get(), &QTimer::timeout, [this] { tick(); });
            updateTimer();
            return;
        case ControlKind::PictureBox:
        case ControlKind::Image: {
            std::optional<QColor> fill;
            if (m_kind == ControlKind::PictureBox)
                fill = layout.backColor ? toColor(*layout.backColor) : buttonFace();
            auto* picture = new PictureWidget(traceName, fill, parent);
            if (!layout.picture.empty()) {
                QString error;
                if (auto image = readEmbeddedImage(layout.picture, picture->devicePixelRatio(), &error))
                    picture->setImage(std::move(*image), fromUtf8(layout.picture));
                else
                    qCWarning(lcFrames).noquote() << "embedded picture" << fromUtf8(layout.picture) << "for"
                                                  << traceName << ":" << error;
            }
            m_widget = picture;
            break;
        }
        case ControlKind::Label: {
            auto* label = new QLabel(fromUtf8(layout.caption), parent);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(toAlignment(layout.alignment));
            m_widget = label;
            break;
        }
        case ControlKind::Frame: {
            auto* frame = new QFrame(parent);
            frame->setFrameShape(QFrame::NoFrame);
            m_widget = frame;
            break;
        }
        case ControlKind::OptionButton: {
            // Radio buttons of one parent widget form one exclusive group,
            // which is exactly one group per container.
            auto* option = new QRadioButton(fromUtf8(layout.caption), parent);
            QObject::connect(option, &QRadioButton::clicked, [this] {
                m_form.toolkit().dispatch([this] {
                    if (m_form.takesEvents()) m_form.events().click(m_name);
                });
            });
            m_widget = option;
            break;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(fromUtf8(layout.caption), parent);
            QObject::connect(button, &QPushButton::clicked, [this] {
                m_form.toolkit().dispatch([this] {
                    if (m_form.takesEvents()) m_form.events().click(m_name);
                });
            });
            m_widget = button;
            break;
        }
    }
    m_widget->setFocusPolicy(layout.tabIndex >= 0 ? Qt::StrongFocus : Qt::NoFocus);
    applyColors(m_widget, layout);
    applyFont(m_widget, layout);
    m_widget->setEnabled(m_enabled);
    applyGeometry();
}

QtControl::~QtControl() { stopTimer(); }

PictureWidget* QtControl::pictureWidget() const { return dynamic_cast<PictureWidget*>(m_widget.data()); }

double QtControl::unitsPerPixelX() const {
    return m_containerScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelX();
}
double QtControl::unitsPerPixelY() const {
    return m_containerScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelY();
}
double QtControl::mouseUnitsPerPixelX() const {
    return m_ownScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelX();
}
double QtControl::mouseUnitsPerPixelY() const {
    return m_ownScale == ScaleUnit::Pixels ? 1.0 : m_form.toolkit().twipsPerPixelY();
}

void QtControl::applyGeometry() {
    if (m_widget)
        m_widget->setGeometry(int(m_leftPx), int(m_topPx), int(std::max(0L, m_widthPx)),
                              int(std::max(0L, m_heightPx)));
}

void QtControl::setLeft(double v) {
    m_leftPx = platform::twipsToPixels(v, unitsPerPixelX());
    applyGeometry();
}
void QtControl::setTop(double v) {
    m_topPx = platform::twipsToPixels(v, unitsPerPixelY());
    applyGeometry();
}
void QtControl::setWidth(double v) {
    m_widthPx = platform::twipsToPixels(v, unitsPerPixelX());
    applyGeometry();
}
void QtControl::setHeight(double v) {
    m_heightPx = platform::twipsToPixels(v, unitsPerPixelY());
    applyGeometry();
}

void QtControl::setVisible(bool v) {
    m_visible = v;
    if (m_widget) m_widget->setVisible(v);
}

void QtControl::setCaption(std::string_view utf8) {
    m_caption = utf8;
    if (auto* label = qobject_cast<QLabel*>(m_widget.data()))
        label->setText(fromUtf8(utf8));
    else if (auto* button = qobject_cast<QAbstractButton*>(m_widget.data()))
        button->setText(fromUtf8(utf8));
}

void QtControl::setEnabled(bool v) {
    const bool was = m_enabled;
    m_enabled = v;
    if (m_timer) {
        // Enabling a stopped timer restarts its countdown; enabling a running
        // one changes nothing.
        if (v != was) updateTimer();
        return;
    }
    if (m_widget) m_widget->setEnabled(v);
}

void QtControl::setInterval(int ms) {
    m_interval = std::max(0, ms);
    updateTimer();  // any new interval counts from now
}

void QtControl::updateTimer() {
    if (!m_timer) return;
    if (m_enabled && m_interval > 0 && m_form.loaded() && !m_form.toolkit().inputBlocked())
        m_timer->start(m_interval);
    else
        m_timer->stop();
}

void QtControl::stopTimer() {
    if (m_timer) m_timer->stop();
}

void QtControl::tick() {
    m_form.toolkit().dispatch([this] {
        if (m_form.takesEvents()) m_form.events().timer(m_name);
    });
}

bool QtControl::value() const {
    const auto* option = qobject_cast<const QRadioButton*>(m_widget.data());
    return option && option->isChecked();
}

void QtControl::setValue(bool v) {
    auto* option = qobject_cast<QRadioButton*>(m_widget.data());
    if (!option) return;
    if (v) {
        option->setChecked(true);  // clears the others of its container
        return;
    }
    // Qt keeps one button of an exclusive group checked; the program may
    // clear them all.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

bool QtControl::loadPicture(const std::filesystem::path& file) {
    PictureWidget* picture = pictureWidget();
    if (!picture) return false;
    // A frame that is unchanged on disk costs one stat: the cache gives the
    // picture already in the screen's pixel format, shared, not copied.
    std::string error;
    std::filesystem::path shown;
    const auto image = loadScreenPicture(m_form.toolkit().pictureCaches(), file, picture->devicePixelRatio(),
                                         &error, &shown);
    if (!image) {
        qCDebug(lcFrames).noquote() << "picture failed"
                                    << QString::fromStdString(m_form.name() + "." + m_name)
                                    << QFile::decodeName(QByteArray::fromStdString(file.native())) << ":"
                                    << QString::fromStdString(error);
        return false;
    }
    picture->setImage(*image, QFile::decodeName(QByteArray::fromStdString(shown.filename().native())));
    return true;
}

}  // namespace skyroll::qt
