// texturer's pixels: coverage of small brushes, dab opacity, tiling, the walk, the eraser,
// texture preparation and the colour adjustment.
#include <gtest/gtest.h>

#include <vector>

#include "filters/texture_common/texture_walk.h"
#include "filters/texturer/texturer_core.h"
#include "tests/native/texture_image.h"

namespace {

// A texture of one colour (red, green, blue) of the given size.
PreparedTexture solidTexture(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    PreparedTexture t;
    t.width = w;
    t.height = h;
    t.rowBytes = (w * 3 + 3) & ~3;
    t.texels.assign(size_t(t.rowBytes) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &t.texels[size_t(y) * t.rowBytes + size_t(x) * 3];
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    return t;
}

// A 24 bpp bitmap, rows top to bottom, texel (x, y) = (x * 40 + 1, y * 40 + 2, 7).
DecodedBitmap rampBitmap(int w, int h) {
    DecodedBitmap b;
    b.width = w;
    b.height = h;
    b.bitsPerPixel = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.pixels.insert(b.pixels.end(), {7, uint8_t(y * 40 + 2), uint8_t(x * 40 + 1)});
    return b;
}

}  // namespace

TEST(TexturerStamp, RadiusOneReachesTheFourPixelsRoundTheCentre) {
    TextureImage img(10, 10, 3, false, 0);
    const PreparedTexture tex = solidTexture(4, 4, 200, 200, 200);
    stampTexture(img.view(), tex, 5, 5, 2, 25);
    // Each of the four pixels has 9 of its 16 points inside the unit circle: 200 * 9/64.
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = (x == 4 || x == 5) && (y == 4 || y == 5);
            EXPECT_EQ(img.at(x, y)[1], inside ? 28 : 0) << x << "," << y;
        }
    // Size 1 is radius 1 too.
    TextureImage one(10, 10, 3, false, 0);
    stampTexture(one.view(), tex, 5, 5, 1, 25);
    EXPECT_EQ(one.result, img.result);
}

TEST(TexturerStamp, RadiusTwoCoverageInSixteenths) {
    TextureImage img(8, 8, 3, false, 0);
    stampTexture(img.view(), solidTexture(1, 1, 255, 255, 255), 4, 4, 4, 25);
    const int coverage[4][4] = {{6, 12, 12, 6}, {12, 16, 16, 12}, {12, 16, 16, 12}, {6, 12, 12, 6}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            const int expected = inside ? int(255 * coverage[y - 2][x - 2] / 64.0) : 0;
            EXPECT_EQ(img.at(x, y)[0], expected) << x << "," << y;
        }
}

// The sample's amount is a quarter of the opacity (the module's sample builder): opacity
// below 4 arrives as 0, 100 as 25.
TEST(TexturerStamp, AmountZeroPaintsNothingAndTwentyFiveMovesAQuarter) {
    {
        TextureImage img(9, 9, 3, false, 90);
        stampTexture(img.view(), solidTexture(2, 2, 250, 10, 130), 4, 4, 8, 0);
        EXPECT_EQ(img.result, img.source);
    }
    TextureImage img(9, 9, 3, false, 100);
    stampTexture(img.view(), solidTexture(2, 2, 200, 20, 100), 4, 4, 8, 25);
    EXPECT_EQ(img.at(4, 4)[0], 125);  // 100 + (200 - 100) / 4
    EXPECT_EQ(img.at(4, 4)[1], 80);   // 100 - 80 / 4
    EXPECT_EQ(img.at(4, 4)[2], 100);
}

TEST(TexturerStamp, TilingIsAnchoredAtTheRectangleCorner) {
    PreparedTexture tex = solidTexture(3, 2, 0, 0, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) tex.texels[size_t(y) * tex.rowBytes + size_t(x) * 3 + 2] = uint8_t(40 + 80 * x + 20 * y);
    TextureImage a(16, 12, 3, false, 0), b(16, 12, 3, false, 0);
    stampTexture(a.view(), tex, 6, 5, 12, 25);  // two strokes through (7, 4) from different places
    stampTexture(b.view(), tex, 8, 4, 12, 25);
    // (7, 4) is fully covered by both: texel (7 mod 3, 4 mod 2) = (1, 0) = 120, a quarter of it.
    EXPECT_EQ(a.at(7, 4)[0], 30);
    EXPECT_EQ(b.at(7, 4)[0], 30);
    EXPECT_EQ(a.at(8, 5)[0], b.at(8, 5)[0]);
    EXPECT_EQ(a.at(8, 5)[0], (40 + 160 + 20) / 4);
}

