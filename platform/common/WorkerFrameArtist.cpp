#include "platform/common/WorkerFrameArtist.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace skyroll::platform {

std::filesystem::path drawnFramesFolder(int set) {
    // A relative name with a colon: no folder of that name is ever made, and
    // on Windows it is no valid path at all.
    return std::filesystem::path("skyroll-memory:") / ("drawn-" + std::to_string(set + 1));
}

std::string drawnFrameName(int n) { return "EarthMap_" + std::to_string(n) + ".bmp"; }

WorkerFrameArtist::WorkerFrameArtist(std::vector<FileCache*> caches, std::unique_ptr<FramePainter> painter,
                                     Poster post, Launcher launch, std::function<std::int64_t()> clock)
    : m_caches(std::move(caches)),
      m_painter(std::move(painter)),
      m_post(std::move(post)),
      m_launch(std::move(launch)),
      m_clock(std::move(clock)) {}

WorkerFrameArtist::~WorkerFrameArtist() {
    if (m_worker.joinable()) m_worker.join();
    for (int set = 0; set < 2; ++set) withdraw(set);
}

void WorkerFrameArtist::withdraw(int set) {
    for (FileCache* cache : m_caches) cache->withdraw(drawnFramesFolder(set));
}

std::int64_t WorkerFrameArtist::utcNow() const {
    if (m_clock) return m_clock();
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

bool WorkerFrameArtist::draw(const std::filesystem::path& dayMap, const std::filesystem::path& nightMap,
                             std::int64_t unixSecondsUtc, std::function<void(const DrawnFrames&)> done) {
    if (m_current) return false;
    Request request{dayMap, nightMap, unixSecondsUtc, std::move(done)};
    m_forgetMaps = false;
    if (m_busy) {
        // A forgotten draw still runs: this one follows it.
        m_pending = std::move(request);
        return true;
    }
    start(std::move(request));
    return true;
}

void WorkerFrameArtist::start(Request request) {
    if (m_worker.joinable()) m_worker.join();  // finished: its outcome has arrived
    m_busy = true;
    const std::uint64_t generation = ++m_generation;
    std::filesystem::path day = request.dayMap, night = request.nightMap;
    const std::int64_t when = request.when;
    m_current = std::move(request);
    auto work = [this, generation, day = std::move(day), night = std::move(night), when,
                 self = std::weak_ptr<WorkerFrameArtist*>(m_self)] {
        std::string failure;
        std::vector<FramePicture> pictures;
        try {
            pictures = m_painter->paint(day, night, when, failure);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        const auto frames = std::count_if(pictures.begin(), pictures.end(),
                                          [](const FramePicture& p) { return p.cache == 0; });
        const bool shelved = std::all_of(pictures.begin(), pictures.end(),
                                         [this](const FramePicture& p) { return p.cache < m_caches.size(); });
        if (failure.empty() && (frames != kDrawnFrameCount || !shelved))
            failure = "the drawing gave no whole turn";
        m_post([self, generation, pictures = std::move(pictures), failure = std::move(failure)]() mutable {
            if (const auto alive = self.lock()) (*alive)->finished(generation, std::move(pictures), failure);
        });
    };
    if (m_launch)
        m_launch(std::move(work));
    else
        m_worker = std::thread(std::move(work));
}

void WorkerFrameArtist::finished(std::uint64_t generation, std::vector<FramePicture> pictures,
                                 const std::string& failure) {
    m_busy = false;
    if (m_worker.joinable()) m_worker.join();
    if (generation != m_generation || !m_current) {
        // Forgotten by release(): what was asked meanwhile starts now.
        if (m_pending) {
            Request next = std::move(*m_pending);
            m_pending.reset();
            start(std::move(next));
        } else if (m_forgetMaps) {
            m_painter->forget();
            m_forgetMaps = false;
        }
        return;
    }
    Request request = std::move(*m_current);
    m_current.reset();
    DrawnFrames outcome;
    if (!failure.empty()) {
        outcome.failure = failure;
    } else {
        const std::filesystem::path folder = drawnFramesFolder(m_nextSet);
        withdraw(m_nextSet);
        for (FramePicture& picture : pictures)
            m_caches[picture.cache]->publish(folder / picture.name, std::move(picture.value));
        outcome.folder = folder;
        m_nextSet = 1 - m_nextSet;
    }
    request.done(outcome);
}

void WorkerFrameArtist::release() {
    ++m_generation;
    m_current.reset();
    m_pending.reset();
    for (int set = 0; set < 2; ++set) withdraw(set);
    m_nextSet = 0;
    if (m_busy)
        m_forgetMaps = true;
    else
        m_painter->forget();
}

}  // namespace skyroll::platform
