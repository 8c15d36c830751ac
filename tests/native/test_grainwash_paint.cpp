// grainwash's pixels: the noise, the eraser, the source mapping, the stroke handler and
// the classic storage, on small images with guard bytes around every buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filters/grainwash/grain_core.h"
#include "filters/grainwash/grain_params.h"

namespace {

constexpr int kGuard = 64;
constexpr uint8_t kGuardByte = 0xA5;

// Source, result and mask with guard bytes before and after each.
struct TestImage {
    int width, height, planes;
    bool transparency;
    std::vector<uint8_t> source, result, mask;
    GrainImage view{};

    TestImage(int w, int h, int p, bool t, bool withMask = false)
        : width(w), height(h), planes(p), transparency(t),
          source(size_t(w) * h * p + 2 * kGuard, kGuardByte),
          result(source.size(), kGuardByte),
          mask(withMask ? size_t(w) * h + 2 * kGuard : 0, kGuardByte) {
        view.source = source.data() + kGuard;
        view.sourceRow = w * p;
        view.result = result.data() + kGuard;
        view.resultRow = w * p;
        view.mask = withMask ? mask.data() + kGuard : nullptr;
        view.maskRow = w;
        view.planes = p;
        view.width = w;
        view.height = h;
        view.transparency = t;
        for (int i = 0; i < w * h; ++i) {
            for (int c = 0; c < p; ++c) at(source, i, c) = uint8_t(100 + 10 * c);
            if (withMask) mask[kGuard + i] = 255;
        }
        resetResult();
    }
    uint8_t& at(std::vector<uint8_t>& b, int pixel, int c) { return b[kGuard + pixel * planes + c]; }
    uint8_t& src(int x, int y, int c) { return at(source, y * width + x, c); }
    uint8_t& res(int x, int y, int c) { return at(result, y * width + x, c); }
    void resetResult() {
        std::memcpy(result.data() + kGuard, source.data() + kGuard, size_t(width) * height * planes);
    }
    bool guardsIntact() const {
        for (const auto* b : {&source, &result, &mask}) {
            if (b->empty()) continue;
            for (int i = 0; i < kGuard; ++i)
                if ((*b)[i] != kGuardByte || (*b)[b->size() - 1 - i] != kGuardByte) return false;
        }
        return true;
    }
};

GrainBrush fixedBrush(int size, int amount) {
    GrainBrush b{};
    b.amount = amount;
    b.brushSize = size;
    b.sizeSource = kGrainFixed;
    b.amountSource = kGrainFixed;
    b.uniform = true;
    return b;
}

GrainSample at(int x, int y, int pressure = 512, bool eraser = false) {
    return GrainSample{int16_t(x), int16_t(y), int16_t(pressure), 1023, 0, 1023, eraser};
}

// A stroke through the points at pressure 512, lifted at the end.
void stroke(TestImage& image, const GrainBrush& brush, GrainRandom& random,
            std::vector<std::pair<int, int>> points, bool eraser = false, int pressure = 512) {
    GrainStroke s{};
    for (auto [x, y] : points) grainSample(s, at(x, y, pressure, eraser), brush, image.view, random);
    grainSample(s, at(points.back().first, points.back().second, 0, eraser), brush, image.view, random);
}

TEST(GrainNoise, UniformFirstValuesAndRange) {
    GrainRandom random{};
    // u = 0.274272..., 0.569060...: (2u - 1) * 100 truncated.
    EXPECT_EQ(grainNoise(random, true, 99), -45);
    EXPECT_EQ(grainNoise(random, true, 99), 13);
    for (int amount : {0, 1, 5, 99}) {
        int low = 0, high = 0;
        for (int i = 0; i < 20000; ++i) {
            const int n = grainNoise(random, true, amount);
            low = std::min(low, n);
            high = std::max(high, n);
        }
        EXPECT_EQ(low, -amount);
        EXPECT_EQ(high, amount);
    }
}

TEST(GrainNoise, GaussianAtAmountZeroStillMoves) {
    GrainRandom random{};
    int moved = 0;
    for (int i = 0; i < 30000; ++i) moved += grainNoise(random, false, 0) != 0;
    EXPECT_NEAR(moved / 30000.0, 0.3173, 0.02);  // |g| >= 1
}

TEST(GrainPaintStroke, HorizontalSizeSixCoversEveryRowWithinThree) {
    TestImage image(40, 21, 3, false);
    std::fill(image.source.begin() + kGuard, image.source.end() - kGuard, 0);
    std::fill(image.result.begin() + kGuard, image.result.end() - kGuard, 200);
    // The eraser at a Fixed amount source writes the source into every visited pixel.
    stroke(image, fixedBrush(6, 99), moduleGrainRandom(), {{5, 10}, {30, 10}}, true);
    for (int y = 0; y < 21; ++y)
        for (int x = 5; x <= 30; ++x)
            EXPECT_EQ(image.res(x, y, 1), std::abs(y - 10) <= 3 ? 0 : 200) << x << "," << y;
    EXPECT_TRUE(image.guardsIntact());
}

TEST(GrainPaintStroke, UniformAmountOneAndZero) {
    TestImage image(30, 30, 3, false);
    GrainRandom random{};
    stroke(image, fixedBrush(25, 1), random, {{5, 5}, {25, 20}, {10, 25}});
    int seen[3] = {0, 0, 0};
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            for (int c = 0; c < 3; ++c) {
                const int d = image.res(x, y, c) - image.src(x, y, c);
                ASSERT_LE(std::abs(d), 1);
                ++seen[d + 1];
            }
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[2], 0);
    // Pressure 2 of 1023 maps the amount to 0: uniform noise is 0 everywhere.
    TestImage still(30, 30, 3, false);
    GrainBrush light = fixedBrush(25, 99);
    light.amountSource = kGrainPressure;
    stroke(still, light, random, {{5, 5}, {25, 20}}, false, 2);
    EXPECT_EQ(still.result, still.source);
}