TEST(TexturerStamp, CmykWritesTheBrightestComponentFourthAndSkipsMaskedAndTransparent) {
    TextureImage img(6, 6, 4, true, 0);
    img.mask.assign(36, 255);
    img.mask[2 * 6 + 2] = 0;                 // (2, 2) outside the selection
    img.sourceAt(3, 3)[4] = 0;               // (3, 3) fully transparent in the source
    img.result[(3 * 6 + 3) * 5 + 4] = 0;
    stampTexture(img.view(), solidTexture(1, 1, 255, 0, 0), 3, 3, 6, 25);
    const uint8_t* p = img.at(2, 3);
    EXPECT_EQ(p[0], 63);
    EXPECT_EQ(p[1], 0);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 63);
    EXPECT_EQ(p[4], 255);  // transparency untouched
    EXPECT_EQ(img.at(2, 2)[0], 0);
    EXPECT_EQ(img.at(3, 3)[0], 0);
}

TEST(TexturerStamp, MissingTexturePaintsNothing) {
    TextureImage img(6, 6, 3, false, 50);
    stampTexture(img.view(), PreparedTexture{}, 3, 3, 6, 25);
    EXPECT_EQ(img.result, img.source);
}

TEST(TexturerEraser, FullWeightRestoresTheSourceExactlyInsideTheDisc) {
    TextureImage img(12, 12, 3, true, 0);
    for (size_t i = 0; i < img.source.size(); ++i)
        if (i % 4 != 3) img.source[i] = uint8_t(i * 7), img.result[i] = uint8_t(255 - i);
    img.at(6, 6)[3] = 17;  // transparency of the result is never written
    const std::vector<uint8_t> before = img.result;
    restoreTexture(img.view(), 6, 6, 8, 100);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = (x - 6) * (x - 6) + (y - 6) * (y - 6) < 16;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(img.at(x, y)[c], inside ? img.sourceAt(x, y)[c] : before[(y * 12 + x) * 4 + c]);
        }
    EXPECT_EQ(img.at(6, 6)[3], 17);

    TextureImage q(5, 5, 3, false, 0);
    q.result.assign(q.result.size(), 200);
    restoreTexture(q.view(), 2, 2, 4, 25);
    EXPECT_EQ(q.at(2, 2)[0], 150);  // a quarter of the way back
    restoreTexture(q.view(), 2, 2, 1, 100);  // r = 0: nothing
    EXPECT_EQ(q.at(2, 2)[0], 150);
}

namespace {
std::vector<std::pair<int, int>> gPlaced;
void record(void*, const Dab& d) { gPlaced.emplace_back(d.x, d.y); }
Dab at(int x, int y, int size) { return Dab{int16_t(x), int16_t(y), int16_t(size), 7, 500, 0}; }
using Points = std::vector<std::pair<int, int>>;
}  // namespace

TEST(TexturerWalk, StepsASixthOfTheSizeAndCarriesOverASegmentEnd) {
    TextureWalk walk;
    gPlaced.clear();
    walkTextureSegment(walk, at(0, 0, 12), at(7, 0, 12), 100, 100, record, nullptr);
    EXPECT_EQ(gPlaced, (Points{{0, 0}, {2, 0}, {4, 0}, {6, 0}}));
    EXPECT_TRUE(walk.carry);
    gPlaced.clear();  // carried: starts one pixel on, and lands on the sample, which it leaves
    walkTextureSegment(walk, at(7, 0, 12), at(12, 0, 12), 100, 100, record, nullptr);
    EXPECT_EQ(gPlaced, (Points{{8, 0}, {10, 0}}));
    EXPECT_FALSE(walk.carry);
    gPlaced.clear();
    walkTextureSegment(walk, at(12, 0, 12), at(5, 0, 12), 100, 100, record, nullptr);
    EXPECT_EQ(gPlaced, (Points{{12, 0}, {10, 0}, {8, 0}, {6, 0}}));
}

TEST(TexturerWalk, MinorAxisRoundsHalfUpAndCarriedStartAddsHalfAStep) {
    TextureWalk walk;
    gPlaced.clear();
    walkTextureSegment(walk, at(0, 0, 6), at(2, 4, 6), 100, 100, record, nullptr);
    EXPECT_EQ(gPlaced, (Points{{0, 0}, {1, 1}, {1, 2}, {2, 3}}));
    EXPECT_FALSE(walk.carry);
    walk.carry = true;
    gPlaced.clear();  // x-major, slope 2/9, step 2: starts at x 1, y 2/9
    walkTextureSegment(walk, at(0, 0, 12), at(9, 2, 12), 100, 100, record, nullptr);
    EXPECT_EQ(gPlaced, (Points{{1, 0}, {3, 1}, {5, 1}, {7, 2}}));
    gPlaced.clear();
    walkTextureSegment(walk, at(-20, -5, 12), at(-3, -1, 12), 100, 100, record, nullptr);
    EXPECT_TRUE(gPlaced.empty());
}

