#pragma once
// The frame artist every toolkit shares: the drawing runs on a worker thread,
// the finished frames are published in the toolkit's picture caches under the
// folder of one of two sets, and the outcome is handed to the user-interface
// thread. What draws, in which caches and under which names the frames are
// kept, and how a call reaches the user-interface thread are the toolkit's.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/FrameArtist.h"
#include "platform/common/FileCache.h"

namespace skyroll::platform {

inline constexpr int kDrawnFrameCount = 44;

// The folder of drawn set 0 or 1. It names no place on disk: its pictures
// are found in the picture caches only.
std::filesystem::path drawnFramesFolder(int set);
// "EarthMap_N.bmp": the name frame n (1..44) loads by.
std::string drawnFrameName(int n);

// A picture of a drawn set as one of the artist's caches holds it, under a
// name within the set's folder.
struct FramePicture {
    std::size_t cache = 0;  // the first cache is the one the frames load from
    std::string name;
    std::shared_ptr<const void> value;
};

class FramePainter {
public:
    virtual ~FramePainter() = default;
    // On the worker thread, one call at a time: the 44 frames for the moment,
    // each in the first cache under drawnFrameName(n), and whatever else the
    // toolkit keeps beside them; none, with the reason in `failure`, when a
    // map is missing or damaged. The maps are decoded once and kept for the
    // next call.
    virtual std::vector<FramePicture> paint(const std::filesystem::path& dayMap,
                                            const std::filesystem::path& nightMap,
                                            std::int64_t unixSecondsUtc, std::string& failure) = 0;
    // On the user-interface thread while no call runs: frees the kept maps.
    virtual void forget() = 0;
};

class WorkerFrameArtist final : public FrameArtist {
public:
    // Queues a call to run on the user-interface thread from its event loop;
    // safe from any thread.
    using Poster = std::function<void(std::function<void()>)>;
    // Runs the drawing; null: on a thread of its own.
    using Launcher = std::function<void(std::function<void()>)>;
    // `caches`: where the painted pictures are published, the frames
    // themselves in the first. `clock`: the seconds since 1970 UTC; null: the
    // system's clock.
    WorkerFrameArtist(std::vector<FileCache*> caches, std::unique_ptr<FramePainter> painter, Poster post,
                      Launcher launch = {}, std::function<std::int64_t()> clock = {});
    ~WorkerFrameArtist() override;
    WorkerFrameArtist(const WorkerFrameArtist&) = delete;
    WorkerFrameArtist& operator=(const WorkerFrameArtist&) = delete;

    std::int64_t utcNow() const override;
    bool draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
              std::int64_t unixSecondsUtc, std::function<void(const DrawnFrames&)> done) override;
    void release() override;

private:
    struct Request {
        std::filesystem::path dayMap, nightMap;
        std::int64_t when = 0;
        std::function<void(const DrawnFrames&)> done;
    };
    void start(Request request);
    void finished(std::uint64_t generation, std::vector<FramePicture> pictures, const std::string& failure);
    void withdraw(int set);

    std::vector<FileCache*> m_caches;
    std::unique_ptr<FramePainter> m_painter;
    Poster m_post;
    Launcher m_launch;
    std::function<std::int64_t()> m_clock;
    std::thread m_worker;
    std::optional<Request> m_current;  // the draw under way, if still wanted
    std::optional<Request> m_pending;  // asked for while a forgotten draw ran
    bool m_busy = false;
    bool m_forgetMaps = false;
    std::uint64_t m_generation = 0;
    int m_nextSet = 0;
    // Calls posted to the user-interface thread hold this weakly, so one that
    // arrives after the artist has gone does nothing.
    std::shared_ptr<WorkerFrameArtist*> m_self = std::make_shared<WorkerFrameArtist*>(this);
};

}  // namespace skyroll::platform