TEST(GrainPaintStroke, MonochromeKeepsGreyGrey) {
    TestImage image(30, 30, 3, false);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            for (int c = 0; c < 3; ++c) image.src(x, y, c) = uint8_t(8 * x);
    image.resetResult();
    GrainBrush brush = fixedBrush(25, 99);
    brush.monochrome = true;
    brush.uniform = false;
    GrainRandom random{};
    stroke(image, brush, random, {{15, 15}, {20, 5}});
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            EXPECT_EQ(image.res(x, y, 0), image.res(x, y, 1));
            EXPECT_EQ(image.res(x, y, 1), image.res(x, y, 2));
            changed += image.res(x, y, 0) != image.src(x, y, 0);
        }
    EXPECT_GT(changed, 300);
}

TEST(GrainPaintStroke, BuildupAccumulatesAndRerollStaysWithinAmount) {
    for (bool buildup : {false, true}) {
        TestImage image(20, 20, 4, false);  // CMYK: black (plane 3) takes noise too
        GrainBrush brush = fixedBrush(15, 10);
        brush.buildup = buildup;
        GrainRandom random{};
        for (int pass = 0; pass < 12; ++pass) stroke(image, brush, random, {{10, 10}});
        int widest = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                for (int c = 0; c < 4; ++c)
                    widest = std::max(widest, std::abs(image.res(x, y, c) - image.src(x, y, c)));
        if (buildup)
            EXPECT_GT(widest, 10);
        else
            EXPECT_EQ(widest, 10);
    }
}

TEST(GrainPaintStroke, EraserRestoresAndNeverMovesASourcePixel) {
    TestImage image(30, 30, 3, false);
    GrainRandom random{};
    stroke(image, fixedBrush(25, 99), random, {{10, 10}, {20, 20}});
    // Half pressure: each pass moves toward the source, and pixels at the source stay.
    GrainBrush eraser = fixedBrush(99, 99);
    eraser.amountSource = kGrainPressure;
    std::vector<uint8_t> before = image.result;
    stroke(image, eraser, random, {{15, 15}}, true, 512);
    int moved = 0;
    for (size_t i = kGuard; i < before.size() - kGuard; ++i) {
        const int s = image.source[i], b = before[i], a = image.result[i];
        if (b == s) { EXPECT_EQ(a, s); }
        EXPECT_LE(std::abs(a - s), std::abs(b - s));
        moved += a != b;
    }
    EXPECT_GT(moved, 0);
    EXPECT_NE(image.result, image.source);
    stroke(image, fixedBrush(99, 99), random, {{15, 15}}, true);  // Fixed: f = 1
    EXPECT_EQ(image.result, image.source);
}

