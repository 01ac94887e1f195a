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

namespace skyroll::qt {

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

}  // namespace skyroll::qt
