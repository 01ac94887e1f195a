// The one place of the Qt build that speaks to the globe drawing library.

#include "platform/qt/QtFrameArtist.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <cstring>
#include <optional>
#include <stdexcept>

#include "platform/common/StandInDayNightArtist.h"
#include "platform/common/WorkerFrameArtist.h"
#include "platform/qt/ImageFile.h"
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

class QtPainter final : public platform::FramePainter {
public:
    std::vector<std::shared_ptr<const void>> paint(const std::filesystem::path& dayMap,
                                                   const std::filesystem::path& nightMap,
                                                   std::int64_t unixSecondsUtc,
                                                   std::string& failure) override {
        if (!m_artist || dayMap != m_dayMap || nightMap != m_nightMap) {
            m_artist.reset();
            const auto day = readMap(dayMap, failure);
            if (!day) return {};
            const auto night = readMap(nightMap, failure);
            if (!night) return {};
            try {
                m_artist.emplace(*day, *night, 1);
            } catch (const std::invalid_argument& e) {
                failure = e.what();
                return {};
            }
            m_dayMap = dayMap;
            m_nightMap = nightMap;
        }
        std::vector<std::shared_ptr<const void>> frames;
        for (int n = 1; n <= platform::kDrawnFrameCount; ++n) {
            const globe::Image drawn = m_artist->frame(n, unixSecondsUtc);
            // Opaque rows in the window back buffer's own format: shown by a plain copy.
            QImage frame(drawn.width, drawn.height, QImage::Format_RGB32);
            for (int y = 0; y < drawn.height; ++y)
                std::memcpy(frame.scanLine(y), drawn.argb.data() + std::size_t(y) * std::size_t(drawn.width),
                            std::size_t(drawn.width) * 4);
            frames.push_back(std::make_shared<const QImage>(std::move(frame)));
        }
        return frames;
    }
    void forget() override { m_artist.reset(); }

private:
    std::optional<globe::DayNightArtist> m_artist;
    std::filesystem::path m_dayMap, m_nightMap;
};

class QtFrameArtist final : public platform::FrameArtist {
public:
    explicit QtFrameArtist(QtToolkit& toolkit)
        : m_artist(toolkit.pictures(), std::make_unique<QtPainter>(),
                   [this, &toolkit](std::function<void()> call) {
                       // Queued to the user-interface thread; dropped if the artist has gone.
                       QMetaObject::invokeMethod(
                           &m_context, [&toolkit, call = std::move(call)] { toolkit.dispatch(call); },
                           Qt::QueuedConnection);
                   }) {}

    std::int64_t utcNow() const override { return m_artist.utcNow(); }
    bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
              std::int64_t unixSecondsUtc, std::function<void(const platform::DrawnFrames&)> done) override {
        return m_artist.draw(dayMap, nightMap, unixSecondsUtc, std::move(done));
    }
    void release() override { m_artist.release(); }

private:
    QObject m_context;  // outlives the worker, which the artist joins first
    platform::WorkerFrameArtist m_artist;
};

}  // namespace

std::unique_ptr<platform::FrameArtist> makeFrameArtist(QtToolkit& toolkit) {
    return std::make_unique<QtFrameArtist>(toolkit);
}

}  // namespace skyroll::qt
