// Dab operations of spotclean and dustclean on a 512 x 512 RGB image: the disc at the
// samples, the line across the motion at each step, the eraser, and a typical stroke
// segment walked as the stroke layer does; a whole sample at the largest brush and the
// strongest setting; and OpenCV's medianBlur at k = 31 on the same image as the yardstick
// for the cost per pixel (where OpenCV's image processing is installed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

#ifdef KX_BENCH_OPENCV
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#endif

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/median_scan.h"
#include "filters/spotclean/speck_core.h"
#include "filters/spotclean/spot_params.h"
#include "framework/brush/stroke.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/device.h"

namespace {

constexpr int kSide = 512;

struct Image {
    std::vector<uint8_t> in, out;
    FilterRecord record{};
    Image() {
        in.resize(size_t(kSide) * kSide * 3);
        std::mt19937 rng(42);
        for (auto& v : in) v = uint8_t(rng());
        out = in;
        record.planes = 3;
        record.imageMode = plugInModeRGBColor;
        record.filterRect = {0, 0, kSide, kSide};
        record.inRect = record.outRect = record.filterRect;
        record.inHiPlane = record.outHiPlane = 2;
        record.inRowBytes = record.outRowBytes = kSide * 3;
        record.inData = in.data();
        record.outData = out.data();
    }
};

Image& image() {
    static Image img;
    return img;
}

// Sets up `module`'s work blocks over the shared image; the parameters as arguments.
struct Effect {
    const EffectHooks& hooks;
    explicit Effect(const ModuleInfo& module) : hooks(*module.hooks) {
        gPlugin.record = &image().record;
        hooks.setDefaults();
        hooks.initBuffers();
        gDevice.pressureMax = 1023;
    }
    ~Effect() { hooks.freeBuffers(); }
};

Dab dabAt(int size, int amount, uint16_t pressure, bool eraser) {
    return Dab{kSide / 2, kSide / 2, int16_t(size), int16_t(amount), pressure, uint8_t(eraser)};
}

// Arguments: brush size, amount (spotclean: the side k = 2 * amount + 1; eraser: the
// fifteenths) or radius (dustclean).
void sizesAndStrengths(benchmark::internal::Benchmark* b, int maxStrength) {
    for (int size : {1, 25, 99})
        for (int strength : {1, maxStrength}) b->Args({size, strength});
}
void spotArgs(benchmark::internal::Benchmark* b) { sizesAndStrengths(b, 15); }
void dustArgs(benchmark::internal::Benchmark* b) { sizesAndStrengths(b, 16); }

// This thread's processor time in seconds: the machine may be shared, and Google
// Benchmark's CPU column is what the figures here are compared with.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// OpenCV's medianBlur per pixel at k = 31 on the shared image, set by the first case of
// the run (registered first); 0 without OpenCV.
double gOpenCvPerPixel = 0;

#ifdef KX_BENCH_OPENCV
void opencvMedianBlur31(benchmark::State& state) {
    cv::setNumThreads(1);
    const cv::Mat src(kSide, kSide, CV_8UC3, image().in.data());
    cv::Mat dst;
    const double t0 = cpuSeconds();
    for (auto _ : state) {
        cv::medianBlur(src, dst, 31);
        benchmark::DoNotOptimize(dst.data);
    }
    const double perPixel = (cpuSeconds() - t0) / double(state.iterations()) / (double(kSide) * kSide);
    gOpenCvPerPixel = perPixel;
    state.counters["ns_per_px"] = perPixel * 1e9;
}
BENCHMARK(opencvMedianBlur31)->Unit(benchmark::kMillisecond);
#endif

// The pixels a cap processes (rows the disc visits twice count twice), clipped to the image.
void countSpan(void* context, int y, int x0, int x1) {
    if (y < 0 || y >= kSide) return;
    *static_cast<long*>(context) += std::max(0, std::min(x1, kSide - 1) - std::max(x0, 0) + 1);
}
long capPixels(const Dab& d) {
    long pixels = 0;
    walkCapDisc(d.x, d.y, d.size, countSpan, &pixels);
    return pixels;
}

// Times `capDab(d)` and adds its cost per pixel, and that cost over OpenCV's.
void timeCap(benchmark::State& state, const EffectHooks& hooks, const Dab& d) {
    const double t0 = cpuSeconds();
    for (auto _ : state) hooks.capDab(d);
    const double perPixel = (cpuSeconds() - t0) / double(state.iterations()) / double(capPixels(d));
    state.counters["ns_per_px"] = perPixel * 1e9;
    if (gOpenCvPerPixel > 0) state.counters["x_opencv"] = perPixel / gOpenCvPerPixel;
}

void spotCap(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    gSpotParams.buildup = 0;  // each run filters the same pixels
    const Dab d = dabAt(int(state.range(0)), 2 * int(state.range(1)) + 1, 1000, false);
    timeCap(state, e.hooks, d);
}
void spotStep(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    gSpotParams.buildup = 0;
    const Dab d = dabAt(int(state.range(0)), 2 * int(state.range(1)) + 1, 1000, false);
    for (auto _ : state) e.hooks.stepDab(d, kSpanRow, d.size);
}
void spotRestore(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    const Dab d = dabAt(int(state.range(0)), int(state.range(1)), 1000, true);
    for (auto _ : state) e.hooks.restoreDab(d, kSpanRow, d.size);
}
void dustCap(benchmark::State& state) {
    Effect e(kDustcleanModule);
    gDustParams.radius = int16_t(state.range(1));
    gDustParams.level = 50;
    const Dab d = dabAt(int(state.range(0)), 0, 1000, false);
    timeCap(state, e.hooks, d);
}
void dustStep(benchmark::State& state) {
    Effect e(kDustcleanModule);
    gDustParams.radius = int16_t(state.range(1));
    const Dab d = dabAt(int(state.range(0)), 0, 1000, false);
    for (auto _ : state) e.hooks.stepDab(d, kSpanRow, d.size);
}
void dustRestore(benchmark::State& state) {
    Effect e(kDustcleanModule);
    // Pressure scales the blend, not the work: the argument is the radius, unused here.
    const Dab d = dabAt(int(state.range(0)), 0, 600, true);
    for (auto _ : state) e.hooks.restoreDab(d, kSpanRow, d.size);
}

BENCHMARK(spotCap)->Apply(spotArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(spotStep)->Apply(spotArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(spotRestore)->Apply(spotArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustCap)->Apply(dustArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustStep)->Apply(dustArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustRestore)->Args({1, 0})->Args({25, 0})->Args({99, 0})->Unit(benchmark::kMicrosecond);

// A 40-pixel diagonal-ish segment at the default settings (size 25; spotclean amount 2,
// so k = 5; dustclean radius 2), then the cap at its end: what one pen sample costs.
// The counters give the time per dab (one step) and per sample (the whole segment).
int gDabs = 0;
DabOperation gStep = nullptr;
void countingStep(const Dab& d, int direction, int spanLength) {
    ++gDabs;
    gStep(d, direction, spanLength);
}

void segment(benchmark::State& state, const ModuleInfo& module, SpanRule rule, int amount,
             int size = 25, int spotBuildup = 1, int dustBuildup = 0, int dustRadius = 2) {
    Effect e(module);
    gSpotParams.buildup = uint8_t(spotBuildup);
    gDustParams.buildup = uint8_t(dustBuildup);
    gDustParams.radius = int16_t(dustRadius);
    gStep = e.hooks.stepDab;
    const TabletSample from{200, 200, int16_t(size), int16_t(amount), 800, 0};
    const TabletSample to{240, 215, int16_t(size), int16_t(amount), 800, 0};
    gDabs = 0;
    for (auto _ : state) {
        walkSegment(countingStep, from, to, kSide, kSide, rule);
        e.hooks.capDab(to);
    }
    state.counters["dabs/sample"] = double(gDabs) / double(state.iterations());
    // Inverted rates: seconds per dab (the segment's time, cap included, over its steps)
    // and per sample, printed with SI prefixes (u = microseconds).
    const auto perOne = benchmark::Counter::kIsRate | benchmark::Counter::kInvert;
    state.counters["per_dab"] = benchmark::Counter(double(gDabs), perOne);
    state.counters["per_sample"] = benchmark::Counter(double(state.iterations()), perOne);
}
void spotSegment(benchmark::State& state) {
    segment(state, kSpotcleanModule, SpanRule::truncateAfterDoubling, 5);
}
void dustSegment(benchmark::State& state) {  // default radius 2
    segment(state, kDustcleanModule, SpanRule::truncateBeforeDoubling, 0);
}
BENCHMARK(spotSegment)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustSegment)->Unit(benchmark::kMicrosecond);

// The same segment at the largest brush (size 99) and the strongest setting (spotclean
// amount 15: k = 31; dustclean radius 16: k = 33), with buildup off and on (argument).
// The pen delivers a sample about every 10 ms; one sample's work should stay within 2 ms.
void spotSampleStrongest(benchmark::State& state) {
    segment(state, kSpotcleanModule, SpanRule::truncateAfterDoubling, 31, 99, int(state.range(0)));
}
void dustSampleStrongest(benchmark::State& state) {
    segment(state, kDustcleanModule, SpanRule::truncateBeforeDoubling, 0, 99, 1, int(state.range(0)), 16);
}
BENCHMARK(spotSampleStrongest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustSampleStrongest)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The largest caps with buildup on: every pixel written is read again by the next ones.
void spotCapBuildup(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    gSpotParams.buildup = 1;
    timeCap(state, e.hooks, dabAt(99, 31, 1000, false));
}
void dustCapBuildup(benchmark::State& state) {
    Effect e(kDustcleanModule);
    gDustParams.buildup = 1;
    gDustParams.radius = 16;
    gDustParams.level = 50;
    timeCap(state, e.hooks, dabAt(99, 0, 1000, false));
}
BENCHMARK(spotCapBuildup)->Unit(benchmark::kMicrosecond);
BENCHMARK(dustCapBuildup)->Unit(benchmark::kMicrosecond);

// Where the histograms start to pay: spotclean's cap and row step at small sides k and
// several sizes, on each path (0 the reference, 1 the histograms).
void spotSmallSides(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    gSpotParams.buildup = 0;
    gMedianPath = state.range(3) ? MedianPath::histogram : MedianPath::reference;
    const bool cap = state.range(0) == 0;
    const Dab d = dabAt(int(state.range(1)), int(state.range(2)), 1000, false);
    for (auto _ : state) {
        if (cap) e.hooks.capDab(d);
        else e.hooks.stepDab(d, kSpanRow, d.size);
    }
    gMedianPath = MedianPath::automatic;
}
BENCHMARK(spotSmallSides)
    ->ArgsProduct({{0, 1}, {3, 9, 25, 49, 99}, {3, 5, 7}, {0, 1}})
    ->ArgNames({"step", "size", "k", "histograms"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
#ifndef KX_BENCH_OPENCV
    std::printf("bench_dabs: built without OpenCV (no libopencv-imgproc-dev): no medianBlur "
                "yardstick, no x_opencv ratios\n");
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
