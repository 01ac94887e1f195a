#pragma once
// Globe frames drawn by the program itself: the Earth by day and by night for
// a moment, in the 44 positions of a turn. Drawing runs off the user-interface
// thread; its outcome arrives on that thread through the event loop.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace skyroll::platform {

struct DrawnFrames {
    // The folder under which EarthMap_1.bmp .. EarthMap_44.bmp now load with
    // Control::loadPicture (the frames live in memory, not on disk); empty on
    // failure.
    std::filesystem::path folder;
    // Why nothing was drawn (a map missing or damaged); empty on success.
    std::string failure;
};

class FrameArtist {
public:
    virtual ~FrameArtist() = default;

    // Seconds since 1970-01-01 00:00 UTC, by the clock the artist draws for.
    virtual std::int64_t utcNow() const = 0;

    // Starts drawing the frames for `unixSecondsUtc` from the day and night
    // maps (2:1 pictures of the whole Earth) and returns at once; `done` runs
    // later on the user-interface thread from the event loop. Two sets take
    // turns: a draw fills the set not reported last, so the frames of the
    // last report stay loadable until the next one. One draw runs at a time:
    // asked while one is under way, it returns false and `done` never runs.
    virtual bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
                      std::int64_t unixSecondsUtc, std::function<void(const DrawnFrames&)> done) = 0;

    // Frees both sets and forgets the draw under way, whose `done` never
    // runs; the maps' decoded pictures go too.
    virtual void release() = 0;
};

}  // namespace skyroll::platform
