#include "platform/qt/PictureWidget.h"

#include <QPaintEvent>
#include <QPainter>

#include "platform/qt/Logging.h"

namespace skyroll::qt {

PictureWidget::PictureWidget(QString traceName, std::optional<QColor> fill, QWidget* parent)
    : QWidget(parent), m_traceName(std::move(traceName)), m_fill(fill) {
    // A filled widget paints every pixel itself: nothing beneath it is
    // painted first when its picture changes.
    setAttribute(Qt::WA_OpaquePaintEvent, m_fill.has_value());
}

void PictureWidget::setImage(QImage image, QString source) {
    m_image = std::move(image);
    m_source = std::move(source);
    ++m_serial;
    update();
}

void PictureWidget::setFill(std::optional<QColor> fill) {
    m_fill = fill;
    setAttribute(Qt::WA_OpaquePaintEvent, m_fill.has_value());
    update();
}

void PictureWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (m_fill) {
        // Only what an opaque picture leaves uncovered needs the fill.
        QRegion uncovered(event->rect());
        if (!m_image.isNull() && !m_image.hasAlphaChannel())
            uncovered -= QRect(QPoint(0, 0), m_image.deviceIndependentSize().toSize());
        for (const QRect& r : uncovered) painter.fillRect(r, *m_fill);
    }
    // A picture drawn for a denser screen than this one is scaled down
    // smoothly, not by dropping pixels.
    if (m_image.devicePixelRatio() > devicePixelRatioF())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_image.isNull()) painter.drawImage(QPoint(0, 0), m_image);
    if (m_serial != m_shownSerial) {
        m_shownSerial = m_serial;
        if (!m_traceName.isEmpty()) qCDebug(lcFrames).noquote() << "shown" << m_traceName << m_source;
    }
}

}  // namespace skyroll::qt
