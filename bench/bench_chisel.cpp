// chisel on the portable core: a 200-sample stroke at tip 99 and the strongest setting
// (depth 99, upright walls, intensity 10; fixed width and with pressure), each sample
// carved and its changed box shaded as in the dialog, with the samples 6 pixels apart (most
// of them thinned away) and 30 or 80 apart (every one swept: a fast pen), and a full
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

// Back and forth across a `side` square, samples `spacing` pixels apart, turning a little
// at each, so that every heading occurs and the stroke stays on the picture.
std::vector<ChiselSample> zigzagStroke(int count, int side, int spacing, bool pressure) {
    auto reflect = [side](double v) {
        const double lo = 100, span = side - 200;
        double t = std::fmod(v - lo, 2 * span);
        if (t < 0) t += 2 * span;
        return int(lo + (t < span ? t : 2 * span - t));
    };
    std::vector<ChiselSample> samples;
    double x = 100, y = 100;
    for (int i = 0; i < count; ++i) {
        const double a = 0.9 + 0.5 * std::sin(i * 0.37);
        x += spacing * std::cos(a);
        y += spacing * std::sin(a);
        const int px = reflect(x), py = reflect(y);
        const int p = pressure ? 300 + (i * 37) % 724 : 1023;
        samples.push_back({int16_t(px), int16_t(py), int16_t(px), int16_t(py), 0, int16_t(p), 0, 0});
    }
    return samples;
}

int carveStroke(Canvas& c, ChiselParams& params, std::vector<ChiselSample> samples) {
    ChiselStroke stroke;
    resetChiselStroke(stroke);
    CarveTarget target{&c.image, &c.field, &c.tables, nullptr, nullptr};
    int swept = 0;
    for (ChiselSample& s : samples) {
        s.width = int16_t(grooveWidth(params, s.pressure, 1023));
        swept += carveSample(stroke, s, params, target).swept;
    }
    ChiselSample end = samples.back();
    end.pressure = -1;
    carveSample(stroke, end, params, target);
    return swept;
}

void strokeAtTip99(benchmark::State& state) {
    const bool pressure = state.range(0) != 0;
    const int spacing = int(state.range(1));
    Canvas c(2000);
    ChiselParams params;
    setChiselDefaults(params);
    params.tipSize = 99;
    params.grooveSize = 99;
    params.tipDepth = 99;
    params.tipSharpness = -100;
    params.intensity = 10;
    params.pressureGroove = pressure;
    prepareShading(c.tables, 0, 10);
    const std::vector<ChiselSample> samples = zigzagStroke(200, 2000, spacing, pressure);
    int swept = 0;
    for (auto _ : state) {
        c.field.clear();
        swept = carveStroke(c, params, samples);
        benchmark::DoNotOptimize(c.out.data());
    }
    // Seconds of CPU per sample, and per swept sample (the target is 2 ms).
    state.counters["per_sample"] = benchmark::Counter(
        200.0 * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["per_swept"] = benchmark::Counter(
        double(swept) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["swept"] = swept;
}
BENCHMARK(strokeAtTip99)
    ->ArgsProduct({{0, 1}, {6, 30, 80}})
    ->ArgNames({"pressure", "spacing"})
    ->Unit(benchmark::kMillisecond);

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
