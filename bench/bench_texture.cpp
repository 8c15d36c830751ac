// Dab operations of texturer and gilder on a 512 x 512 image (RGB and CMYK), a stroke
// segment as their walks place the dabs, and the preparation of the largest texturer
// texture at the largest scale.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "filters/gilder/gilder_module.h"
#include "filters/texture_common/texture_source.h"
#include "filters/texture_common/texture_walk.h"
#include "filters/texturer/texturer_module.h"
#include "framework/brush/stroke.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

namespace {

constexpr int kSide = 512;

struct Image {
    std::vector<uint8_t> source, result;
    PaintView view{};
    explicit Image(int colours) {
        source.resize(size_t(kSide) * kSide * colours);
        std::mt19937 rng(42);
        for (auto& v : source) v = uint8_t(rng());
        result = source;
        view = PaintView{source.data(), kSide * colours, colours, result.data(), kSide * colours,
                         nullptr, 0, colours, colours, kSide, kSide, false};
    }
};

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

DecodedBitmap loadTexturer(const char* file) {
    const std::vector<uint8_t> bytes = readFile(std::string(KX_SOURCE_DIR) + "/resources/texturer/textures/" + file);
    DecodedBitmap b;
    decodeBmpFile(bytes.data(), bytes.size(), b);
    return b;
}

const PreparedTexture& swoosh() {
    static PreparedTexture t = [] {
        PreparedTexture p;
        prepareTexture(loadTexturer("swoosh.bmp"), 100, 180, 50, p);
        return p;
    }();
    return t;
}

void BM_StampDab(benchmark::State& state) {
    Image img(int(state.range(1)));
    const int size = int(state.range(0));
    if (!swoosh().ready()) state.SkipWithError("texture not found");
    for (auto _ : state) {
        stampTexture(img.view, swoosh(), 256, 256, size, 25);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StampDab)->ArgsProduct({{1, 25, 99}, {3, 4}})->ArgNames({"size", "colours"});

struct StampContext {
    const PaintView* view;
    const PreparedTexture* texture;
};

void stampAt(void* context, const Dab& d) {
    const auto* c = static_cast<StampContext*>(context);
    stampTexture(*c->view, *c->texture, d.x, d.y, d.size, d.amount);
}

void BM_StampSegment(benchmark::State& state) {
    Image img(3);
    StampContext context{&img.view, &swoosh()};
    const Dab from{200, 200, 99, 25, 700, 0}, to{300, 230, 99, 25, 700, 0};
    for (auto _ : state) {
        TextureWalk walk;
        walkTextureSegment(walk, from, to, kSide, kSide, stampAt, &context);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StampSegment);

const GreyTexture& crinkle() {
    static GreyTexture t = [] {
        const std::vector<uint8_t> bytes = readFile(std::string(KX_SOURCE_DIR) + "/resources/gilder/textures/crinkle_4m.bmp");
        DecodedBitmap b;
        decodeBmpFile(bytes.data(), bytes.size(), b);
        GreyTexture g;
        prepareGreyTexture(b, 100, g);
        return g;
    }();
    return t;
}

void BM_GildDab(benchmark::State& state) {
    const int colours = int(state.range(1));
    Image img(colours);
    const GildColours c = gildColours(0, colours == 4, 255, 0);
    const int size = int(state.range(0));
    if (!crinkle().ready()) state.SkipWithError("texture not found");
    for (auto _ : state) {
        gildDab(img.view, crinkle(), c, 256, 256, size);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GildDab)->ArgsProduct({{1, 25, 99}, {3, 4}})->ArgNames({"size", "colours"});

struct GildContext {
    const PaintView* view;
    GildColours colours;
};

void gildAt(void* context, const Dab& d) {
    const auto* c = static_cast<GildContext*>(context);
    gildDab(*c->view, crinkle(), c->colours, d.x, d.y, d.size);
}

void BM_GildSegment(benchmark::State& state) {
    Image img(3);
    GildContext context{&img.view, gildColours(0, false, 255, 0)};
    const Dab from{200, 200, 99, 0, 700, 0}, to{300, 230, 99, 0, 700, 0};
    for (auto _ : state) {
        walkSteppedSegment(from, to, kSide, kSide, gildAt, &context);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GildSegment);

void BM_PrepareBigBricks(benchmark::State& state) {
    const DecodedBitmap bricks = loadTexturer("big_bricks.bmp");
    if (bricks.pixels.empty()) state.SkipWithError("texture not found");
    PreparedTexture t;
    for (auto _ : state) {
        prepareTexture(bricks, 150, 240, 60, t);
        benchmark::DoNotOptimize(t.texels.data());
    }
}
BENCHMARK(BM_PrepareBigBricks)->Unit(benchmark::kMicrosecond);

// One sample's whole work in the module's stroke step, at the strongest setting: size 99,
// opacity 100 (texturer, Big Bricks at 150 %), Canvas 3B at 150 % (gilder); each sample
// 100 pixels from the last, back and forth, on a 512 x 512 picture.
void noBox(void*, const Box&) {}
void noCall(void*) {}
void noCursor(void*, bool) {}

void BM_ModuleSample(benchmark::State& state) {
    const ModuleInfo& module = state.range(0) == 0 ? kTexturerModule : kGilderModule;
    const int planes = int(state.range(1));
    useTextureFiles(KX_SOURCE_DIR);
    std::vector<uint8_t> in(size_t(kSide) * kSide * planes), out;
    std::mt19937 rng(7);
    for (auto& v : in) v = uint8_t(rng());
    out = in;
    FilterRecord record{};
    record.planes = int16_t(planes);
    record.imageMode = planes == 4 ? plugInModeCMYKColor : plugInModeRGBColor;
    record.filterRect = {0, 0, kSide, kSide};
    record.inRect = record.outRect = record.filterRect;
    record.inHiPlane = record.outHiPlane = int16_t(planes - 1);
    record.inRowBytes = record.outRowBytes = kSide * planes;
    record.inData = in.data();
    record.outData = out.data();
    gPlugin.record = &record;
    module.hooks->setDefaults();
    gTexturerParams.brushSize = gGilderParams.brushSize = 99;
    gTexturerParams.sizeSource = gTexturerParams.opacitySource = 2;
    gTexturerParams.opacity = 100;
    gTexturerParams.textureIndex = 0;
    gTexturerParams.scale = gGilderParams.scale = 150;
    gGilderParams.sizeSource = kGilderSizeFixed;
    gGilderParams.textureIndex = 2;
    StrokeState stroke{nullptr, 0, 0, true};
    resetModuleStroke(stroke, module);
    StrokeSurface surface{};
    surface.geometry.zoom = 1.0f;
    surface.geometry.outRect = Box{0, 0, kSide, kSide};
    surface.invalidate = noBox;
    surface.updateNow = noCall;
    surface.setCursor = noCursor;
    surface.enableRevert = noCall;
    auto sample = [&](int x, int y) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        *s = TabletSample{int16_t(x), int16_t(y), 99, 25, 700, 0};
        runStrokeStep(stroke, s, module, surface);
    };
    sample(206, 240);  // the stroke starts (and the texture is prepared) outside the timing
    sample(256, 250);
    int i = 0;
    for (auto _ : state) {
        ++i;
        sample(i % 2 ? 306 : 206, i % 2 ? 260 : 240);
        benchmark::ClobberMemory();
    }
    resetModuleStroke(stroke, module);
    module.hooks->freeBuffers();
    gPlugin.record = nullptr;
}
BENCHMARK(BM_ModuleSample)->ArgsProduct({{0, 1}, {3, 4}})->ArgNames({"gilder", "planes"});

}  // namespace
BENCHMARK_MAIN();
