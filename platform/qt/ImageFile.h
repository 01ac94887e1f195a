#pragma once
// Reads a picture for a form or control with QImage, bounded: a file that is
// too big, not a BMP, GIF or JPEG picture, or larger than the sides the
// program accepts is refused. QImage reads the file afresh every time
// (QPixmap would answer from its cache and hide a changed or vanished file).

#include <QImage>
#include <QString>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/common/FileCache.h"

namespace skyroll::qt {

// Screens with at least this many device pixels to the pixel show the
// pictures drawn at twice the size, NAME@2x beside NAME, where there are.
inline constexpr qreal kDenseScreenRatio = 1.5;

// The name of a picture's copy at twice the size: "EarthMap_1@2x.bmp" for
// "EarthMap_1.bmp".
std::filesystem::path denseName(const std::filesystem::path& file);
std::string denseName(std::string_view name);

// A file of the file system.
std::optional<QImage> readImageFile(const std::filesystem::path& file, QString* error = nullptr);
// A file of the file system, converted to the pixel format the screen takes
// without conversion; null, with the reason in `error`, on failure. The
// reader of the toolkit's picture cache.
std::shared_ptr<const void> readScreenImage(const std::filesystem::path& file, std::string* error);
// A file by Qt name, for embedded pictures (":/skyroll/...").
std::optional<QImage> readImage(const QString& name, QString* error = nullptr);

// The Qt resource name of the embedded picture `name` ("starfield.jpg").
QString embeddedName(std::string_view name);

// The caches a toolkit reads the program's picture files through.
struct PictureCaches {
    platform::FileCache pictures;    // the files as named, in the screen's pixel format
    platform::FileCache sizes;       // the sizes of the files as named, on dense screens
    platform::FileCache dense{256};  // their copies at twice the size
    void setEnabled(bool enabled) {
        for (platform::FileCache* cache : {&pictures, &sizes, &dense}) cache->setEnabled(enabled);
    }
};

// The picture of `file` for a screen of `ratio` device pixels to the pixel.
// On a dense screen that is FILE@2x, with device pixel ratio 2, when it reads
// and is exactly twice the size of FILE; otherwise FILE itself. FILE must be a
// good picture at any ratio: when it is not, null, with the reason in `error`.
// `shown` receives the name of the file shown.
std::shared_ptr<const QImage> loadScreenPicture(PictureCaches& caches, const std::filesystem::path& file,
                                                qreal ratio, std::string* error,
                                                std::filesystem::path* shown = nullptr);
// An embedded picture for a screen of `ratio`, chosen the same way.
std::optional<QImage> readEmbeddedImage(std::string_view name, qreal ratio, QString* error = nullptr);

}  // namespace skyroll::qt
