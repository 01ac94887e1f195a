#include "platform/qt/ImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <span>

#include "platform/NativeFiles.h"
#include "platform/common/PictureFile.h"

namespace skyroll::qt {

namespace {
std::optional<QImage> fail(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}

// The same check as the headless platform's, on the same bytes, so both give
// the same verdict on a file before QImage decodes it.
std::optional<QImage> decode(const QByteArray& bytes, QString* error) {
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

}  // namespace

std::optional<QImage> readImage(const QString& name, QString* error) {
    const QFileInfo info(name);
    if (!info.isFile()) return fail(error, QStringLiteral("no such file"));
    if (static_cast<std::uintmax_t>(info.size()) > platform::kMaxPictureFileBytes)
        return fail(error, QStringLiteral("file too large"));
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return fail(error, file.errorString());
    return decode(file.read(qint64(platform::kMaxPictureFileBytes) + 1), error);
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
    return decode(QByteArray::fromStdString(bytes), error);
}

namespace {
std::shared_ptr<const void> readScreenImageAt(const std::filesystem::path& file, std::string* error,
                                              qreal ratio) {
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
    QImage screen = image->convertToFormat(format);
    screen.setDevicePixelRatio(ratio);
    return std::make_shared<const QImage>(std::move(screen));
}
}  // namespace

std::shared_ptr<const void> readScreenImage(const std::filesystem::path& file, std::string* error) {
    return readScreenImageAt(file, error, 1);
}

QString embeddedName(std::string_view name) {
    return QStringLiteral(":/skyroll/") + QString::fromUtf8(name.data(), qsizetype(name.size()));
}

std::filesystem::path denseName(const std::filesystem::path& file) {
    std::filesystem::path name = file.stem();
    name += "@2x";
    name += file.extension();
    return file.parent_path() / name;
}

std::string denseName(std::string_view name) {
    const auto dot = name.rfind('.');
    const std::string_view stem = name.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot);
    return std::string(stem) + "@2x" + std::string(extension);
}

std::shared_ptr<const QImage> loadScreenPicture(PictureCaches& caches, const std::filesystem::path& file,
                                                qreal ratio, std::string* error,
                                                std::filesystem::path* shown) {
    if (shown) *shown = file;
    if (ratio < kDenseScreenRatio) return caches.pictures.load<QImage>(file, readScreenImage, error);
    // The file as named decides whether there is a picture at all; only its
    // size is kept.
    const auto measure = [](const std::filesystem::path& f, std::string* why) -> std::shared_ptr<const void> {
        QString reason;
        const auto image = readImageFile(f, &reason);
        if (!image) {
            if (why) *why = reason.toStdString();
            return nullptr;
        }
        return std::make_shared<const QSize>(image->size());
    };
    const auto size = caches.sizes.load<QSize>(file, measure, error);
    if (!size) return nullptr;
    const auto readDense = [](const std::filesystem::path& f, std::string* why) {
        return readScreenImageAt(f, why, 2);
    };
    const std::filesystem::path dense = denseName(file);
    if (auto image = caches.dense.load<QImage>(dense, readDense); image && image->size() == *size * 2) {
        if (shown) *shown = dense;
        return image;
    }
    return caches.pictures.load<QImage>(file, readScreenImage, error);
}

std::optional<QImage> readEmbeddedImage(std::string_view name, qreal ratio, QString* error) {
    auto image = readImage(embeddedName(name), error);
    if (!image || ratio < kDenseScreenRatio) return image;
    auto dense = readImage(embeddedName(denseName(name)));
    if (!dense || dense->size() != image->size() * 2) return image;
    dense->setDevicePixelRatio(2);
    return dense;
}

}  // namespace skyroll::qt
