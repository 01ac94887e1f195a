#pragma once
// The frame artist of the headless platform: it checks the maps as the
// desktop builds do, and a draw completes as an event a fixed virtual delay
// later, so that a scenario sees the same timeline every run. The frames are
// plain pictures in the toolkit's picture cache; every draw and outcome is
// recorded (subject "artist").

#include <cstdint>
#include <memory>

#include "platform/common/WorkerFrameArtist.h"
#include "platform/headless/HeadlessToolkit.h"

namespace skyroll::headless {

class HeadlessFrameArtist final : public platform::FrameArtist {
public:
    // `utcAtStart`: the UTC moment at virtual time 0.
    explicit HeadlessFrameArtist(HeadlessToolkit& toolkit, double delaySeconds = 2.0,
                                 std::int64_t utcAtStart = 1'790'000'000);

    std::int64_t utcNow() const override { return m_artist.utcNow(); }
    bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
              std::int64_t unixSecondsUtc, std::function<void(const platform::DrawnFrames&)> done) override;
    void release() override;

    // How many draws have started.
    int draws() const { return m_draws; }

private:
    HeadlessToolkit& m_toolkit;
    platform::WorkerFrameArtist m_artist;
    int m_draws = 0;
};

}  // namespace skyroll::headless
