#include "platform/common/PictureFile.h"

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

// The fields of a BMP header this program uses.
struct BmpFields {
    std::uint32_t pixelOffset = 0, headerSize = 0, bits = 0, colours = 0;
    std::int32_t width = 0, rawHeight = 0;
    std::uint64_t stride = 0;
};

bool checkBmp(std::span<const unsigned char> data, BmpFields& f, std::string* error) {
    if (data.size() < 54) return fail(error, "truncated BMP header");
    const unsigned char* d = data.data();
    f.pixelOffset = le32(d + 10);
    f.headerSize = le32(d + 14);
    if (f.headerSize < 40 || 14 + std::uint64_t{f.headerSize} > data.size())
        return fail(error, "bad BMP header");
    f.width = static_cast<std::int32_t>(le32(d + 18));
    f.rawHeight = static_cast<std::int32_t>(le32(d + 22));
    const std::uint32_t planes = le16(d + 26), compression = le32(d + 30);
    f.bits = le16(d + 28);
    if (planes != 1 || compression != 0) return fail(error, "unsupported BMP compression");
    if (f.bits != 1 && f.bits != 4 && f.bits != 8 && f.bits != 24 && f.bits != 32)
        return fail(error, "unsupported BMP depth");
    if (f.width <= 0 || f.width > kMaxPictureSide || f.rawHeight == 0 || f.rawHeight < -kMaxPictureSide ||
        f.rawHeight > kMaxPictureSide)
        return fail(error, "bad BMP size");
    const std::uint64_t height = f.rawHeight > 0 ? f.rawHeight : -static_cast<std::int64_t>(f.rawHeight);
    if (std::uint64_t{static_cast<std::uint32_t>(f.width)} * height > kMaxPicturePixels)
        return fail(error, "picture too large");
    f.stride = ((std::uint64_t{static_cast<std::uint32_t>(f.width)} * f.bits + 31) / 32) * 4;
    if (f.pixelOffset > data.size() || f.stride * height > data.size() - f.pixelOffset)
        return fail(error, "truncated BMP pixels");
    if (f.bits <= 8) {
        f.colours = le32(d + 46);
        if (f.colours == 0 || f.colours > (1u << f.bits)) f.colours = 1u << f.bits;
        if (14 + std::uint64_t{f.headerSize} + f.colours * 4ull > f.pixelOffset)
            return fail(error, "truncated BMP palette");
    }
    return true;
}

void decodeBmp(std::span<const unsigned char> data, const BmpFields& f, Picture& picture) {
    const unsigned char* d = data.data();
    std::vector<std::uint32_t> palette;
    if (f.bits <= 8) {
        const std::uint64_t paletteStart = 14 + std::uint64_t{f.headerSize};
        for (std::uint32_t i = 0; i < f.colours; ++i) {
            const unsigned char* e = d + paletteStart + i * 4;
            palette.push_back((e[2] << 16) | (e[1] << 8) | e[0]);
        }
        palette.resize(1u << f.bits, 0);
    }

    const bool bottomUp = f.rawHeight > 0;
    const int width = f.width;
    const int height = picture.height;
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = d + f.pixelOffset + f.stride * (bottomUp ? height - 1 - y : y);
        std::uint32_t* out = picture.pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (f.bits) {
                case 24:
                    out[x] = (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
                    break;
                case 32:
                    out[x] = (row[x * 4 + 2] << 16) | (row[x * 4 + 1] << 8) | row[x * 4];
                    break;
                case 8:
                    out[x] = palette[row[x]];
                    break;
                case 4:
                    out[x] = palette[(row[x / 2] >> ((x % 2) ? 0 : 4)) & 0xF];
                    break;
                default:
                    out[x] = palette[(row[x / 8] >> (7 - x % 8)) & 1];
                    break;
            }
        }
    }
}

bool measureGif(std::span<const unsigned char> data, PictureHeader& header, std::string* error) {
    if (data.size() < 13 + 1) return fail(error, "truncated GIF");
    header.format = PictureFormat::Gif;
    header.width = static_cast<int>(le16(data.data() + 6));
    header.height = static_cast<int>(le16(data.data() + 8));
    if (header.width == 0 || header.height == 0) return fail(error, "bad GIF size");
    return true;
}

bool measureJpeg(std::span<const unsigned char> data, PictureHeader& header, std::string* error) {
    std::size_t i = 2;
    while (i + 9 < data.size()) {
        if (data[i] != 0xFF) return fail(error, "bad JPEG marker");
        const unsigned char marker = data[i + 1];
        const std::size_t length = (data[i + 2] << 8) | data[i + 3];
        if ((marker >= 0xC0 && marker <= 0xCF) && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
            header.format = PictureFormat::Jpeg;
            header.height = (data[i + 5] << 8) | data[i + 6];
            header.width = (data[i + 7] << 8) | data[i + 8];
            if (header.width == 0 || header.height == 0) return fail(error, "bad JPEG size");
            return true;
        }
        if (length < 2) return fail(error, "bad JPEG segment");
        i += 2 + length;
    }
    return fail(error, "JPEG without a frame header");
}

std::optional<PictureHeader> checkPicture(std::span<const unsigned char> data, std::string* error,
                                          BmpFields& bmp) {
    if (data.size() > kMaxPictureFileBytes) {
        fail(error, "file too large for a picture");
        return std::nullopt;
    }
    PictureHeader header;
    bool ok = false;
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        // The sides are only known to be in range once the check passed.
        ok = checkBmp(data, bmp, error);
        if (ok) {
            header.width = bmp.width;
            header.height = bmp.rawHeight > 0 ? bmp.rawHeight : -bmp.rawHeight;
        }
    } else if (data.size() >= 6 &&
               (std::memcmp(data.data(), "GIF87a", 6) == 0 || std::memcmp(data.data(), "GIF89a", 6) == 0)) {
        ok = measureGif(data, header, error);
    } else if (data.size() >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        ok = measureJpeg(data, header, error);
    } else {
        fail(error, "not a picture");
    }
    if (!ok) return std::nullopt;
    if (header.width > kMaxPictureSide || header.height > kMaxPictureSide ||
        std::uint64_t(header.width) * std::uint64_t(header.height) > kMaxPicturePixels) {
        fail(error, "picture too large");
        return std::nullopt;
    }
    return header;
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
    BmpFields bmp;
    const auto header = checkPicture(data, error, bmp);
    if (!header) return std::nullopt;
    Picture picture;
    picture.format = header->format;
    picture.width = header->width;
    picture.height = header->height;
    if (header->format == PictureFormat::Bmp) decodeBmp(data, bmp, picture);
    return picture;
}

std::optional<PictureHeader> checkPicture(std::span<const unsigned char> data, std::string* error) {
    BmpFields bmp;
    return checkPicture(data, error, bmp);
}

std::shared_ptr<const Picture> PictureCache::load(const std::filesystem::path& file, std::string* error) {
    return m_files.load<Picture>(
        file,
        [](const std::filesystem::path& f, std::string* why) -> std::shared_ptr<const void> {
            auto picture = readPictureFile(f, why);
            if (!picture) return nullptr;
            return std::make_shared<const Picture>(std::move(*picture));
        },
        error);
}

}  // namespace skyroll::platform