TEST(TexturerPreparation, SizesFollowTheScaleRoundedToNearest) {
    const struct { int w, h, scale, W, H; } cases[] = {
        {96, 96, 50, 48, 48}, {96, 96, 150, 144, 144}, {300, 189, 50, 150, 95}, {300, 189, 150, 450, 284}};
    for (const auto& c : cases) {
        PreparedTexture t;
        ASSERT_TRUE(prepareTexture(rampBitmap(c.w, c.h), c.scale, 180, 50, t));
        EXPECT_EQ(t.width, c.W);
        EXPECT_EQ(t.height, c.H);
        EXPECT_EQ(t.rowBytes % 4, 0);
        EXPECT_EQ(t.rowBytes, (c.W * 3 + 3) / 4 * 4);
        EXPECT_EQ(t.texels.size(), size_t(t.rowBytes) * c.H);
    }
}

TEST(TexturerPreparation, CentreRuleRowsTopFirstAndZeroPadding) {
    PreparedTexture t;
    ASSERT_TRUE(prepareTexture(rampBitmap(4, 3), 150, 180, 50, t));  // 6 x 5 (4.5 rounds up)
    ASSERT_EQ(t.width, 6);
    ASSERT_EQ(t.height, 5);
    const int columns[6] = {0, 1, 1, 2, 3, 3}, rows[5] = {0, 0, 1, 2, 2};
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x) {
            uint8_t rgb[3] = {uint8_t(columns[x] * 40 + 1), uint8_t(rows[y] * 40 + 2), 7};
            adjustTexel(180, 50, rgb);
            EXPECT_EQ(t.texel(x, y)[2], rgb[0]) << x;
            EXPECT_EQ(t.texel(x, y)[1], rgb[1]) << y;
            EXPECT_EQ(t.texel(x, y)[0], rgb[2]);
        }
        EXPECT_EQ(t.texels[size_t(y) * t.rowBytes + 18], 0);  // 18 bytes of texels, 2 of padding
        EXPECT_EQ(t.texels[size_t(y) * t.rowBytes + 19], 0);
    }
    EXPECT_FALSE(prepareTexture(DecodedBitmap{}, 100, 180, 50, t));
    EXPECT_FALSE(t.ready());
}

TEST(TexturerColour, GreyKeepsItsLevelUnderAnyHue) {
    for (int level = 0; level < 256; ++level)
        for (int hue = 0; hue <= 360; hue += 15) {
            uint8_t rgb[3] = {uint8_t(level), uint8_t(level), uint8_t(level)};
            adjustTexel(hue, 50, rgb);
            // V x 2.55 truncated: levels come back as they went in, or one lower.
            EXPECT_EQ(rgb[0], rgb[1]);
            EXPECT_EQ(rgb[1], rgb[2]);
            EXPECT_LE(level - rgb[0], 1) << level;
            EXPECT_GE(level - rgb[0], 0) << level;
        }
}

TEST(TexturerColour, HueRotatesAndIntensityShiftsValueByHalf) {
    uint8_t red[3] = {255, 0, 0};
    adjustTexel(300, 50, red);  // +120 degrees: green
    EXPECT_EQ(red[0], 0);
    EXPECT_EQ(red[1], 255);
    EXPECT_EQ(red[2], 0);
    uint8_t dim[3] = {255, 0, 0};
    adjustTexel(180, 0, dim);  // value 100 -> 50
    EXPECT_EQ(dim[0], 127);
    EXPECT_EQ(dim[1], 0);
    uint8_t grey[3] = {200, 200, 200};
    adjustTexel(180, 0, grey);  // 78.4 - 50 = 28.4 per cent
    EXPECT_EQ(grey[0], 72);
    uint8_t bright[3] = {200, 200, 200};
    adjustTexel(90, 100, bright);  // clamped at 100 per cent; trunc(100 x 2.55) is 254 in doubles
    EXPECT_EQ(bright[0], 254);
    EXPECT_EQ(bright[2], 254);
    uint8_t black[3] = {0, 0, 0};
    adjustTexel(180, 100, black);
    EXPECT_EQ(black[0], 127);
    for (int c = 0; c < 4096; ++c) {
        uint8_t a[3] = {uint8_t(c * 37), uint8_t(c * 101 >> 2), uint8_t(c * 13 + 5)};
        uint8_t b[3] = {a[0], a[1], a[2]};
        adjustTexel(0, 61, a);
        adjustTexel(360, 61, b);
        ASSERT_EQ(a[0], b[0]);
        ASSERT_EQ(a[1], b[1]);
        ASSERT_EQ(a[2], b[2]);
    }
}

TEST(TexturerParams, DefaultsAndReset) {
    const TexturerParams d = texturerDefaults();
    EXPECT_EQ(d.brushSize, 25);
    EXPECT_EQ(d.scale, 100);
    EXPECT_EQ(d.textureIndex, 4);
    EXPECT_EQ(d.sizeSource, 1);
    EXPECT_EQ(d.hue, 180);
    EXPECT_EQ(d.intensity, 50);
    EXPECT_EQ(d.opacitySource, 1);
    EXPECT_EQ(d.opacity, 50);
    EXPECT_EQ(texturerResetParams().opacitySource, 2);
}