TEST(GrainPaintStroke, TransparentAndMaskedPixelsUntouched) {
    TestImage image(24, 24, 4, true, true);  // RGB with transparency and a selection
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            image.src(x, y, 3) = x < 8 ? 0 : uint8_t(50 + x);
            if (y < 6) image.mask[kGuard + y * 24 + x] = 0;
        }
    image.resetResult();
    GrainBrush brush = fixedBrush(99, 99);
    brush.uniform = false;
    brush.buildup = true;
    GrainRandom random{};
    stroke(image, brush, random, {{0, 0}, {23, 23}, {12, 2}});
    int changed = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
            EXPECT_EQ(image.res(x, y, 3), image.src(x, y, 3));  // transparency never written
            bool same = true;
            for (int c = 0; c < 3; ++c) same &= image.res(x, y, c) == image.src(x, y, c);
            if (x < 8 || y < 6) { EXPECT_TRUE(same) << x << "," << y; }
            changed += !same;
        }
    EXPECT_GT(changed, 150);
}

TEST(GrainMapping, SourcesAndDeviceRanges) {
    EXPECT_EQ(grainMapped(kGrainPressure, 99, 341, 1023, 0, 0), 33);
    EXPECT_EQ(grainMapped(kGrainPressure, 25, 341, 1023, 0, 0), 8);
    EXPECT_EQ(grainMapped(kGrainFingerwheel, 99, 1023, 1023, 341, 1023), 33);
    EXPECT_EQ(grainMapped(kGrainFixed, 57, 1, 1023, 1, 1023), 57);
    // No range reported: the full slider value.
    EXPECT_EQ(grainMapped(kGrainPressure, 40, 300, 0, 0, 0), 40);
    EXPECT_EQ(grainMapped(kGrainFingerwheel, 40, 300, 1023, 5, -1), 40);
    // A reading beyond the maximum does not paint beyond the slider.
    EXPECT_EQ(grainMapped(kGrainPressure, 40, 2000, 1023, 0, 0), 40);
    EXPECT_EQ(grainEraseFactor(kGrainPressure, 341, 1023), 341.0f / 1023.0f);
    EXPECT_EQ(grainEraseFactor(kGrainFixed, 341, 1023), 1.0f);
    EXPECT_EQ(grainEraseFactor(kGrainPressure, 341, 0), 1.0f);
    EXPECT_EQ(grainEraseFactor(kGrainPressure, 5000, 1023), 1.0f);
}

TEST(GrainPaintStroke, LargestBrushAtEveryBorderStaysInTheBuffers) {
    TestImage image(37, 23, 5, true, true);  // CMYK with transparency
    std::vector<uint8_t> alpha;
    for (int i = 0; i < 37 * 23; ++i) alpha.push_back(image.at(image.source, i, 4) = uint8_t(1 + i % 250));
    image.resetResult();
    GrainBrush brush = fixedBrush(99, 99);
    brush.uniform = false;
    brush.buildup = true;
    GrainRandom random{};
    const std::vector<std::pair<int, int>> points = {
        {-60, -60}, {0, 0}, {36, 0}, {36, 22}, {0, 22}, {-49, 11}, {18, -49}, {90, 11},
        {18, 80}, {200, 200}, {-200, 200}, {36, 22}};
    for (size_t i = 0; i < points.size(); ++i) {
        stroke(image, brush, random, {points[i]});
        if (i + 1 < points.size()) stroke(image, brush, random, {points[i], points[i + 1]});
    }
    EXPECT_TRUE(image.guardsIntact());
    for (int i = 0; i < 37 * 23; ++i) ASSERT_EQ(image.at(image.result, i, 4), alpha[i]);
}

TEST(GrainPaintStroke, StrokesContinueOneStream) {
    // Two strokes with one generator equal the second stroke painted after the first
    // on a copy, and differ from the second on a fresh generator.
    TestImage a(20, 20, 3, false), b(20, 20, 3, false), fresh(20, 20, 3, false);
    GrainRandom one{}, two{}, three{};
    const GrainBrush brush = fixedBrush(9, 50);
    stroke(a, brush, one, {{5, 5}, {15, 5}});
    stroke(a, brush, one, {{10, 15}});
    TestImage scratch(20, 20, 3, false);
    stroke(scratch, brush, two, {{5, 5}, {15, 5}});
    stroke(b, brush, two, {{10, 15}});
    stroke(fresh, brush, three, {{10, 15}});
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(a.res(x, 15, 0), b.res(x, 15, 0));
    }
    EXPECT_NE(b.result, fresh.result);
}

