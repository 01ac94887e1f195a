// The files the build generated: each in the format the program reads, the
// right size, and showing what it should.

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

#include "tests/artwork/ArtworkFiles.h"

namespace skyroll::artwork::test {
namespace {

namespace fs = std::filesystem;

struct BmpRow {
    const char* name;
    fs::path file;
    int width, height, bits;
};

std::vector<BmpRow> bmpRows() {
    std::vector<BmpRow> rows;
    for (int n = 1; n <= 44; ++n)
        rows.push_back(
            {"globe frame", dataDir() / "earth" / ("EarthMap_" + std::to_string(n) + ".bmp"), 180, 183, 24});
    for (int n = 1; n <= 23; ++n)
        rows.push_back(
            {"moon frame", dataDir() / "moon" / ("MoonMap_" + std::to_string(n) + ".bmp"), 112, 110, 24});
    rows.push_back({"space wallpaper", dataDir() / "BACK" / fs::path(u8"宇宙.bmp"), 1920, 1080, 24});
    rows.push_back({"globe creation picture", assetsDir() / "globe_creation.bmp", 180, 183, 24});
    rows.push_back({"full moon", assetsDir() / "moon_full.bmp", 112, 110, 24});
    rows.push_back({"palette star field", assetsDir() / "palette_starfield.bmp", 640, 480, 8});
    return rows;
}

TEST(GeneratedFiles, BitmapsAreUncompressedBottomUpOfTheirSizeAndDepth) {
    for (const BmpRow& row : bmpRows()) {
        SCOPED_TRACE(std::string(row.name) + " " + row.file.string());
        const auto bmp = readBmp(row.file);
        ASSERT_TRUE(bmp.has_value());
        EXPECT_EQ(bmp->width, row.width);
        EXPECT_EQ(bmp->height, row.height);  // positive: bottom-up
        EXPECT_EQ(bmp->bits, row.bits);
        EXPECT_EQ(bmp->compression, 0u);
        EXPECT_EQ(bmp->declaredSize, bmp->bytes.size());
        EXPECT_EQ(bmp->pixelOffset + std::size_t(bmp->stride) * row.height, bmp->bytes.size());
        EXPECT_EQ(bmp->paletteSize, row.bits == 8 ? 256u : 0u);
        EXPECT_EQ(bmp->pixelOffset, 54u + 4 * bmp->paletteSize);
    }
}

TEST(GeneratedFiles, GlobeFramesShowATurningEarthOnBlack) {
    std::vector<Bmp> frames;
    for (int n = 1; n <= 44; ++n)
        frames.push_back(*readBmp(dataDir() / "earth" / ("EarthMap_" + std::to_string(n) + ".bmp")));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        EXPECT_EQ(frames[i].rgb(0, 0), 0u);
        EXPECT_EQ(frames[i].rgb(179, 182), 0u);
        EXPECT_NE(frames[i].rgb(90, 91), 0u);
        EXPECT_NE(frames[i].bytes, frames[(i + 1) % frames.size()].bytes) << "the next frame is turned";
    }
}

double meanLevel(const Bmp& bmp, int fromX, int toX) {
    double sum = 0;
    for (int y = 0; y < bmp.height; ++y)
        for (int x = fromX; x < toX; ++x) sum += (bmp.rgb(x, y) >> 8) & 0xff;
    return sum / (bmp.height * (toX - fromX));
}

TEST(GeneratedFiles, MoonFramesRunThroughOneCycleOfPhases) {
    std::vector<double> level;
    for (int n = 1; n <= 23; ++n)
        level.push_back(
            meanLevel(*readBmp(dataDir() / "moon" / ("MoonMap_" + std::to_string(n) + ".bmp")), 0, 112));
    for (int n = 1; n < 11; ++n) EXPECT_LT(level[n - 1], level[n]) << "waxing at frame " << n;
    for (int n = 12; n < 23; ++n) EXPECT_GT(level[n - 1], level[n]) << "waning at frame " << n;
    const Bmp waxing = *readBmp(dataDir() / "moon" / "MoonMap_5.bmp");
    EXPECT_GT(meanLevel(waxing, 56, 112), 4 * meanLevel(waxing, 0, 56))
        << "a waxing moon is lit on the right";
    const Bmp full = *readBmp(assetsDir() / "moon_full.bmp");
    EXPECT_GT(meanLevel(full, 0, 56), 0.8 * meanLevel(full, 56, 112));
    EXPECT_GT(meanLevel(full, 0, 112), level[10]);
}

TEST(GeneratedFiles, WeatherPicturesAreTransparentGifsOfThirtyPixels) {
    std::vector<fs::path> files{assetsDir() / "sun.gif"};
    for (const char* name : {"SUN", "SUN_RAIN", "RAIN", "CLOUDY", "SNOW", "UNKNOWN"})
        files.push_back(dataDir() / "WEATHER" / (std::string(name) + ".gif"));
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        int error = 0;
        GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
        ASSERT_NE(gif, nullptr);
        ASSERT_EQ(DGifSlurp(gif), GIF_OK);
        EXPECT_EQ(gif->SWidth, 30);
        EXPECT_EQ(gif->SHeight, 30);
        GraphicsControlBlock control{};
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, 0, &control), GIF_OK);
        ASSERT_NE(control.TransparentColor, NO_TRANSPARENT_COLOR);
        int clear = 0;
        for (int i = 0; i < 900; ++i) clear += gif->SavedImages[0].RasterBits[i] == control.TransparentColor;
        EXPECT_GT(clear, 60) << "the globe shows around the picture";
        EXPECT_LT(clear, 800) << "the picture shows something";
        DGifCloseFile(gif, &error);
    }
}

TEST(GeneratedFiles, SunIsARedDiscWithYellowRays) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName((dataDir() / "WEATHER" / "SUN.gif").c_str(), &error);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    const auto colour = [gif](int x, int y) {
        return gif->SColorMap->Colors[gif->SavedImages[0].RasterBits[y * 30 + x]];
    };
    const GifColorType centre = colour(15, 15), ray = colour(15, 2);
    EXPECT_GT(centre.Red, 200);
    EXPECT_LT(centre.Green, 60);
    EXPECT_GT(ray.Red, 200);
    EXPECT_GT(ray.Green, 180);
    EXPECT_LT(ray.Blue, 60);
    DGifCloseFile(gif, &error);
}

TEST(GeneratedFiles, StarFieldIsAColourJpegOfTheWindowsSize) {
    const fs::path file = assetsDir() / "starfield.jpg";
    FILE* in = std::fopen(file.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in);
    ASSERT_EQ(jpeg_read_header(&info, TRUE), JPEG_HEADER_OK);
    EXPECT_EQ(info.image_width, 668u);
    EXPECT_EQ(info.image_height, 495u);
    EXPECT_EQ(info.num_components, 3);
    jpeg_destroy_decompress(&info);
    std::fclose(in);
}

TEST(GeneratedFiles, IconIsAThirtyTwoPixelGlobeOnATransparentGround) {
    const std::vector<std::uint8_t> b = readAll(assetsDir() / "globe.ico");
    ASSERT_EQ(b.size(), 6u + 16 + 40 + 32 * 32 * 4 + 32 * 4);
    EXPECT_EQ(b[6], 32);
    EXPECT_EQ(b[7], 32);
    const std::size_t pixels = 6 + 16 + 40;
    const auto alpha = [&](int x, int y) { return b[pixels + ((31 - y) * 32 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(31, 31), 0);
    EXPECT_EQ(alpha(16, 16), 255);
}

}  // namespace
}  // namespace skyroll::artwork::test
