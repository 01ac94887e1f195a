// Forms built from layouts: units, shape, pictures, mouse, tray fallback.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <fstream>

#include "platform/qt/ImageFile.h"
#include "platform/qt/PictureWidget.h"
#include "platform/qt/QtControl.h"
#include "platform/qt/QtForm.h"
#include "platform/qt/QtToolkit.h"
#include "tests/platform/qt/TestForms.h"
#include "tests/support/TestFiles.h"

namespace skyroll::qt::test {
namespace {

struct FormTest : testing::Test {
    QtToolkit toolkit;
    platform::FormLayout layout = globeLikeLayout();
    RecordingEvents events;
    std::unique_ptr<platform::Form> form = toolkit.createForm(layout, events);
    QtForm& qform = dynamic_cast<QtForm&>(*form);
    double tpp = toolkit.twipsPerPixelX();

    QWidget* widgetOf(std::string_view name) { return qform.findControl(name)->widget(); }
    // Sends a mouse event to `w` at `local` pixels, as the window system would.
    void mouse(QWidget* w, QEvent::Type type, QPointF local, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
        QMouseEvent event(type, local, QPointF(w->mapToGlobal(local.toPoint())), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
};

TEST_F(FormTest, FormPlacesRoundToWholePixels) {
    ASSERT_EQ(tpp, 15.0) << "the offscreen screen has 96 dpi";
    struct Row {
        const char* name;
        double twips;
        int pixels;
    };
    const Row rows[] = {
        {"whole pixel", 12360, 824},
        {"below a half", 307, 20},
        {"a half goes away from zero", 307.5, 21},
        {"negative half", -7.5, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form->setLeft(row.twips);
        form->setTop(row.twips);
        EXPECT_EQ(qform.widget()->x(), row.pixels);
        EXPECT_EQ(qform.widget()->y(), row.pixels);
        EXPECT_DOUBLE_EQ(form->left(), row.pixels * tpp);
    }
}

TEST_F(FormTest, EllipticRegionBecomesTheWindowMask) {
    const platform::RegionHandle region = toolkit.createEllipticRgn(0, 0, 180, 183);
    ASSERT_NE(region, 0u);
    EXPECT_EQ(toolkit.setWindowRgn(form->handle(), region, true), 1);
    ASSERT_TRUE(qform.widget()->windowHandle());
    const QRegion mask = qform.widget()->windowHandle()->mask();
    EXPECT_EQ(mask, QRegion(0, 0, 180, 183, QRegion::Ellipse));
    EXPECT_TRUE(mask.contains(QPoint(90, 91)));
    for (QPoint corner : {QPoint(1, 1), QPoint(178, 1), QPoint(1, 181), QPoint(178, 181)})
        EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();

    // No region: no shape.
    EXPECT_EQ(toolkit.setWindowRgn(form->handle(), 0, true), 1);
    EXPECT_TRUE(qform.widget()->windowHandle()->mask().isEmpty());
}

TEST_F(FormTest, PicturesComeFromTheCacheOnlyWhileTheirFileIsUnchanged) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto path = [&](const char* name) {
        return std::filesystem::path(dir.filePath(name).toStdString());
    };
    const auto save = [&](QColor colour, const char* name) {
        QImage image(180, 183, QImage::Format_RGB888);
        image.fill(colour);
        return image.save(dir.filePath(name), "BMP");
    };
    ASSERT_TRUE(save(Qt::red, "frame.bmp"));
    std::ofstream(path("text.bmp")) << "not a picture";

    platform::Control& picture = form->control("Picture1");
    auto* shown = qform.findControl("Picture1")->pictureWidget();
    const auto colour = [&] { return shown->image().pixelColor(10, 10); };

    // Rewritten in place within the same second with the same size: a file
    // written just now is read again on every load, never shown stale.
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    EXPECT_EQ(colour(), QColor(Qt::red));
    ASSERT_TRUE(save(Qt::blue, "frame.bmp"));
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    EXPECT_EQ(colour(), QColor(Qt::blue));
    EXPECT_EQ(toolkit.pictures().size(), 0u);

    // Settled files are kept, ready for the screen: the next load of an
    // unchanged file shares the same pixels instead of decoding them again.
    toolkit.pictures().setSettleTime(std::chrono::nanoseconds(-1'000'000'000'000));
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    const qint64 decoded = shown->image().cacheKey();
    EXPECT_EQ(shown->image().format(), QImage::Format_RGB32);
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    EXPECT_EQ(shown->image().cacheKey(), decoded);

    // The cached file rewritten in place two seconds later, same size.
    const auto written = std::filesystem::last_write_time(path("frame.bmp"));
    ASSERT_TRUE(save(Qt::yellow, "frame.bmp"));
    std::filesystem::last_write_time(path("frame.bmp"), written + std::chrono::seconds(2));
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    EXPECT_EQ(colour(), QColor(Qt::yellow));

    // A file replaced by another shows its new picture at the next load.
    ASSERT_TRUE(save(Qt::green, "next.bmp"));
    std::filesystem::rename(path("next.bmp"), path("frame.bmp"));
    ASSERT_TRUE(picture.loadPicture(path("frame.bmp")));
    EXPECT_EQ(colour(), QColor(Qt::green));

    // A vanished or broken file fails at once and the last picture stays.
    ASSERT_TRUE(QFile::remove(dir.filePath("frame.bmp")));
    for (const char* bad : {"frame.bmp", "missing.bmp", "text.bmp"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(picture.loadPicture(path(bad)));
        EXPECT_EQ(colour(), QColor(Qt::green));
    }
    EXPECT_FALSE(form->control("Label3").loadPicture(path("frame.bmp")));
}

// A dense screen shows NAME@2x when it is exactly twice NAME; anything else
// falls back to NAME, which alone decides whether there is a picture.
TEST(DensePictures, TwiceTheSizeOrTheFileAsNamed) {
    EXPECT_EQ(denseName(std::filesystem::path("/d/EarthMap_1.bmp")), "/d/EarthMap_1@2x.bmp");
    EXPECT_EQ(denseName(std::string_view("globe.ico")), "globe@2x.ico");
    skyroll::test::TempDir dir;
    const auto save = [&](const char* name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(QString::fromStdString((dir.path() / name).string()), "BMP"));
    };
    save("sharp.bmp", 4, 3);
    save("sharp@2x.bmp", 8, 6);
    save("plain.bmp", 4, 3);
    save("odd.bmp", 4, 3);
    save("odd@2x.bmp", 8, 7);
    save("broken.bmp", 4, 3);
    skyroll::test::writeFile(dir.path() / "broken@2x.bmp", "BM not a picture");
    save("lone@2x.bmp", 8, 6);

    PictureCaches caches;
    struct Row {
        const char* file;
        qreal ratio;
        QSize pixels;  // empty: no picture
        const char* shown;
    };
    const Row rows[] = {
        {"sharp.bmp", 2, {8, 6}, "sharp@2x.bmp"}, {"sharp.bmp", 1.5, {8, 6}, "sharp@2x.bmp"},
        {"sharp.bmp", 1.25, {4, 3}, "sharp.bmp"}, {"plain.bmp", 2, {4, 3}, "plain.bmp"},
        {"odd.bmp", 2, {4, 3}, "odd.bmp"},        {"broken.bmp", 2, {4, 3}, "broken.bmp"},
        {"lone.bmp", 2, {}, "lone.bmp"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " at " + std::to_string(row.ratio));
        std::string error;
        std::filesystem::path shown;
        const auto image = loadScreenPicture(caches, dir.path() / row.file, row.ratio, &error, &shown);
        EXPECT_EQ(shown.filename(), row.shown);
        if (row.pixels.isEmpty()) {
            EXPECT_FALSE(image);
            EXPECT_FALSE(error.empty());
            continue;
        }
        ASSERT_TRUE(image) << error;
        EXPECT_EQ(image->size(), row.pixels);
        EXPECT_EQ(image->deviceIndependentSize(), QSizeF(4, 3));
    }
}

// The headless platform judges the same files alike (HeadlessToolkitTest).
TEST_F(FormTest, FramesAreJudgedWholeBeforeQtDecodesThem) {
    skyroll::test::TempDir dir;
    platform::Control& picture = form->control("Picture1");
    auto* shown = qform.findControl("Picture1")->pictureWidget();
    for (const auto& c : skyroll::test::frameCases()) {
        SCOPED_TRACE(c.name);
        const auto file = dir.path() / (std::string(c.name) + ".bmp");
        skyroll::test::writeFile(file, c.bytes);
        ASSERT_EQ(picture.loadPicture(file), c.accepted);
        if (c.accepted) {
            EXPECT_EQ(shown->image().size(), QSize(c.width, c.height));
        }
    }
}

TEST_F(FormTest, MouseMovesReportButtonsAndTheControlsUnit) {
    form->show();
    mouse(widgetOf("Picture1"), QEvent::MouseMove, {10, 20}, Qt::NoButton, Qt::LeftButton);
    mouse(widgetOf("Picture1"), QEvent::MouseMove, {10, 20}, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    mouse(qform.widget(), QEvent::MouseMove, {179, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(events.log, (std::vector<std::string>{"move Picture1 1 0 150 300", "move Picture1 3 0 150 300",
                                                    "move  0 0 179 5"}));
}

TEST_F(FormTest, PressOnALabelOrImageDoesNotReachThePictureBelow) {
    form->show();
    for (const char* name : {"Label3", "Image1"}) {
        events.log.clear();
        QWidget* control = widgetOf(name);
        mouse(control, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
        mouse(control, QEvent::MouseMove, {8, 5}, Qt::NoButton, Qt::LeftButton);
        ASSERT_EQ(events.log.size(), 1u) << name;
        EXPECT_EQ(events.log[0].rfind(std::string("move ") + name + " 1 0", 0), 0u) << events.log[0];
    }
}

TEST_F(FormTest, WithoutATrayARightPressOnTheWindowIsTheTrayCallback) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a system tray is present";
    platform::TrayIconData data;
    data.hWnd = form->handle();
    data.uID = 1;
    data.uFlags = platform::NIF_MESSAGE | platform::NIF_TIP;
    data.uCallbackMessage = platform::WM_MOUSEMOVE;
    std::snprintf(data.szTip, sizeof data.szTip, "Skyroll Ver.2.0");
    toolkit.shellNotifyIcon(platform::NIM_ADD, data);
    form->show();
    mouse(widgetOf("Picture1"), QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(events.log, std::vector<std::string>{"move  0 0 516 0"});

    // Once the icon is gone, a right press is an ordinary press again.
    EXPECT_TRUE(toolkit.shellNotifyIcon(platform::NIM_DELETE, data));
    mouse(widgetOf("Picture1"), QEvent::MouseButtonPress, {50, 50}, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(events.log.size(), 1u);
}

TEST_F(FormTest, ShowingActivates) {
    form->show();
    for (int i = 0; i < 50 && events.count("activate") == 0; ++i)
        toolkit.runUntil(toolkit.monotonicSeconds() + 0.02);
    EXPECT_EQ(events.count("activate"), 1);
}

}  // namespace
}  // namespace skyroll::qt::test
