// grainwash: generator throughput, the size-99 disc in each noise mode, the outline sweep
// and a typical sample (target: at most 2 ms a sample at size 99).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "filters/grainwash/grain_core.h"
#include "filters/grainwash/grain_shapes.h"

namespace {

struct BenchImage {
    static constexpr int kSide = 512, kPlanes = 4;
    std::vector<uint8_t> source, result;
    GrainImage view{};
    BenchImage() : source(size_t(kSide) * kSide * kPlanes), result(source.size()) {
        for (size_t i = 0; i < source.size(); ++i) source[i] = uint8_t(i * 7 + i / 2048);
        result = source;
        view = GrainImage{source.data(), kSide * kPlanes, result.data(), kSide * kPlanes,
                          nullptr, 0, kPlanes, kSide, kSide, false};
    }
};

void BM_GeneratorUniform(benchmark::State& state) {
    GrainRandom random{};
    for (auto _ : state) benchmark::DoNotOptimize(grainUniform(random));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GeneratorUniform);

void BM_GeneratorGaussian(benchmark::State& state) {
    GrainRandom random{};
    for (auto _ : state) benchmark::DoNotOptimize(grainGaussian(random));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GeneratorGaussian);

// Arguments: uniform, monochrome.
void BM_Disc99(benchmark::State& state) {
    BenchImage image;
    GrainRandom random{};
    GrainPaint paint{99, state.range(0) != 0, state.range(1) != 0, false, false, 1.0f};
    for (auto _ : state) {
        walkGrainDisc(256, 256, 99, [&](int x, int y) { grainPixel(image.view, paint, random, x, y); });
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Disc99)
    ->ArgNames({"uniform", "mono"})
    ->Args({1, 0})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({0, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_OutlineSweepDiagonal200(benchmark::State& state) {
    BenchImage image;
    GrainRandom random{};
    GrainPaint paint{99, false, false, false, false, 1.0f};
    for (auto _ : state) {
        walkGrainLine(100, 100, 300, 300, [&](int lx, int ly) {
            walkGrainOutline(lx, ly, 99, [&](int x, int y) {
                grainPixel(image.view, paint, random, x, y);
            });
        });
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_OutlineSweepDiagonal200)->Unit(benchmark::kMicrosecond);

// A pen sample 3 pixels on from the last at size 99, per-channel Gaussian: one disc and
// four outlines. Argument: buildup (the strongest setting adds to the painted image).
void BM_TypicalSample99(benchmark::State& state) {
    BenchImage image;
    GrainRandom random{};
    GrainBrush brush{99, 99, kGrainFixed, kGrainFixed, false, false, state.range(0) != 0};
    GrainStroke stroke{};
    int x = 150;
    grainSample(stroke, GrainSample{int16_t(x), 256, 800, 1023, 0, 1023, false}, brush,
                image.view, random);
    for (auto _ : state) {
        x += 3;
        if (x > 360) {  // a new stroke, not a 210-pixel jump
            x = 150;
            resetGrainStroke(stroke);
        }
        benchmark::DoNotOptimize(grainSample(
            stroke, GrainSample{int16_t(x), 256, 800, 1023, 0, 1023, false}, brush, image.view,
            random));
    }
}
BENCHMARK(BM_TypicalSample99)->ArgName("buildup")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
