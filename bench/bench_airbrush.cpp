// airbrush on the portable core: one sample's work (its stroke step: footprint and the
// segment's dabs) at size 99 and flow 100, samples 6 pixels apart across a 512 x 512 RGB
// image, for the soft spray upright and at full tilt, splatter droplets of sizes 1 and 20,
// and the eraser's restore. Target: at most 2 ms a sample.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "filters/airbrush/spray_stroke.h"

namespace {

enum Mode { kSoft, kSplatter, kRestore };

void sprayStrokeBench(benchmark::State& state, Mode mode, int tilt, int splatterSize) {
    const int side = 512;
    std::vector<uint8_t> source(size_t(side) * side * 3), result;
    std::mt19937 rng(7);
    for (auto& v : source) v = uint8_t(rng());
    result = source;
    AirbrushParams params;
    const uint16_t colour[3] = {0xFFFF, 0x8080, 0x2020};
    setAirbrushDefaults(params, colour);
    params.softSpray = mode == kSoft;
    params.splatterSize = int16_t(splatterSize);
    params.brushSize = 99;
    params.inkFlow = 100;
    params.sizeSource = params.flowSource = kSourceFixed;
    SprayTables tables;
    buildSprayTables(tables);
    auto mask = std::make_unique<SprayMask>();
    SprayRandom random;
    SprayCanvas canvas{SprayImage{source.data(), side * 3, result.data(), side * 3, nullptr, 0, 3, side, side, false},
                       &params, &tables, mask.get(), &random};
    const SprayRanges ranges{-900, 900, 0, 3600, 1023, 1023};
    const int altitude = (90 - tilt) * 10;
    auto sampleAt = [&](int i) {
        const int x = 60 + (i * 6) % 390, y = 100 + (i / 65) * 8 % 300;
        return buildSpraySample(SprayPacket{x, y, mode == kRestore ? -altitude : altitude, 450, 1023, 0}, ranges,
                                params);
    };
    SprayStroke stroke;
    resetSprayStroke(stroke);
    int i = 0;
    sprayStep(stroke, sampleAt(i++), canvas);
    for (auto _ : state) {
        AirbrushSample s = sampleAt(i++);
        if (std::abs(s.x - stroke.prev.x) > 6 || std::abs(s.y - stroke.prev.y) > 6) {
            resetSprayStroke(stroke);  // a new row: start again without timing a long jump
            sprayStep(stroke, s, canvas);
            s = sampleAt(i++);
        }
        benchmark::DoNotOptimize(sprayStep(stroke, s, canvas));
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SoftTilt0(benchmark::State& s) { sprayStrokeBench(s, kSoft, 0, 1); }
void BM_SoftTilt60(benchmark::State& s) { sprayStrokeBench(s, kSoft, 60, 1); }
void BM_Splatter1(benchmark::State& s) { sprayStrokeBench(s, kSplatter, 0, 1); }
void BM_Splatter20(benchmark::State& s) { sprayStrokeBench(s, kSplatter, 0, 20); }
void BM_Restore(benchmark::State& s) { sprayStrokeBench(s, kRestore, 0, 1); }

BENCHMARK(BM_SoftTilt0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoftTilt60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Splatter1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Splatter20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
