#include "platform/headless/HeadlessFrameArtist.h"

#include <utility>

namespace skyroll::headless {
namespace {

constexpr int kFrameWidth = 180, kFrameHeight = 183;

// Reads each map once (BMP decoded, JPEG checked) and gives one plain picture
// for every frame of a turn.
class HeadlessPainter final : public platform::FramePainter {
public:
    std::vector<platform::FramePicture> paint(const std::filesystem::path& dayMap,
                                              const std::filesystem::path& nightMap, std::int64_t,
                                              std::string& failure) override {
        if (!load(dayMap, m_day, failure) || !load(nightMap, m_night, failure)) return {};
        auto frame = std::make_shared<platform::Picture>();
        frame->width = kFrameWidth;
        frame->height = kFrameHeight;
        frame->pixels.assign(std::size_t{kFrameWidth} * kFrameHeight, 0);
        std::vector<platform::FramePicture> frames;
        for (int n = 1; n <= platform::kDrawnFrameCount; ++n)
            frames.push_back({0, platform::drawnFrameName(n), frame});
        return frames;
    }
    void forget() override {
        m_day.reset();
        m_night.reset();
    }

private:
    static bool load(const std::filesystem::path& file, std::optional<platform::Picture>& kept,
                     std::string& failure) {
        if (kept) return true;
        std::string why;
        kept = platform::readPictureFile(file, &why);
        if (!kept) failure = file.filename().string() + ": " + why;
        return kept.has_value();
    }
    std::optional<platform::Picture> m_day, m_night;
};

}  // namespace

HeadlessFrameArtist::HeadlessFrameArtist(HeadlessToolkit& toolkit, double delaySeconds,
                                         std::int64_t utcAtStart)
    : m_toolkit(toolkit),
      m_artist(
          {&toolkit.pictures().files()}, std::make_unique<HeadlessPainter>(),
          [&toolkit, delaySeconds](std::function<void()> call) {
              toolkit.post(toolkit.now() + delaySeconds,
                           [&toolkit, call = std::move(call)] { toolkit.dispatch(call); });
          },
          [](std::function<void()> work) { work(); },
          [&toolkit, utcAtStart] { return utcAtStart + static_cast<std::int64_t>(toolkit.now()); }) {}

bool HeadlessFrameArtist::draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
                               std::int64_t unixSecondsUtc,
                               std::function<void(const platform::DrawnFrames&)> done) {
    const bool started = m_artist.draw(
        dayMap, nightMap, unixSecondsUtc,
        [this, done = std::move(done)](const platform::DrawnFrames& outcome) {
            m_toolkit.record("artist", outcome.failure.empty() ? "drawn" : "failed",
                             outcome.failure.empty() ? outcome.folder.generic_string() : outcome.failure);
            done(outcome);
        });
    if (started) {
        ++m_draws;
        m_toolkit.record("artist", "draw", std::to_string(unixSecondsUtc));
    }
    return started;
}

void HeadlessFrameArtist::release() {
    m_artist.release();
    m_toolkit.record("artist", "release", "");
}

}  // namespace skyroll::headless
