#include "platform/qt/ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <span>

#include "platform/PictureFile.h"

namespace skyroll::qt {

namespace {
std::optional<QImage> fail(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}
}  // namespace

std::optional<QImage> readImage(const QString& name, QString* error) {
    const QFileInfo info(name);
    if (!info.isFile()) return fail(error, QStringLiteral("no such file"));
    if (static_cast<std::uintmax_t>(info.size()) > platform::kMaxPictureFileBytes)
        return fail(error, QStringLiteral("file too large"));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return fail(error, file.errorString());
    const QByteArray bytes = file.read(qint64(platform::kMaxPictureFileBytes) + 1);
    file.close();

    // The same check as the headless platform's, on the same bytes, so both
    // give the same verdict on a file before QImage decodes it.
    std::string why;
    const auto header = platform::checkPicture(
        std::span(reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())),
        &why);
    if (!header) return fail(error, QString::fromStdString(why));

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const char* format = header->format == platform::PictureFormat::Bmp   ? "bmp"
                         : header->format == platform::PictureFormat::Gif ? "gif"
                                                                          : "jpeg";
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(int(platform::kMaxPicturePixels * 4 >> 20));
    QImage image = reader.read();
    if (image.isNull()) return fail(error, reader.errorString());
    if (image.size() != QSize(header->width, header->height))
        return fail(error, QStringLiteral("picture size not acceptable"));
    return image;
}

std::optional<QImage> readImageFile(const std::filesystem::path& file, QString* error) {
    // Paths are in the user's own encoding, as the file system holds them.
    return readImage(QFile::decodeName(QByteArray::fromStdString(file.native())), error);
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
