// Issue 9: no dab operation of any effect writes the transparency plane, and a pixel
// whose source transparency is 0 does not change at all. Every dab operation of both
// effects (pen cap, row and column steps, eraser), with buildup on and off, before and
// after an Apply, over random positions on all six image kinds, with half-transparent
// pixels and a selection mask.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/device.h"
#include "tests/native/fake_platform.h"
#include "tests/native/speck_image.h"

namespace {

struct Kind {
    const char* name;
    int16_t mode, planes;
};
const Kind kKinds[] = {
    {"gray", plugInModeGrayScale, 1}, {"gray+alpha", plugInModeGrayScale, 2},
    {"rgb", plugInModeRGBColor, 3},   {"rgb+alpha", plugInModeRGBColor, 4},
    {"cmyk", plugInModeCMYKColor, 4}, {"cmyk+alpha", plugInModeCMYKColor, 5},
};

enum Operation { kCap, kStepRow, kStepColumn, kRestore, kOperations };

class TransparencyNeverWritten : public ::testing::TestWithParam<const ModuleInfo*> {
protected:
    SpeckImage img;
    std::mt19937 rng{2024};

    const ModuleInfo& module() const { return *GetParam(); }
    void SetUp() override {
        resetFake(module());
        ASSERT_TRUE(module().hooks->initBuffers());
        module().hooks->setDefaults();
        gDevice = DeviceRanges{};
        gDevice.pressureMax = 1023;
        gPlugin.record = &img.record;
    }
    void TearDown() override {
        releaseApplied();
        module().hooks->freeBuffers();
        EXPECT_EQ(gFake.liveBlocks, 0);
        gPlugin.record = nullptr;
        gDevice = DeviceRanges{};
    }
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    void setBuildup(bool on) {
        if (&module() == &kSpotcleanModule) gSpotParams.buildup = on;
        else gDustParams.buildup = on;
    }
    // Noise in the colours; transparency 0, half (1..254) or 255; a mask with holes.
    void makeImage(const Kind& k) {
        img.setUp(23, 19, k.mode, k.planes, /*withMask=*/true);
        const bool alpha = hasTransparencyPlane(k.mode, k.planes);
        img.fill([&](int, int, int c) {
            if (alpha && c == k.planes - 1) {
                const int kind = pick(0, 3);
                return kind == 0 ? 0 : kind == 1 ? 255 : pick(1, 254);
            }
            return pick(0, 255);
        });
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) img.maskAt(x, y) = pick(0, 4) == 0 ? 0 : uint8_t(pick(1, 255));
    }
    Dab randomDab(bool eraser) {
        Dab d{};
        d.x = int16_t(pick(-6, img.width + 5));
        d.y = int16_t(pick(-6, img.height + 5));
        d.size = int16_t(pick(1, 30));
        d.amount = int16_t(eraser ? pick(0, 15) : 2 * pick(0, 15) + 1);
        d.pressure = uint16_t(pick(0, 1023));
        d.inverted = eraser;
        return d;
    }
    void run(Operation op) {
        const EffectHooks& h = *module().hooks;
        const Dab d = randomDab(op == kRestore);
        const int span = pick(1, 40);
        switch (op) {
            case kCap: h.capDab(d); break;
            case kStepRow: h.stepDab(d, kSpanRow, span); break;
            case kStepColumn: h.stepDab(d, kSpanColumn, span); break;
            default: h.restoreDab(d, pick(0, 1) * 2, span); break;
        }
    }
    // The host's source (never written) against the result.
    void check(const Kind& k, const std::vector<uint8_t>& hostSource, const std::string& what) {
        ASSERT_EQ(img.in, hostSource) << what << ": the host's source buffer was written";
        const int alpha = hasTransparencyPlane(k.mode, k.planes) ? k.planes - 1 : -1;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const bool gone = alpha >= 0 && img.inAt(x, y, alpha) == 0;
                const bool masked = img.maskAt(x, y) == 0;
                for (int c = 0; c < k.planes; ++c) {
                    if (c != alpha && !gone && !masked) continue;
                    ASSERT_EQ(img.outAt(x, y, c), img.inAt(x, y, c))
                        << what << " at (" << x << ", " << y << ") channel " << c
                        << (c == alpha ? ": transparency written" : gone ? ": transparent pixel changed" : ": masked pixel changed");
                }
            }
        for (int y = 0; y < img.height; ++y)
            for (int b = img.width * k.planes; b < img.record.outRowBytes; ++b)
                ASSERT_EQ(img.out[size_t(y) * img.record.outRowBytes + b], 0xEE) << what << ": row padding written";
    }
};

TEST_P(TransparencyNeverWritten, ByAnyDabOperationOnAnyImageKind) {
    for (const Kind& k : kKinds) {
        for (int buildup = 0; buildup < 2; ++buildup) {
            for (int applied = 0; applied < 2; ++applied) {
                const std::string what = std::string(module().name) + " " + k.name + " buildup " +
                                         std::to_string(buildup) + (applied ? " after Apply" : "");
                SCOPED_TRACE(what);
                releaseApplied();
                makeImage(k);
                setBuildup(buildup);
                const std::vector<uint8_t> hostSource = img.in;
                if (applied) {
                    // Paint, apply, and go on: the applied image is the effects' source.
                    for (int i = 0; i < 30; ++i) run(Operation(pick(0, kStepColumn)));
                    ASSERT_TRUE(commitResult(img.record));
                }
                for (int op = 0; op < kOperations; ++op)
                    for (int i = 0; i < 60; ++i) {
                        run(Operation(op));
                        if (i % 20 == 19) check(k, hostSource, what);
                    }
                for (int i = 0; i < 200; ++i) run(Operation(pick(0, kOperations - 1)));
                check(k, hostSource, what);
            }
        }
    }
}

// A full-strength eraser after an Apply restores the applied image, not the one the host
// delivered: the eraser reads the same source as the pen.
TEST_P(TransparencyNeverWritten, TheEraserRestoresTheAppliedImage) {
    img.setUp(16, 16, plugInModeRGBColor, 4);
    img.fill([&](int x, int, int c) { return c == 3 ? 100 + x : pick(0, 255); });
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c) img.outAt(x, y, c) = uint8_t(17 * c + x);
    const std::vector<uint8_t> applied = img.resultPixels();
    ASSERT_TRUE(commitResult(img.record));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            for (int c = 0; c < 3; ++c) img.outAt(x, y, c) = 3;
    Dab d{8, 8, 40, 15, 1023, 1};  // covers the whole image at full strength
    module().hooks->restoreDab(d, kSpanRow, 40);
    EXPECT_EQ(img.resultPixels(), applied);
}

INSTANTIATE_TEST_SUITE_P(BothEffects, TransparencyNeverWritten,
                         ::testing::Values(&kSpotcleanModule, &kDustcleanModule),
                         [](const ::testing::TestParamInfo<const ModuleInfo*>& info) {
                             return std::string(info.param->name);
                         });

}  // namespace
