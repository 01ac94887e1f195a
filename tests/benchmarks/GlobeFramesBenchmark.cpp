// The 44 globe frames drawn with day and night for one moment, at pixel ratio
// 1 and 2, from maps of the size of xplanet-images' day and night maps
// (2048 x 1024); and the artist's one-time preparation of the maps.

#include <benchmark/benchmark.h>

#include "globe/DayNightArtist.h"

namespace skyroll::globe {
namespace {

// Maps with some texture, so the look-ups are not all of one cache line.
Image map(std::uint32_t seed) {
    Image image{2048, 1024, std::vector<std::uint32_t>(2048 * 1024)};
    std::uint32_t state = seed;
    for (std::uint32_t& texel : image.argb) {
        state = state * 1664525u + 1013904223u;
        texel = 0xFF000000u | (state >> 8);
    }
    return image;
}

const Image& dayMap() {
    static const Image image = map(1);
    return image;
}
const Image& nightMap() {
    static const Image image = map(2);
    return image;
}

constexpr std::int64_t kMoment = 1782043200;  // 2026-06-21 12:00 UTC

void BM_FortyFourFrames(benchmark::State& state) {
    const DayNightArtist artist(dayMap(), nightMap(), static_cast<int>(state.range(0)));
    for (auto _ : state)
        for (int n = 1; n <= kFrameCount; ++n) benchmark::DoNotOptimize(artist.frame(n, kMoment));
    state.SetItemsProcessed(state.iterations() * kFrameCount);
}

void BM_PrepareArtist(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(DayNightArtist(dayMap(), nightMap(), static_cast<int>(state.range(0))));
}

BENCHMARK(BM_FortyFourFrames)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareArtist)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace skyroll::globe

BENCHMARK_MAIN();
