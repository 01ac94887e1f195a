#include "platform/PictureFile.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>

namespace skyroll::platform {
namespace {

bool fail(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

std::uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool decodeBmp(const std::vector<unsigned char>& data, Picture& picture, std::string* error) {
    if (data.size() < 54) return fail(error, "truncated BMP header");
    const unsigned char* d = data.data();
    const std::uint32_t pixelOffset = le32(d + 10);
    const std::uint32_t headerSize = le32(d + 14);
    if (headerSize < 40 || 14 + std::uint64_t{headerSize} > data.size()) return fail(error, "bad BMP header");
    const auto width = static_cast<std::int32_t>(le32(d + 18));
    const auto rawHeight = static_cast<std::int32_t>(le32(d + 22));
    const std::uint32_t planes = le16(d + 26), bits = le16(d + 28), compression = le32(d + 30);
    if (planes != 1 || compression != 0) return fail(error, "unsupported BMP compression");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return fail(error, "unsupported BMP depth");
    if (width <= 0 || width > kMaxPictureSide || rawHeight == 0 || rawHeight < -kMaxPictureSide ||
        rawHeight > kMaxPictureSide)
        return fail(error, "bad BMP size");
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    const std::uint64_t stride = ((std::uint64_t{static_cast<std::uint32_t>(width)} * bits + 31) / 32) * 4;
    if (pixelOffset > data.size() || stride * static_cast<std::uint64_t>(height) > data.size() - pixelOffset)
        return fail(error, "truncated BMP pixels");

    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        std::uint32_t colours = le32(d + 46);
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
        const std::uint64_t paletteStart = 14 + std::uint64_t{headerSize};
        if (paletteStart + colours * 4ull > pixelOffset) return fail(error, "truncated BMP palette");
        for (std::uint32_t i = 0; i < colours; ++i) {
            const unsigned char* e = d + paletteStart + i * 4;
            palette.push_back((e[2] << 16) | (e[1] << 8) | e[0]);
        }
        palette.resize(1u << bits, 0);
    }

    picture.format = PictureFormat::Bmp;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = d + pixelOffset + stride * (bottomUp ? height - 1 - y : y);
        std::uint32_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (bits) {
                case 24: out[x] = (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3]; break;
                case 32: out[x] = (row[x * 4 + 2] << 16) | (row[x * 4 + 1] << 8) | row[x * 4]; break;
                case 8: out[x] = palette[row[x]]; break;
                case 4: out[x] = palette[(row[x / 2] >> ((x % 2) ? 0 : 4)) & 0xF]; break;
                default: out[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            }
        }
    }
    return true;
}

bool measureGif(const std::vector<unsigned char>& data, Picture& picture, std::string* error) {
    if (data.size() < 13 + 1) return fail(error, "truncated GIF");
    picture.format = PictureFormat::Gif;
    picture.width = static_cast<int>(le16(data.data() + 6));
    picture.height = static_cast<int>(le16(data.data() + 8));
    if (picture.width == 0 || picture.height == 0) return fail(error, "bad GIF size");
    return true;
}

bool measureJpeg(const std::vector<unsigned char>& data, Picture& picture, std::string* error) {
    std::size_t i = 2;
    while (i + 9 < data.size()) {
        if (data[i] != 0xFF) return fail(error, "bad JPEG marker");
        const unsigned char marker = data[i + 1];
        const std::size_t length = (data[i + 2] << 8) | data[i + 3];
        if ((marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            picture.format = PictureFormat::Jpeg;
            picture.height = (data[i + 5] << 8) | data[i + 6];
            picture.width = (data[i + 7] << 8) | data[i + 8];
            if (picture.width == 0 || picture.height == 0) return fail(error, "bad JPEG size");
            return true;
        }
        if (length < 2) return fail(error, "bad JPEG segment");
        i += 2 + length;
    }
    return fail(error, "JPEG without a frame header");
}

}  // namespace

std::optional<Picture> readPictureFile(const std::filesystem::path& file, std::string* error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) {
        fail(error, "cannot read the file");
        return std::nullopt;
    }
    if (size > kMaxPictureFileBytes) {
        fail(error, "file too large for a picture");
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<unsigned char> data(static_cast<std::size_t>(size));
    if (!in || !in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()))) {
        fail(error, "cannot read the file");
        return std::nullopt;
    }
    Picture picture;
    bool ok = false;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M')
        ok = decodeBmp(data, picture, error);
    else if (data.size() >= 6 && (std::memcmp(data.data(), "GIF87a", 6) == 0 ||
                                  std::memcmp(data.data(), "GIF89a", 6) == 0))
        ok = measureGif(data, picture, error);
    else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        ok = measureJpeg(data, picture, error);
    else
        fail(error, "not a picture");
    if (!ok) return std::nullopt;
    if (picture.width > kMaxPictureSide || picture.height > kMaxPictureSide) {
        fail(error, "picture too large");
        return std::nullopt;
    }
    return picture;
}

// identifyFile is defined with the native file operations (NativeFiles.h).

std::shared_ptr<const Picture> PictureCache::load(const std::filesystem::path& file, std::string* error) {
    const std::string key = file.string();
    const auto before = identifyFile(file);
    if (m_enabled && before) {
        const auto it = m_entries.find(key);
        if (it != m_entries.end() && it->second.identity == *before) return it->second.picture;
    }
    auto picture = readPictureFile(file, error);
    if (!picture) {
        m_entries.erase(key);
        return nullptr;
    }
    auto shared = std::make_shared<const Picture>(std::move(*picture));
    // File times tick coarsely: a file changed again within the same tick
    // could keep its identity. Only files that were already settled before
    // the read, and did not change during it, are kept.
    const auto after = identifyFile(file);
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    constexpr std::int64_t kSettledNs = 2'000'000'000;
    if (m_enabled && before && after && *before == *after && now - before->ctimeNs > kSettledNs) {
        if (m_entries.size() >= m_capacity) m_entries.clear();
        m_entries[key] = Entry{*before, shared};
    }
    return shared;
}

}  // namespace skyroll::platform
