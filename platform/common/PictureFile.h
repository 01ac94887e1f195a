#pragma once
// Reading picture files (BMP, GIF, JPEG) for toolkits that do not decode
// pictures themselves, and a cache of them.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/common/FileCache.h"

namespace skyroll::platform {

enum class PictureFormat { Bmp, Gif, Jpeg };

struct Picture {
    PictureFormat format = PictureFormat::Bmp;
    int width = 0;
    int height = 0;
    // 0xRRGGBB per pixel, top row first; filled for BMP files only (GIF and
    // JPEG are checked and measured, not decoded).
    std::vector<std::uint32_t> pixels;
};

// Largest file, picture side and pixel count accepted; anything bigger is not
// a picture. The pixel count bounds the memory of a decoded picture (four
// bytes a pixel) to 128 MiB, whatever depth the file itself has.
inline constexpr std::uintmax_t kMaxPictureFileBytes = 64u << 20;
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{32} << 20;

// What a picture file says of itself, once checked.
struct PictureHeader {
    PictureFormat format = PictureFormat::Bmp;
    int width = 0;
    int height = 0;
};

// The one check every toolkit runs on a picture file's bytes before decoding
// them: a BMP, GIF or JPEG file within the limits above, and for BMP a header
// this program decodes (uncompressed, 1, 4, 8, 24 or 32 bits) whose palette
// and pixel rows all lie inside the file. Returns std::nullopt, with the
// reason in `error` when given, for anything else.
std::optional<PictureHeader> checkPicture(std::span<const unsigned char> data, std::string* error = nullptr);

// Reads and checks a picture file (checkPicture). Uncompressed BMP of 1, 4, 8, 24 or 32 bits
// (bottom-up or top-down) is decoded in full. Returns std::nullopt, with the
// reason in `error` when given, for a missing, unreadable, truncated, oversized
// or unknown file.
std::optional<Picture> readPictureFile(const std::filesystem::path& file, std::string* error = nullptr);

// Gives the decoded picture of a file through a FileCache: a file unchanged
// since it was read is not read again, a changed file shows its new picture,
// a vanished or broken one fails.
class PictureCache {
public:
    std::shared_ptr<const Picture> load(const std::filesystem::path& file, std::string* error = nullptr);
    void setEnabled(bool enabled) { m_files.setEnabled(enabled); }
    FileCache& files() { return m_files; }

private:
    FileCache m_files;
};

}  // namespace skyroll::platform
