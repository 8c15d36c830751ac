// chisel on the portable core: a 200-sample stroke at tip 99 (fixed width and with
// pressure), each sample carved and its changed box shaded as in the dialog, and a full
// re-shade of a carved 2048 x 2048 RGB image at intensity 10 (a light or intensity change).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "filters/chisel/carve_stroke.h"

namespace {

struct Canvas {
    int side;
    std::vector<uint8_t> in, out;
    ChiselImage image{};
    ReliefField field;
    ShadeTables tables;
    explicit Canvas(int s) : side(s) {
        in.resize(size_t(s) * s * 3);
        std::mt19937 rng(42);
        for (auto& v : in) v = uint8_t(rng());
        out = in;
        image = ChiselImage{in.data(), s * 3, out.data(), s * 3, nullptr, 0, 3, s, s, false};
        field.allocate(s, s);
    }
};

// A wavy stroke of `count` samples about 6 pixels apart.
std::vector<ChiselSample> wavyStroke(int count, int originX, int originY, bool pressure) {
    std::vector<ChiselSample> samples;
    for (int i = 0; i < count; ++i) {
        const int x = originX + i * 6, y = originY + int(40.0 * std::sin(i * 0.1));
        const int p = pressure ? 300 + (i * 37) % 724 : 1023;
        samples.push_back({int16_t(x), int16_t(y), int16_t(x), int16_t(y), 0, int16_t(p), 0, 0});
    }
    return samples;
}

void carveStroke(Canvas& c, ChiselParams& params, std::vector<ChiselSample> samples) {
    ChiselStroke stroke;
    resetChiselStroke(stroke);
    CarveTarget target{&c.image, &c.field, &c.tables, nullptr, nullptr};
    for (ChiselSample& s : samples) {
        s.width = int16_t(grooveWidth(params, s.pressure, 1023));
        carveSample(stroke, s, params, target);
    }
    ChiselSample end = samples.back();
    end.pressure = -1;
    carveSample(stroke, end, params, target);
}

void strokeAtTip99(benchmark::State& state) {
    const bool pressure = state.range(0) != 0;
    Canvas c(1400);
    ChiselParams params;
    setChiselDefaults(params);
    params.tipSize = 99;
    params.grooveSize = 99;
    params.tipDepth = 60;
    params.pressureGroove = pressure;
    prepareShading(c.tables, 0, 10);
    const auto samples = wavyStroke(200, 60, 700, pressure);
    for (auto _ : state) {
        c.field.clear();
        carveStroke(c, params, samples);
        benchmark::DoNotOptimize(c.out.data());
    }
    // Seconds of CPU per sample (the target is 2 ms).
    state.counters["per_sample"] = benchmark::Counter(
        200.0 * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(strokeAtTip99)->Arg(0)->Arg(1)->ArgName("pressure")->Unit(benchmark::kMillisecond);

void fullReshade(benchmark::State& state) {
    static Canvas c(2048);
    ChiselParams params;
    setChiselDefaults(params);
    params.tipSize = 60;
    params.tipDepth = 50;
    params.pressureGroove = 0;
    for (int row = 0; row < 12; ++row)  // grooves over much of the picture
        carveStroke(c, params, wavyStroke(320, 40, 80 + row * 160, false));
    size_t carved = 0;
    for (int i = 0; i < 2048 * 2048; ++i) carved += (c.field.pixels[i].nx | c.field.pixels[i].ny) != 0;
    int light = 0;
    for (auto _ : state) {
        light = (light + 1) % 8;  // every iteration a light change: the tables are rebuilt
        prepareShading(c.tables, light, 10);
        shadeArea(c.image, c.field, c.tables, Box{0, 0, 2048, 2048});
        benchmark::DoNotOptimize(c.out.data());
    }
    state.counters["Mpixel/s"] = benchmark::Counter(2048.0 * 2048.0 * state.iterations() / 1e6,
                                                    benchmark::Counter::kIsRate);
    state.counters["sloped_pixels_pct"] = 100.0 * double(carved) / (2048.0 * 2048.0);
    state.counters["field_bytes_per_pixel"] = double(sizeof(ReliefPixel));
}
BENCHMARK(fullReshade)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
