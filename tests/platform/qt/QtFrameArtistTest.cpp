// The Qt frame artist: maps decoded by QImage, frames drawn on the worker and
// published in the toolkit's picture cache, from which a picture box loads
// them; nothing is written to disk. A missing map is reported and leaves the
// set drawn before in place.

#include <gtest/gtest.h>

#include <QImage>
#include <optional>

#include "platform/common/WorkerFrameArtist.h"
#include "platform/qt/ImageFile.h"
#include "platform/qt/QtFrameArtist.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"
#include "tests/support/TestFiles.h"

namespace skyroll::qt::test {
namespace {

namespace fs = std::filesystem;

TEST(QtFrameArtist, DrawsOffTheUiThreadIntoTheCacheAndTheGlobeLoadsFromMemory) {
    QtToolkit toolkit;
    skyroll::test::TempDir dir;
    const fs::path day = dir.path() / "earth.jpg", night = dir.path() / "night.jpg";
    QImage map(128, 64, QImage::Format_RGB32);
    map.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(map.save(QString::fromStdString(day.string()), "JPEG"));
    map.fill(qRgb(255, 255, 0));
    ASSERT_TRUE(map.save(QString::fromStdString(night.string()), "JPEG"));
    const auto filesBefore = skyroll::test::treeOf(dir.path());
    RecordingEvents events;
    const auto form = toolkit.createForm(globeLikeLayout(), events);
    const auto artist = makeFrameArtist(toolkit);

    std::optional<platform::DrawnFrames> drawn;
    const auto waitForDraw = [&] {
        const double deadline = toolkit.monotonicSeconds() + 60;
        while (!drawn && toolkit.monotonicSeconds() < deadline)
            toolkit.runUntil(toolkit.monotonicSeconds() + 0.02);
        return drawn.has_value();
    };
    // Noon UTC: the sun stands over longitude 0.
    const std::int64_t noon = 1'790'000'000 - 1'790'000'000 % 86400 + 43200;
    ASSERT_TRUE(artist->draw(day, night, noon, [&](const platform::DrawnFrames& d) { drawn = d; }));
    EXPECT_FALSE(artist->draw(day, night, noon, [](const platform::DrawnFrames&) {})) << "one draw at a time";
    EXPECT_FALSE(drawn) << "reported through the event loop, never at once";
    ASSERT_TRUE(waitForDraw());
    ASSERT_EQ(drawn->failure, "");
    const fs::path first = drawn->folder;
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(toolkit.pictures().published(), 44u);
    ASSERT_TRUE(form->control("Picture1").loadPicture(first / "EarthMap_23.bmp"));
    // Frame 23 faces longitude 0, in daylight at noon; frame 1 the other side, at night.
    const auto noonSide = toolkit.pictures().load<QImage>(first / "EarthMap_23.bmp", readScreenImage);
    const auto nightSide = toolkit.pictures().load<QImage>(first / "EarthMap_1.bmp", readScreenImage);
    ASSERT_TRUE(noonSide && nightSide);
    EXPECT_EQ(noonSide->size(), QSize(180, 183));
    EXPECT_GT(qBlue(noonSide->pixel(90, 91)), 200);
    EXPECT_LT(qRed(noonSide->pixel(90, 91)), 60);
    EXPECT_GT(qRed(nightSide->pixel(90, 91)), 200);

    // The next draw fills the other set; a missing map fails and keeps both.
    drawn.reset();
    ASSERT_TRUE(artist->draw(day, night, noon + 600, [&](const platform::DrawnFrames& d) { drawn = d; }));
    ASSERT_TRUE(waitForDraw());
    EXPECT_NE(drawn->folder, first);
    EXPECT_EQ(toolkit.pictures().published(), 88u);
    drawn.reset();
    artist->release();
    ASSERT_TRUE(artist->draw(dir.path() / "gone.jpg", night, noon,
                             [&](const platform::DrawnFrames& d) { drawn = d; }));
    ASSERT_TRUE(waitForDraw());
    EXPECT_NE(drawn->failure.find("gone.jpg"), std::string::npos) << drawn->failure;
    EXPECT_EQ(toolkit.pictures().published(), 0u);
    EXPECT_FALSE(form->control("Picture1").loadPicture(first / "EarthMap_23.bmp"));
    EXPECT_EQ(skyroll::test::treeOf(dir.path()), filesBefore) << "no file written";
}

}  // namespace
}  // namespace skyroll::qt::test
