// The picture writers, byte by byte where the format leaves no choice.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tools/artwork/PictureWriters.h"

namespace skyroll::artwork {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::uint32_t le32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t le16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

Bytes readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

fs::path scratch(const char* name) {
    const fs::path dir = fs::temp_directory_path() / "skyroll_artwork_writers";
    fs::create_directories(dir);
    return dir / name;
}

// 5 pixels of 3 bytes make 15, so every row carries one byte of padding.
Raster fiveByThree() {
    Raster r(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            r.at(x, y) = Rgba{static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(100 + y), 7, 255};
    return r;
}

TEST(PictureWriters, Bmp24IsBottomUpWithRowsPaddedToFourBytes) {
    const Bytes b = encodeBmp24(fiveByThree());
    ASSERT_EQ(b.size(), 54u + 3 * 16);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), b.size());
    EXPECT_EQ(le32(b, 10), 54u);                           // pixels follow the headers
    EXPECT_EQ(le32(b, 14), 40u);                           // BITMAPINFOHEADER
    EXPECT_EQ(static_cast<std::int32_t>(le32(b, 22)), 3);  // positive: bottom-up
    EXPECT_EQ(le16(b, 28), 24);
    EXPECT_EQ(le32(b, 30), 0u);  // uncompressed
    // The first stored row is the bottom row (y = 2), blue-green-red.
    const Bytes firstPixel(b.begin() + 54, b.begin() + 57);
    EXPECT_EQ(firstPixel, (Bytes{7, 102, 0}));
    EXPECT_EQ(b[54 + 4 * 3 + 2], 40);  // fifth pixel's red
    for (int row = 0; row < 3; ++row) EXPECT_EQ(b[54 + row * 16 + 15], 0) << "padding of row " << row;
    EXPECT_EQ(b[54 + 2 * 16 + 1], 100);  // last stored row is the top row
}

TEST(PictureWriters, Bmp8CarriesAFullPaletteAndOneBytePerPixel) {
    Palette palette(256);
    for (int i = 0; i < 256; ++i)
        palette[static_cast<std::size_t>(i)] = Rgba{static_cast<std::uint8_t>(i), 0, 0, 255};
    const std::vector<std::uint8_t> indices{1, 2, 3, 4, 5, 6};  // 3 x 2, padded to 4 per row
    const fs::path file = scratch("eight.bmp");
    writeBmp8(file, 3, 2, indices, palette);
    const Bytes b = readAll(file);
    ASSERT_EQ(b.size(), 54u + 1024 + 2 * 4);
    EXPECT_EQ(le32(b, 10), 54u + 1024);
    EXPECT_EQ(le16(b, 28), 8);
    EXPECT_EQ(le32(b, 46), 256u);
    EXPECT_EQ(b[54 + 4 * 200 + 2], 200);  // palette entries are blue, green, red, 0
    EXPECT_EQ((Bytes(b.begin() + 1078, b.end())), (Bytes{4, 5, 6, 0, 1, 2, 3, 0}));
    EXPECT_THROW(writeBmp8(file, 3, 2, indices, Palette(16)), std::invalid_argument);
}

TEST(PictureWriters, GifKeepsItsTransparentColourAndPixels) {
    const Palette palette{{0, 0, 0, 0}, {255, 0, 0, 255}, {255, 255, 0, 255}, {9, 9, 9, 255}};
    const std::vector<std::uint8_t> indices{0, 1, 2, 3, 3, 2, 1, 0};
    const fs::path file = scratch("four.gif");
    writeGif(file, 4, 2, indices, palette, 0);
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    ASSERT_EQ(gif->ImageCount, 1);
    GraphicsControlBlock control{};
    ASSERT_EQ(DGifSavedExtensionToGCB(gif, 0, &control), GIF_OK);
    EXPECT_EQ(control.TransparentColor, 0);
    EXPECT_EQ(gif->SWidth, 4);
    EXPECT_EQ(gif->SHeight, 2);
    EXPECT_EQ(gif->SColorMap->Colors[2].Green, 255);
    const std::vector<std::uint8_t> read(gif->SavedImages[0].RasterBits, gif->SavedImages[0].RasterBits + 8);
    EXPECT_EQ(read, indices);
    DGifCloseFile(gif, &error);
    EXPECT_TRUE((fs::status(file).permissions() & fs::perms::others_read) != fs::perms::none)
        << "installed pictures must be readable by everyone";
}

TEST(PictureWriters, IconMasksTheSeeThroughPixels) {
    Raster r(32, 32, Rgba{0, 0, 0, 0});
    r.at(0, 0) = Rgba{1, 2, 3, 255};    // top-left opaque
    r.at(31, 31) = Rgba{4, 5, 6, 200};  // bottom-right mostly opaque
    const fs::path file = scratch("icon.ico");
    writeIco(file, r);
    const Bytes b = readAll(file);
    const std::size_t image = 6 + 16, pixels = image + 40, mask = pixels + 32 * 32 * 4;
    ASSERT_EQ(b.size(), mask + 32 * 4);
    EXPECT_EQ(le16(b, 2), 1);                                      // an icon
    EXPECT_EQ(le32(b, 18), image);                                 // where its image starts
    EXPECT_EQ(static_cast<std::int32_t>(le32(b, image + 8)), 64);  // image and mask
    EXPECT_EQ(le16(b, image + 14), 32);
    // Rows are stored bottom-up: the bottom-right pixel is the 32nd of row 0.
    EXPECT_EQ((Bytes(b.begin() + pixels + 31 * 4, b.begin() + pixels + 32 * 4)), (Bytes{6, 5, 4, 200}));
    // Mask bit 1 = see-through; bottom row: all but the last pixel.
    EXPECT_EQ((Bytes(b.begin() + mask, b.begin() + mask + 4)), (Bytes{0xff, 0xff, 0xff, 0xfe}));
    // Top row (stored last): all but the first.
    EXPECT_EQ((Bytes(b.begin() + mask + 31 * 4, b.end())), (Bytes{0x7f, 0xff, 0xff, 0xff}));
}

}  // namespace
}  // namespace skyroll::artwork