TEST(GrainStorage, NewBlockAndClampedReads) {
    GrainParams block;
    createGrainBlock(block);
    uint8_t bytes[64];
    writeGrainBlock(block, bytes);
    int16_t first, band;
    std::memcpy(&first, bytes, 2);
    std::memcpy(&band, bytes + 4, 2);
    EXPECT_EQ(first, 50);
    EXPECT_EQ(band, 1);
    EXPECT_EQ(std::memcmp(bytes + 8, "1Dom", 4), 0);
    EXPECT_EQ(bytes[12] | bytes[13] | bytes[14] | bytes[15], 0);
    EXPECT_EQ(bytes[46], 1);  // uniform
    // A stored block full of nonsense comes back in range.
    std::memset(bytes, 0x7F, sizeof bytes);
    readGrainBlock(bytes, block);
    EXPECT_EQ(block.tool, 2);
    EXPECT_EQ(block.sizeSource, 2);
    EXPECT_EQ(block.amountSource, 2);
    EXPECT_EQ(block.monochrome, 1);
    EXPECT_EQ(block.uniform, 1);
    std::memset(bytes, 0x80, sizeof bytes);
    readGrainBlock(bytes, block);
    EXPECT_EQ(block.tool, 0);
    EXPECT_EQ(block.bandHeight, 1);
}

TEST(GrainStorage, SettingsKeysInTheirCrossedOrder) {
    const char* names[] = {"Current Tool", "Pressure Size", "Pressure Amount", "Brush Size",
                           "Amount", "Buildup", "Monochromatic", "Uniform"};
    const int missing[] = {2, 0, 25, 1, 99, 0, 0, 1};
    GrainEffectParams params{};
    for (int i = 0; i < kGrainSettingKeyCount; ++i) {
        EXPECT_EQ(kGrainSettingKeys[i].stringId, 10010 + i);
        EXPECT_STREQ(kGrainSettingKeys[i].englishName, names[i]);
        EXPECT_EQ(kGrainSettingKeys[i].missing, missing[i]);
        storeGrainSetting(params, kGrainSettingKeys[i], kGrainSettingKeys[i].missing);
    }
    // The defaults land where the values belong: brush size 25 under "Pressure Amount",
    // amount source 1 under "Brush Size".
    EXPECT_EQ(params.beside.brushSize, 25);
    EXPECT_EQ(params.block.amountSource, 1);
    EXPECT_EQ(params.beside.amount, 99);
    EXPECT_EQ(params.block.tool, 2);
    EXPECT_EQ(params.block.uniform, 1);
    storeGrainSetting(params, kGrainSettingKeys[2], 40);
    EXPECT_EQ(params.beside.brushSize, 40);
    EXPECT_EQ(loadGrainSetting(params, kGrainSettingKeys[2]), 40);
    storeGrainSetting(params, kGrainSettingKeys[5], -7);  // any non-zero buildup reads as 1
    EXPECT_EQ(params.beside.buildup, 1);
    storeGrainSetting(params, kGrainSettingKeys[4], 500);
    EXPECT_EQ(params.beside.amount, 99);
}

TEST(GrainStorage, BandHeightNeverPromisesMoreThanTheHost) {
    int32_t maxSpace = 10000;
    // (10 + 10 * 3 * 2) = 70 bytes a row: 142 rows fit below 10000, 143 reach 10010.
    EXPECT_EQ(grainBandHeight(1, 10, 1000, 3, maxSpace), 143);
    EXPECT_EQ(maxSpace, 10000);
    maxSpace = 1 << 30;
    EXPECT_EQ(grainBandHeight(500, 10, 20, 3, maxSpace), 20);  // held to the height
    EXPECT_EQ(maxSpace, 1400);
    maxSpace = 2000000000;
    EXPECT_EQ(grainBandHeight(1, 30000, 30000, 5, maxSpace), 6061);
    EXPECT_EQ(maxSpace, 2000000000);  // the last step overshot: kept
}

}  // namespace
