// The headless platform's pictures. Its timeline, timers and nested loops
// are what every scenario of core runs on, and checks to the millisecond.

#include <gtest/gtest.h>

#include "platform/headless/HeadlessForm.h"
#include "platform/headless/HeadlessToolkit.h"
#include "tests/support/TestFiles.h"

namespace skyroll::headless {
namespace {

// The desktop build judges the same files alike (QtFormTest).
TEST(HeadlessPictures, FramesAreJudgedWholeBeforeAnyPixelIsDecoded) {
    test::TempDir dir;
    platform::PictureCache cache;
    for (const auto& c : test::frameCases()) {
        SCOPED_TRACE(c.name);
        const auto file = dir.path() / (std::string(c.name) + ".bmp");
        test::writeFile(file, c.bytes);
        std::string error;
        const auto picture = cache.load(file, &error);
        ASSERT_EQ(picture != nullptr, c.accepted) << error;
        if (!picture) continue;
        EXPECT_EQ(picture->width, c.width);
        EXPECT_EQ(picture->height, c.height);
        EXPECT_EQ(picture->pixels.size(), std::size_t(c.width) * std::size_t(c.height));
    }
}

}  // namespace
}  // namespace skyroll::headless
