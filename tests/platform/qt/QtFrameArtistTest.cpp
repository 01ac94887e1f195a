// The Qt frame artist: maps decoded by QImage, frames drawn on the worker at
// the screen's pixel ratio and published in the toolkit's picture caches,
// from which a picture box loads them; nothing is written to disk. A missing
// map is reported.

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

TEST(QtFrameArtist, DrawsOffTheUiThreadIntoTheCachesAtTheScreensRatioAndTheGlobeLoadsFromMemory) {
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
    qreal screenRatio = 1.25;
    const auto artist = makeFrameArtist(toolkit, [&] { return screenRatio; });
    PictureCaches& caches = toolkit.pictureCaches();

    std::optional<platform::DrawnFrames> drawn;
    const auto waitForDraw = [&] {
        const double deadline = toolkit.monotonicSeconds() + 60;
        while (!drawn && toolkit.monotonicSeconds() < deadline)
            toolkit.runUntil(toolkit.monotonicSeconds() + 0.02);
        return drawn.has_value();
    };
    const auto record = [&](const platform::DrawnFrames& d) { drawn = d; };
    // Noon UTC: the sun stands over longitude 0.
    const std::int64_t noon = 1'790'000'000 - 1'790'000'000 % 86400 + 43200;
    ASSERT_TRUE(artist->draw(day, night, noon, record));
    EXPECT_FALSE(artist->draw(day, night, noon, [](const platform::DrawnFrames&) {})) << "one draw at a time";
    EXPECT_FALSE(drawn) << "reported through the event loop, never at once";
    ASSERT_TRUE(waitForDraw());
    ASSERT_EQ(drawn->failure, "");
    const fs::path first = drawn->folder;
    EXPECT_FALSE(fs::exists(first));
    EXPECT_EQ(caches.pictures.published(), 44u);
    EXPECT_EQ(caches.dense.published(), 0u) << "below 1.5 drawn at ratio 1 only";
    ASSERT_TRUE(form->control("Picture1").loadPicture(first / "EarthMap_23.bmp"));
    // Frame 1 faces longitude 0, in daylight at noon; frame 23 the other side, at night.
    const auto noonSide = caches.pictures.load<QImage>(first / "EarthMap_1.bmp", readScreenImage);
    const auto nightSide = caches.pictures.load<QImage>(first / "EarthMap_23.bmp", readScreenImage);
    ASSERT_TRUE(noonSide && nightSide);
    EXPECT_EQ(noonSide->size(), QSize(180, 183));
    const QRgb lit = noonSide->pixel(90, 91), dark = nightSide->pixel(90, 91);
    EXPECT_GT(qBlue(lit), qRed(lit) + 80) << "the day map's blue";
    EXPECT_GT(qRed(dark), qBlue(dark) + 80) << "the night map's yellow";
    // A dense screen takes a set drawn at ratio 1 as it is.
    std::filesystem::path shown;
    const auto onDense = loadScreenPicture(caches, first / "EarthMap_1.bmp", 2, nullptr, &shown);
    ASSERT_TRUE(onDense);
    EXPECT_EQ(shown, first / "EarthMap_1.bmp");

    // On a dense screen the next draw fills the other set at ratio 2: NAME@2x
    // for the loader to choose, and NAME halved from it.
    screenRatio = 1.5;
    drawn.reset();
    ASSERT_TRUE(artist->draw(day, night, noon + 600, record));
    ASSERT_TRUE(waitForDraw());
    ASSERT_EQ(drawn->failure, "");
    const fs::path second = drawn->folder;
    EXPECT_NE(second, first);
    EXPECT_EQ(caches.pictures.published(), 88u);
    EXPECT_EQ(caches.dense.published(), 44u);
    const auto dense = loadScreenPicture(caches, second / "EarthMap_1.bmp", 2, nullptr, &shown);
    ASSERT_TRUE(dense);
    EXPECT_EQ(shown, second / "EarthMap_1@2x.bmp");
    EXPECT_EQ(dense->size(), QSize(360, 366));
    EXPECT_EQ(dense->devicePixelRatio(), 2);
    const auto plain = loadScreenPicture(caches, second / "EarthMap_1.bmp", 1, nullptr, &shown);
    ASSERT_TRUE(plain);
    EXPECT_EQ(shown, second / "EarthMap_1.bmp");
    EXPECT_EQ(plain->size(), QSize(180, 183));
    for (const QPoint p : {QPoint(90, 91), QPoint(40, 60), QPoint(150, 120)}) {
        int sum = 0;
        for (const QPoint d : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
            sum += qGreen(dense->pixel(2 * p + d));
        EXPECT_NEAR(qGreen(plain->pixel(p)), sum / 4.0, 1) << p.x() << "," << p.y();
    }
    EXPECT_GT(qBlue(plain->pixel(90, 91)), qRed(plain->pixel(90, 91)) + 80);
    ASSERT_TRUE(form->control("Picture1").loadPicture(second / "EarthMap_1.bmp"));

    // Released, a missing map fails and nothing is left in any cache.
    drawn.reset();
    artist->release();
    ASSERT_TRUE(artist->draw(dir.path() / "gone.jpg", night, noon, record));
    ASSERT_TRUE(waitForDraw());
    EXPECT_NE(drawn->failure.find("gone.jpg"), std::string::npos) << drawn->failure;
    for (const platform::FileCache* cache : {&caches.pictures, &caches.sizes, &caches.dense})
        EXPECT_EQ(cache->published(), 0u);
    EXPECT_FALSE(form->control("Picture1").loadPicture(first / "EarthMap_23.bmp"));
    EXPECT_EQ(skyroll::test::treeOf(dir.path()), filesBefore) << "no file written";
}

}  // namespace
}  // namespace skyroll::qt::test
