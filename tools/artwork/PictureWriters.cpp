#include "tools/artwork/PictureWriters.h"

#include <gif_lib.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace skyroll::artwork {

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}
void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xffff);
    put16(out, v >> 16);
}
void put32be(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xff));
}

void writeFile(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

// BITMAPINFOHEADER for an uncompressed bottom-up picture at 96 dots per inch.
void putInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t imageBytes,
                   std::uint32_t colours) {
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageBytes);
    put32(out, 3780);
    put32(out, 3780);
    put32(out, colours);
    put32(out, 0);
}

Bytes encodeBmp(int width, int height, int bits, const Palette& palette,
                const std::function<void(Bytes&, int y)>& putRow) {
    const std::uint32_t stride = ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4;
    const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
    Bytes out;
    out.reserve(offset + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageBytes);
    put32(out, 0);
    put32(out, offset);
    putInfoHeader(out, width, height, bits, imageBytes, static_cast<std::uint32_t>(palette.size()));
    for (const Rgba& c : palette) {
        out.insert(out.end(), {c.b, c.g, c.r, 0});
    }
    for (int y = height - 1; y >= 0; --y) {
        const std::size_t start = out.size();
        putRow(out, y);
        out.resize(start + stride, 0);
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> encodeBmp24(const Raster& picture) {
    return encodeBmp(picture.width(), picture.height(), 24, {}, [&](Bytes& out, int y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Rgba& c = picture.at(x, y);
            out.insert(out.end(), {c.b, c.g, c.r});
        }
    });
}

void writeBmp24(const std::filesystem::path& file, const Raster& picture) {
    writeFile(file, encodeBmp24(picture));
}

void writeBmp8(const std::filesystem::path& file, int width, int height,
               const std::vector<std::uint8_t>& indices, const Palette& palette) {
    if (palette.size() != 256 || indices.size() != static_cast<std::size_t>(width) * height)
        throw std::invalid_argument("8-bit BMP needs 256 colours and one index per pixel");
    writeFile(file, encodeBmp(width, height, 8, palette, [&](Bytes& out, int y) {
                  const auto row = indices.begin() + static_cast<std::ptrdiff_t>(y) * width;
                  out.insert(out.end(), row, row + width);
              }));
}

void writeJpeg(const std::filesystem::path& file, const Raster& picture, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width());
    info.image_height = static_cast<JDIMENSION>(picture.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    Bytes row(static_cast<std::size_t>(picture.width()) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        for (int x = 0; x < picture.width(); ++x) {
            const Rgba& c = picture.at(x, y);
            row[3 * x] = c.r;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.b;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    const Bytes bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    writeFile(file, bytes);
}

void writeGif(const std::filesystem::path& file, int width, int height,
              const std::vector<std::uint8_t>& indices, const Palette& palette, int transparentIndex) {
    const int colours = static_cast<int>(palette.size());
    if (colours < 2 || colours > 256 || (colours & (colours - 1)) != 0 ||
        indices.size() != static_cast<std::size_t>(width) * height)
        throw std::invalid_argument("GIF needs a power-of-two palette and one index per pixel");
    std::vector<GifColorType> entries;
    for (const Rgba& c : palette) entries.push_back({c.r, c.g, c.b});
    // Encoded into memory and written like every other file (giflib's own
    // file opening would make the file readable by its owner only).
    Bytes bytes;
    const OutputFunc append = [](GifFileType* g, const GifByteType* data, int length) {
        auto* out = static_cast<Bytes*>(g->UserData);
        out->insert(out->end(), data, data + length);
        return length;
    };
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, append, &error);
    if (!gif) throw std::runtime_error("cannot encode " + file.string());
    ColorMapObject* map = GifMakeMapObject(colours, entries.data());
    EGifSetGifVersion(gif, true);
    bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.DelayTime = 0;
    control.TransparentColor = transparentIndex;
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        std::copy_n(indices.begin() + static_cast<std::ptrdiff_t>(y) * width, width, line.begin());
        ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
    }
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK || !ok)
        throw std::runtime_error("cannot encode " + file.string());
    writeFile(file, bytes);
}

void writeIco(const std::filesystem::path& file, const Raster& picture) {
    const int w = picture.width(), h = picture.height();
    if (w > 256 || h > 256) throw std::invalid_argument("icon larger than 256");
    const std::uint32_t maskStride = ((static_cast<std::uint32_t>(w) + 31) / 32) * 4;
    const std::uint32_t imageBytes = 4u * w * h + maskStride * h;
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // icon
    put16(out, 1);  // one image
    out.push_back(static_cast<std::uint8_t>(w & 0xff));
    out.push_back(static_cast<std::uint8_t>(h & 0xff));
    out.push_back(0);  // no palette
    out.push_back(0);
    put16(out, 1);
    put16(out, 32);
    put32(out, 40 + imageBytes);
    put32(out, 6 + 16);
    putInfoHeader(out, w, 2 * h, 32, imageBytes, 0);  // height counts the image and its mask
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const Rgba& c = picture.at(x, y);
            out.insert(out.end(), {c.b, c.g, c.r, c.a});
        }
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(maskStride, 0);
        for (int x = 0; x < w; ++x)
            if (picture.at(x, y).a < 128) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    writeFile(file, out);
}

void writePng(const std::filesystem::path& file, const Raster& picture, bool alpha) {
    const int channels = alpha ? 4 : 3;
    Bytes raw;
    raw.reserve(static_cast<std::size_t>(picture.width() * channels + 1) * picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        raw.push_back(0);  // filter: none
        for (int x = 0; x < picture.width(); ++x) {
            const Rgba& c = picture.at(x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b});
            if (alpha) raw.push_back(c.a);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        throw std::runtime_error("cannot compress " + file.string());
    packed.resize(packedSize);
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const auto chunk = [&out](const char* type, const Bytes& data) {
        put32be(out, static_cast<std::uint32_t>(data.size()));
        const std::size_t start = out.size();
        out.insert(out.end(), type, type + 4);
        out.insert(out.end(), data.begin(), data.end());
        put32be(out, static_cast<std::uint32_t>(
                         crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
    };
    Bytes header;
    put32be(header, static_cast<std::uint32_t>(picture.width()));
    put32be(header, static_cast<std::uint32_t>(picture.height()));
    // 8-bit RGB (2) or RGBA (6), deflate, no filter choice, no interlace.
    header.insert(header.end(), {8, static_cast<std::uint8_t>(alpha ? 6 : 2), 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    writeFile(file, out);
}

}  // namespace skyroll::artwork
