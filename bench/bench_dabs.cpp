// Dab operations of spotclean and dustclean on a 512 x 512 RGB image: the disc at the
// samples, the line across the motion at each step, the eraser, and a typical stroke
// segment walked as the stroke layer does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "filters/spotclean/dust_params.h"
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

void spotCap(benchmark::State& state) {
    Effect e(kSpotcleanModule);
    gSpotParams.buildup = 0;  // each run filters the same pixels
    const Dab d = dabAt(int(state.range(0)), 2 * int(state.range(1)) + 1, 1000, false);
    for (auto _ : state) e.hooks.capDab(d);
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
    for (auto _ : state) e.hooks.capDab(d);
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

void segment(benchmark::State& state, const ModuleInfo& module, SpanRule rule, int amount) {
    Effect e(module);
    gSpotParams.buildup = 1;
    gDustParams.buildup = 0;
    gStep = e.hooks.stepDab;
    const TabletSample from{200, 200, 25, int16_t(amount), 800, 0};
    const TabletSample to{240, 215, 25, int16_t(amount), 800, 0};
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

}  // namespace

BENCHMARK_MAIN();
