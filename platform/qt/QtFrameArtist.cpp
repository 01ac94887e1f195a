// The one place of the Qt build that speaks to the globe drawing library.

#include "platform/qt/QtFrameArtist.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "globe/DayNightArtist.h"
#include "platform/common/KeptDayNightArtist.h"
#include "platform/common/WorkerFrameArtist.h"
#include "platform/qt/ImageFile.h"
#include "platform/qt/Logging.h"
#include "platform/qt/QtToolkit.h"

namespace skyroll::qt {
namespace {

std::optional<globe::Image> readMap(const std::filesystem::path& file, std::string& failure) {
    QString why;
    const auto image = readImageFile(file, &why);
    if (!image) {
        failure = file.filename().string() + ": " + why.toStdString();
        return std::nullopt;
    }
    const QImage argb = image->convertToFormat(QImage::Format_ARGB32);
    globe::Image map;
    map.width = argb.width();
    map.height = argb.height();
    map.argb.resize(std::size_t(map.width) * std::size_t(map.height));
    for (int y = 0; y < map.height; ++y)
        std::memcpy(map.argb.data() + std::size_t(y) * std::size_t(map.width), argb.constScanLine(y),
                    std::size_t(map.width) * 4);
    return map;
}

// The caches of the toolkit's PictureCaches the frames go in, in the order
// the worker artist is given them.
enum Shelf : std::size_t { kPictures, kSizes, kDense };

QImage screenImage(const globe::Image& drawn) {
    // Opaque rows in the window back buffer's own format: shown by a plain copy.
    QImage image(drawn.width, drawn.height, QImage::Format_RGB32);
    for (int y = 0; y < drawn.height; ++y)
        std::memcpy(image.scanLine(y), drawn.argb.data() + std::size_t(y) * std::size_t(drawn.width),
                    std::size_t(drawn.width) * 4);
    return image;
}

// Each pixel the mean of the square of four it covers.
QImage halved(const QImage& dense) {
    QImage image(dense.width() / 2, dense.height() / 2, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto* top = reinterpret_cast<const QRgb*>(dense.constScanLine(2 * y));
        const auto* bottom = reinterpret_cast<const QRgb*>(dense.constScanLine(2 * y + 1));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
            const auto mean = [&](int (*channel)(QRgb)) {
                return (channel(a) + channel(b) + channel(c) + channel(d) + 2) / 4;
            };
            out[x] = qRgb(mean(qRed), mean(qGreen), mean(qBlue));
        }
    }
    return image;
}

class QtPainter final : public platform::FramePainter {
public:
    // The ratio the next draw is made at (1 or 2); set on the user-interface
    // thread before the draw starts.
    void setRatio(int ratio) { m_nextRatio = ratio; }

    std::vector<platform::FramePicture> paint(const std::filesystem::path& dayMap,
                                              const std::filesystem::path& nightMap,
                                              std::int64_t unixSecondsUtc, std::string& failure) override {
        const int ratio = m_nextRatio;
        const globe::DayNightArtist* artist = m_kept.get(dayMap, nightMap, ratio, failure);
        if (!artist) return {};
        std::vector<platform::FramePicture> pictures;
        for (int n = 1; n <= platform::kDrawnFrameCount; ++n) {
            const std::string name = platform::drawnFrameName(n);
            QImage frame = screenImage(artist->frame(n, unixSecondsUtc));
            if (ratio == 2) {
                // On a dense screen the loader shows NAME@2x when it is twice
                // the size of NAME, which it reads for that size.
                QImage small = halved(frame);
                frame.setDevicePixelRatio(2);
                pictures.push_back({kDense, denseName(std::string_view(name)),
                                    std::make_shared<const QImage>(std::move(frame))});
                frame = std::move(small);
            }
            pictures.push_back({kSizes, name, std::make_shared<const QSize>(frame.size())});
            pictures.push_back({kPictures, name, std::make_shared<const QImage>(std::move(frame))});
        }
        return pictures;
    }
    void forget() override { m_kept.forget(); }

private:
    std::atomic<int> m_nextRatio = 1;
    platform::KeptDayNightArtist m_kept{&readMap};
};

class QtFrameArtist final : public platform::FrameArtist {
public:
    QtFrameArtist(QtToolkit& toolkit, std::function<qreal()> screenRatio)
        : m_screenRatio(std::move(screenRatio)),
          m_painter(new QtPainter),
          m_artist({&toolkit.pictureCaches().pictures, &toolkit.pictureCaches().sizes,
                    &toolkit.pictureCaches().dense},
                   std::unique_ptr<QtPainter>(m_painter), [this, &toolkit](std::function<void()> call) {
                       // Queued to the user-interface thread; dropped if the artist has gone.
                       QMetaObject::invokeMethod(
                           &m_context, [&toolkit, call = std::move(call)] { toolkit.dispatch(call); },
                           Qt::QueuedConnection);
                   }) {}

    std::int64_t utcNow() const override { return m_artist.utcNow(); }
    bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
              std::int64_t unixSecondsUtc, std::function<void(const platform::DrawnFrames&)> done) override {
        // One draw at a time, as the worker artist has it; a refused one
        // must not change the ratio of the draw under way before its worker
        // has read it.
        if (m_drawing) return false;
        // Drawn for the densest screen, as the pictures are chosen. A draw
        // that follows a forgotten one still running is made at this ratio.
        const int ratio = m_screenRatio() >= kDenseScreenRatio ? 2 : 1;
        m_painter->setRatio(ratio);
        QElapsedTimer clock;
        clock.start();
        m_drawing = m_artist.draw(
            dayMap, nightMap, unixSecondsUtc,
            [this, ratio, clock, done = std::move(done)](const platform::DrawnFrames& drawn) {
                m_drawing = false;
                if (drawn.failure.empty())
                    qCDebug(lcFrames).noquote()
                        << "drawn"
                        << QFile::decodeName(QByteArray::fromStdString(drawn.folder.generic_string()))
                        << "ratio" << ratio << "in" << clock.elapsed() << "ms";
                done(drawn);
            });
        return m_drawing;
    }
    void release() override {
        m_drawing = false;
        m_artist.release();
    }

private:
    QObject m_context;  // outlives the worker, which the artist joins first
    std::function<qreal()> m_screenRatio;
    QtPainter* m_painter;    // the worker artist's
    bool m_drawing = false;  // a draw is under way whose outcome is still wanted
    platform::WorkerFrameArtist m_artist;
};

}  // namespace

std::unique_ptr<platform::FrameArtist> makeFrameArtist(QtToolkit& toolkit,
                                                       std::function<qreal()> screenRatio) {
    if (!screenRatio) screenRatio = [] { return qApp->devicePixelRatio(); };
    return std::make_unique<QtFrameArtist>(toolkit, std::move(screenRatio));
}

}  // namespace skyroll::qt
