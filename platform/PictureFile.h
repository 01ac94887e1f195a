#pragma once
// Reading picture files (BMP, GIF, JPEG) for toolkits that do not decode
// pictures themselves, and a cache that keeps a decoded picture only while
// its file is provably unchanged.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

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

// Largest file and picture side accepted; anything bigger is not a picture.
inline constexpr std::uintmax_t kMaxPictureFileBytes = 64u << 20;
inline constexpr int kMaxPictureSide = 16384;

// Reads and checks a picture file. Uncompressed BMP of 1, 4, 8, 24 or 32 bits
// (bottom-up or top-down) is decoded in full. Returns std::nullopt, with the
// reason in `error` when given, for a missing, unreadable, truncated, oversized
// or unknown file.
std::optional<Picture> readPictureFile(const std::filesystem::path& file, std::string* error = nullptr);

// What tells a file apart from any other version of it: device, inode, size,
// modification and change times with nanoseconds. Nobody can set the change
// time, so an equal identity means the same bytes.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0, ctimeNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> identifyFile(const std::filesystem::path& file);

// Gives the decoded picture of a file, reading it again whenever its identity
// changed, so what is shown is always what a fresh read would give: a changed
// file shows its new picture, a vanished or broken one fails.
class PictureCache {
public:
    explicit PictureCache(std::size_t capacity = 64) : m_capacity(capacity) {}
    std::shared_ptr<const Picture> load(const std::filesystem::path& file, std::string* error = nullptr);
    void setEnabled(bool enabled) { m_enabled = enabled; }

private:
    struct Entry {
        FileIdentity identity;
        std::shared_ptr<const Picture> picture;
    };
    std::unordered_map<std::string, Entry> m_entries;
    std::size_t m_capacity;
    bool m_enabled = true;
};

}  // namespace skyroll::platform
