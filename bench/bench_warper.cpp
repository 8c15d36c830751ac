// warper on a 512 x 512 image: the warp dab at the largest block for 3, 4 and 5 planes,
// the maps a segment builds once, one pen sample's work at the largest brush, a long
// diagonal segment at the largest size, and the eraser's dab. The image's size does not enter any of them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "filters/warper/warp_core.h"
#include "filters/warper/warp_params.h"

namespace {

constexpr int kSide = 512;

struct Image {
    std::vector<uint8_t> in, out;
    WarpImage view{};
    explicit Image(int planes) {
        in.resize(size_t(kSide) * kSide * planes);
        std::mt19937 rng(42);
        for (auto& v : in) v = uint8_t(rng());
        out = in;
        view = WarpImage{in.data(), kSide * planes, planes, out.data(), kSide * planes, nullptr, 0,
                         planes, kSide, kSide, planes != 3};
    }
};

// A segment's work at the largest block (size 99 + 5), maps built for a rightward push.
struct Segment {
    WarpWork work{};
    explicit Segment(int s) {
        allocWarpWork(work, s);
        MeshGrid from, to;
        regularMesh(from, s);
        shiftedMesh(to, s, centreShift(s, 100, 0, 0, 1, 0));
        buildWarpMaps(work.maps, from, to);
    }
    ~Segment() { freeWarpWork(work); }
};

void warpDabLargest(benchmark::State& state) {
    Image img(int(state.range(0)));
    Segment seg(kWarpBlockMax);
    for (auto _ : state) warpDab(img.view, seg.work, kSide / 2, kSide / 2);
}
BENCHMARK(warpDabLargest)->Arg(3)->Arg(4)->Arg(5)->Unit(benchmark::kMicrosecond);

void segmentMaps(benchmark::State& state) {
    Segment seg(kWarpBlockMax);
    MeshGrid from, to;
    regularMesh(from, kWarpBlockMax);
    shiftedMesh(to, kWarpBlockMax, centreShift(kWarpBlockMax, 100, 0, 0, 3, 2));
    for (auto _ : state) {
        buildWarpMaps(seg.work.maps, from, to);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(segmentMaps)->Unit(benchmark::kMicrosecond);

// 400 pixels along the diagonal at size 99: buffers, maps and every dab of the walk.
void diagonalSegment(benchmark::State& state) {
    Image img(int(state.range(0)));
    const int16_t size = warpSampleSize(99);
    const TabletSample from{50, 50, size, 100, 600, 0};
    const TabletSample to{int16_t(50 + 283), int16_t(50 + 283), size, 100, 600, 0};
    for (auto _ : state) warpSegment(img.view, from, to);
}
BENCHMARK(diagonalSegment)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

// One pen sample at the largest brush and full distortion: the segment to a sample one
// walk step (104 / 4 = 26 pixels) away, that is the maps and two warp dabs, every plane.
// The samples alternate left and right so that the picture stays in range.
void sampleLargest(benchmark::State& state) {
    Image img(int(state.range(0)));
    const int16_t size = warpSampleSize(99);
    WarpStroke stroke{};
    warpStrokeStep(stroke, TabletSample{243, 256, size, 100, 900, 0}, img.view);
    int16_t x = 243;
    for (auto _ : state) {
        x = x == 243 ? 269 : 243;
        benchmark::DoNotOptimize(warpStrokeStep(stroke, TabletSample{x, 256, size, 100, 900, 0}, img.view));
    }
}
BENCHMARK(sampleLargest)->Arg(3)->Arg(4)->Arg(5)->Unit(benchmark::kMicrosecond);

void restoreDabLargest(benchmark::State& state) {
    Image img(int(state.range(0)));
    for (auto _ : state) restoreDab(img.view, kSide / 2, kSide / 2, kWarpBlockMax, 40);
}
BENCHMARK(restoreDabLargest)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
