#pragma once
// A widget that shows a picture unscaled from its top-left corner over an
// optional fill colour: the globe window's and the dialog's background, the
// picture boxes and the windowless image control.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <optional>

namespace skyroll::qt {

class PictureWidget final : public QWidget {
public:
    // `traceName` non-empty: every newly loaded picture is reported on
    // "skyroll.frames" when it is first painted, under that name.
    PictureWidget(QString traceName, std::optional<QColor> fill, QWidget* parent = nullptr);

    void setImage(QImage image, QString source);
    const QImage& image() const { return m_image; }
    const QString& source() const { return m_source; }
    void setFill(std::optional<QColor> fill);
    // Pictures that reached the screen: counted once per loaded picture.
    quint64 picturesShown() const { return m_shownSerial; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_traceName;
    std::optional<QColor> m_fill;
    QImage m_image;
    QString m_source;
    quint64 m_serial = 0;
    quint64 m_shownSerial = 0;
};

}  // namespace skyroll::qt
