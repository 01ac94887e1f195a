#include "platform/qt/ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "platform/NativeFiles.h"
#include "platform/PictureFile.h"

namespace skyroll::qt {

namespace {
std::optional<QImage> fail(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}

// The checks every picture passes before it is decoded: a format we show
// and a size within bounds.
std::optional<QImage> decode(QImageReader& reader, QString* error) {
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    if (format != "bmp" && format != "gif" && format != "jpeg")
        return fail(error, QStringLiteral("not a BMP, GIF or JPEG picture"));
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > platform::kMaxPictureSide ||
        size.height() > platform::kMaxPictureSide)
        return fail(error, QStringLiteral("picture size not acceptable"));
    QImage image = reader.read();
    if (image.isNull()) return fail(error, reader.errorString());
    return image;
}

}  // namespace

std::optional<QImage> readImage(const QString& name, QString* error) {
    const QFileInfo info(name);
    if (!info.isFile()) return fail(error, QStringLiteral("no such file"));
    if (static_cast<std::uintmax_t>(info.size()) > platform::kMaxPictureFileBytes)
        return fail(error, QStringLiteral("file too large"));

    QImageReader reader(name);
    return decode(reader, error);
}

std::optional<QImage> readImageFile(const std::filesystem::path& file, QString* error) {
    // Read by the path's own bytes, which need not be valid in any encoding,
    // and only from a regular file: a named pipe is never waited on.
    std::string bytes;
    switch (platform::native::readFileBounded(file, platform::kMaxPictureFileBytes, bytes)) {
        case platform::native::ReadStatus::missing:
            return fail(error, QStringLiteral("no such file"));
        case platform::native::ReadStatus::unreadable:
            return fail(error, QStringLiteral("file too large or unreadable"));
        case platform::native::ReadStatus::ok:
            break;
    }
    QByteArray data = QByteArray::fromStdString(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return decode(reader, error);
}

std::shared_ptr<const void> readScreenImage(const std::filesystem::path& file, std::string* error) {
    QString why;
    auto image = readImageFile(file, &why);
    if (!image) {
        if (error) *error = why.toStdString();
        return nullptr;
    }
    // Window back buffers are 32-bit RGB; a picture already in that format
    // is put on the screen by a plain copy of its rows.
    const QImage::Format format =
        image->hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    return std::make_shared<const QImage>(image->convertToFormat(format));
}

QString embeddedName(std::string_view name) {
    return QStringLiteral(":/skyroll/") + QString::fromUtf8(name.data(), qsizetype(name.size()));
}

}  // namespace skyroll::qt
