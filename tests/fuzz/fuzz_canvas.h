// A small image of any kind in a host record, each buffer its own exactly sized heap
// block so that AddressSanitizer sees any step outside it, and the stroke step wired to
// it as the dialog wires it.
#pragma once
#include <cstring>
#include <memory>
#include <vector>

#include "framework/brush/stroke.h"
#include "framework/host/filter_api.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "tests/fuzz/fuzz_input.h"

struct FuzzKind {
    int16_t mode, planes;
};
constexpr FuzzKind kFuzzKinds[] = {
    {plugInModeGrayScale, 1}, {plugInModeGrayScale, 2}, {plugInModeRGBColor, 3},
    {plugInModeRGBColor, 4},  {plugInModeCMYKColor, 4}, {plugInModeCMYKColor, 5},
};

struct FuzzCanvas {
    int width = 0, height = 0, planes = 0;
    bool hasAlpha = false;
    std::unique_ptr<uint8_t[]> in, out, mask;
    FilterRecord record{};
    StrokeState state{nullptr, 0, 0, true};
    StrokeSurface surface{};

    // Kind, size (1..16 each way), pixels and a selection mask or none, from the input.
    void setUp(FuzzInput& f) {
        const FuzzKind kind = kFuzzKinds[f.below(6)];
        width = 1 + f.below(16);
        height = 1 + f.below(16);
        planes = kind.planes;
        hasAlpha = (kind.mode == plugInModeGrayScale && planes == 2) ||
                   (kind.mode == plugInModeRGBColor && planes == 4) ||
                   (kind.mode == plugInModeCMYKColor && planes == 5);
        const bool withMask = f.u8() & 1;
        // Pixels from a seeded generator, so that the input's bytes go to the samples;
        // transparency and mask bytes of 0 and 255 are common.
        uint32_t seed = f.u32() | 1;
        auto next = [&seed] {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            return seed;
        };
        auto edgeByte = [&next] {
            const uint32_t r = next();
            return uint8_t((r & 3) == 0 ? 0 : (r & 3) == 1 ? 255 : r >> 8);
        };
        const size_t bytes = size_t(width) * height * planes;
        in.reset(new uint8_t[bytes]);
        out.reset(new uint8_t[bytes]);
        for (size_t i = 0; i < bytes; ++i)
            in[i] = (hasAlpha && i % planes == size_t(planes - 1)) ? edgeByte() : uint8_t(next() >> 8);
        std::memcpy(out.get(), in.get(), bytes);
        if (withMask) {
            mask.reset(new uint8_t[size_t(width) * height]);
            for (int i = 0; i < width * height; ++i) mask[i] = edgeByte();
        }
        record = FilterRecord{};
        record.planes = kind.planes;
        record.imageMode = kind.mode;
        record.filterRect = {0, 0, int16_t(height), int16_t(width)};
        record.inRect = record.outRect = record.maskRect = record.filterRect;
        record.inHiPlane = record.outHiPlane = int16_t(planes - 1);
        record.inData = in.get();
        record.outData = out.get();
        record.inRowBytes = record.outRowBytes = width * planes;
        record.haveMask = withMask;
        record.maskData = withMask ? mask.get() : nullptr;
        record.maskRowBytes = width;
        gPlugin.record = &record;

        surface.geometry.zoom = 1.0f;
        surface.geometry.outRect = Box{0, 0, width, height};
        surface.penDown = true;
        surface.invalidate = [](void*, const Box&) {};
        surface.updateNow = [](void*) {};
        surface.setCursor = [](void*, bool) {};
        surface.enableRevert = [](void*) {};
    }

    void step(const ModuleInfo& module, const TabletSample& sample) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        FUZZ_CHECK(s != nullptr);
        *s = sample;
        runStrokeStep(state, s, module, surface);  // the module's own stroke rule, if any
    }

    // The transparency plane is the source's, and pixels the rule protects (transparent
    // or unselected) are untouched in every channel.
    void checkProtectedPixels() const {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const size_t at = (size_t(y) * width + x) * planes;
                const bool keep = (hasAlpha && in[at + planes - 1] == 0) || (mask && mask[y * width + x] == 0);
                if (keep) FUZZ_CHECK(std::memcmp(&in[at], &out[at], planes) == 0);
                if (hasAlpha) FUZZ_CHECK(in[at + planes - 1] == out[at + planes - 1]);
            }
    }

    void finish(const ModuleInfo& module) {
        resetModuleStroke(state, module);
        gPlugin.record = nullptr;
    }
};

// A sample with values from anywhere, often far outside the image and the ranges.
inline TabletSample fuzzSample(FuzzInput& f, int width, int height) {
    TabletSample s{};
    const uint8_t how = f.u8();
    if (how & 1) {
        s.x = int16_t(f.u16());
        s.y = int16_t(f.u16());
    } else {
        s.x = int16_t(f.below(width + 40) - 20);
        s.y = int16_t(f.below(height + 40) - 20);
    }
    s.size = (how & 2) ? int16_t(f.u16()) : int16_t(f.below(110));
    s.amount = (how & 4) ? int16_t(f.u16()) : int16_t(f.below(40));
    s.pressure = (how & 8) ? f.u16() : ((how & 16) ? kEndOfStroke : uint16_t(f.below(3) * 600));
    s.inverted = (how & 32) ? 1 : 0;
    return s;
}
