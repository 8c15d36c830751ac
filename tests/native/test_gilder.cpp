// gilder's pixels: the ends of the metal range through the tone curves, the levels, the
// converging dab, CMYK, the eraser, the stepped walk, the grey textures and the curves.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "filters/gilder/gilder_core.h"
#include "filters/texture_common/texture_walk.h"
#include "tests/native/texture_image.h"

namespace {

GreyTexture solidGrey(int w, int h, uint8_t level) {
    GreyTexture t;
    t.width = w;
    t.height = h;
    t.rowBytes = (w + 3) & ~3;
    t.texels.assign(size_t(t.rowBytes) * h, level);
    return t;
}

GreyTexture randomGrey(int w, int h, unsigned seed) {
    GreyTexture t = solidGrey(w, h, 0);
    std::mt19937 rng(seed);
    for (auto& v : t.texels) v = uint8_t(rng());
    return t;
}

void randomise(std::vector<uint8_t>& bytes, unsigned seed) {
    std::mt19937 rng(seed);
    for (auto& v : bytes) v = uint8_t(rng());
}

}  // namespace

TEST(GilderDab, DefaultsMapBlackToTheDarkEndAndWhiteToTheLightEnd) {
    const GilderParams p = gilderDefaults();
    const GildColours gold = gildColours(p.metal, false, p.lightLevel, p.darkLevel);
    TextureImage black(8, 8, 3, false, 0);
    gildDab(black.view(), solidGrey(4, 4, 0), gold, 4, 4, 6);
    EXPECT_EQ(black.at(4, 4)[0], kToneRgb[97]);
    EXPECT_EQ(black.at(4, 4)[1], kToneRgb[77]);
    EXPECT_EQ(black.at(4, 4)[2], kToneRgb[0]);
    TextureImage white(8, 8, 3, false, 255);
    gildDab(white.view(), solidGrey(4, 4, 255), gold, 4, 4, 6);
    EXPECT_EQ(white.at(4, 4)[0], kToneRgb[255]);
    EXPECT_EQ(white.at(4, 4)[1], kToneRgb[227]);
    EXPECT_EQ(white.at(4, 4)[2], kToneRgb[122]);
    EXPECT_EQ(white.at(0, 0)[0], 255);  // outside the disc's square

    // Reversed levels: white takes the dark end, black the light end.
    const GildColours reversed = gildColours(1, false, 0, 255);
    TextureImage w2(8, 8, 3, false, 255), b2(8, 8, 3, false, 0);
    gildDab(w2.view(), solidGrey(4, 4, 255), reversed, 4, 4, 6);
    gildDab(b2.view(), solidGrey(4, 4, 0), reversed, 4, 4, 6);
    EXPECT_EQ(w2.at(4, 4)[0], kToneRgb[64]);
    EXPECT_EQ(b2.at(4, 4)[0], kToneRgb[255]);
}

TEST(GilderDab, EqualLevelsGiveOneColourEverywhere) {
    for (int level : {0, 1, 100, 137, 254, 255}) {
        const GildColours c = gildColours(0, false, level, level);
        TextureImage img(40, 40, 3, false, 0);
        randomise(img.source, unsigned(level));
        gildDab(img.view(), randomGrey(7, 5, 9), c, 20, 20, 40);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                if ((x - 19.5) * (x - 19.5) + (y - 19.5) * (y - 19.5) > 17 * 17) continue;  // full cover
                for (int k = 0; k < 3; ++k) ASSERT_EQ(img.at(x, y)[k], c.curve[k][c.dark[k]]) << level;
            }
    }
}

TEST(GilderDab, ASecondDabChangesNoFullyCoveredPixel) {
    const GildColours c = gildColours(0, false, 200, 30);
    TextureImage img(30, 30, 3, false, 0);
    randomise(img.source, 5);
    img.result = img.source;
    const GreyTexture tex = randomGrey(9, 11, 3);
    gildDab(img.view(), tex, c, 15, 15, 20);
    const std::vector<uint8_t> once = img.result;
    EXPECT_NE(once, img.source);
    gildDab(img.view(), tex, c, 15, 15, 20);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if ((x - 14.5) * (x - 14.5) + (y - 14.5) * (y - 14.5) < 8 * 8) {
                for (int k = 0; k < 3; ++k) ASSERT_EQ(img.at(x, y)[k], once[(y * 30 + x) * 3 + k]);
            }
}

TEST(GilderDab, CmykEndsUseTheirOwnCurvesAndLeaveTransparency) {
    const GildColours c = gildColours(0, true, 255, 0);
    TextureImage dark(6, 6, 4, true, 0), light(6, 6, 4, true, 255);
    for (int x = 0; x < 6; ++x) dark.sourceAt(x, 3)[4] = dark.at(x, 3)[4] = 200;
    dark.sourceAt(2, 2)[4] = 0;  // fully transparent in the source: skipped
    gildDab(dark.view(), solidGrey(2, 2, 0), c, 3, 3, 6);
    gildDab(light.view(), solidGrey(2, 2, 255), c, 3, 3, 6);
    const uint8_t* d = dark.at(3, 3);
    EXPECT_EQ(d[0], kToneC[158]);
    EXPECT_EQ(d[1], kToneMY[150]);
    EXPECT_EQ(d[2], kToneMY[0]);
    EXPECT_EQ(d[3], kToneK[125]);
    EXPECT_EQ(d[4], 200);
    EXPECT_EQ(dark.at(2, 2)[0], 0);
    const uint8_t* l = light.at(3, 3);
    EXPECT_EQ(l[0], kToneC[199]);
    EXPECT_EQ(l[1], kToneMY[255]);
    EXPECT_EQ(l[2], kToneMY[82]);
    EXPECT_EQ(l[3], kToneK[255]);
    EXPECT_EQ(l[4], 255);
    const GildColours silver = gildColours(1, true, 255, 0);
    EXPECT_EQ(silver.dark[3], 0);
    EXPECT_EQ(silver.light[3], 255);
}

TEST(GilderDab, MissingTextureAndMaskPaintNothing) {
    const GildColours c = gildColours(0, false, 255, 0);
    TextureImage img(6, 6, 3, false, 40);
    gildDab(img.view(), GreyTexture{}, c, 3, 3, 6);
    EXPECT_EQ(img.result, img.source);
    img.mask.assign(36, 0);
    gildDab(img.view(), solidGrey(1, 1, 128), c, 3, 3, 6);
    EXPECT_EQ(img.result, img.source);
}

TEST(GilderEraser, PressureWeightsTheRestore) {
    TextureImage img(9, 9, 3, false, 0);
    img.result.assign(img.result.size(), 200);
    restoreGild(img.view(), 4, 4, 6, 512, 1024);
    EXPECT_EQ(img.at(4, 4)[0], 100);
    restoreGild(img.view(), 4, 4, 6, 9, 0);  // no pressure range: full restore
    EXPECT_EQ(img.at(4, 4)[0], 0);
    EXPECT_EQ(img.at(0, 0)[0], 200);
    restoreGild(img.view(), 0, 0, 6, 4000, 1024);  // clamped to 1
    EXPECT_EQ(img.at(0, 0)[0], 0);
}

namespace {
std::vector<Dab> gDabs;
void keep(void*, const Dab& d) { gDabs.push_back(d); }
Dab dabAt(int x, int y, int size, int amount) {
    return Dab{int16_t(x), int16_t(y), int16_t(size), int16_t(amount), 600, 0};
}
}  // namespace

TEST(GilderWalk, StepsAFifthOfTheSizeFromTheLeftEnd) {
    gDabs.clear();
    walkSteppedSegment(dabAt(9, 3, 10, 1), dabAt(0, 0, 30, 2), 100, 100, keep, nullptr);
    const int xs[] = {0, 2, 4, 6, 8}, ys[] = {0, 0, 1, 2, 2};
    ASSERT_EQ(gDabs.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(gDabs[i].x, xs[i]);
        EXPECT_EQ(gDabs[i].y, ys[i]);
        EXPECT_EQ(gDabs[i].size, 10);   // the first sample's size
        EXPECT_EQ(gDabs[i].amount, 2);  // the left end's other fields
    }
    gDabs.clear();
    walkSteppedSegment(dabAt(5, 9, 4, 1), dabAt(5, 2, 4, 1), 100, 100, keep, nullptr);
    ASSERT_EQ(gDabs.size(), 8u);  // size 4: step 1
    EXPECT_EQ(gDabs.front().y, 2);
    EXPECT_EQ(gDabs.back().y, 9);
    gDabs.clear();
    walkSteppedSegment(dabAt(-9, -9, 4, 1), dabAt(-2, -2, 4, 1), 100, 100, keep, nullptr);
    EXPECT_TRUE(gDabs.empty());
}

TEST(GilderParams, Defaults) {
    const GilderParams d = gilderDefaults();
    EXPECT_EQ(d.brushSize, 25);
    EXPECT_EQ(d.scale, 100);
    EXPECT_EQ(d.metal, 0);
    EXPECT_EQ(d.textureIndex, 4);
    EXPECT_EQ(d.lightLevel, 255);
    EXPECT_EQ(d.darkLevel, 0);
    EXPECT_EQ(d.sizeSource, 1);
}

TEST(GilderToneCurves, PassThroughTheirRowsWithTheirShapes) {
    const int index[11] = {0, 32, 64, 96, 128, 160, 192, 208, 224, 240, 255};
    const int rgb[11] = {0, 2, 14, 45, 105, 196, 246, 253, 254, 251, 246};
    const int c[11] = {0, 15, 90, 200, 255, 255, 255, 255, 255, 255, 255};
    const int my[11] = {0, 1, 5, 15, 35, 67, 115, 145, 180, 217, 253};
    const int k[11] = {0, 3, 18, 53, 104, 162, 207, 221, 236, 245, 255};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(kToneRgb[index[i]], rgb[i]) << index[i];
        EXPECT_EQ(kToneC[index[i]], c[i]) << index[i];
        EXPECT_EQ(kToneMY[index[i]], my[i]) << index[i];
        EXPECT_EQ(kToneK[index[i]], k[i]) << index[i];
    }
    for (int i = 1; i < 256; ++i) {
        EXPECT_GE(kToneC[i], kToneC[i - 1]) << i;
        EXPECT_GE(kToneMY[i], kToneMY[i - 1]) << i;
        EXPECT_GE(kToneK[i], kToneK[i - 1]) << i;
        if (i <= 209) { EXPECT_GE(kToneRgb[i], kToneRgb[i - 1]) << i; }
        if (i > 224) { EXPECT_LE(kToneRgb[i], kToneRgb[i - 1]) << i; }
        if (i >= 116) { EXPECT_EQ(kToneC[i], 255) << i; } else { EXPECT_LT(kToneC[i], 255) << i; }
        if (i <= 17) { EXPECT_EQ(kToneRgb[i], 0) << i; }
        EXPECT_LE(kToneRgb[i], 254);
    }
    EXPECT_EQ(kToneRgb[209], 254);
    EXPECT_LT(kToneRgb[208], 254);
    EXPECT_GT(kToneRgb[18], 0);
}

namespace {
DecodedBitmap loadGilder(const char* file, std::vector<uint8_t>* bytes = nullptr) {
    const std::vector<uint8_t> data = readFileBytes(std::string(KX_SOURCE_DIR) + "/resources/gilder/textures/" + file);
    if (bytes) *bytes = data;
    DecodedBitmap b;
    EXPECT_EQ(decodeBmpFile(data.data(), data.size(), b), BitmapError::none) << file;
    return b;
}
}  // namespace

TEST(GilderTextures, Rle8WithPalettesTheirSizesAndNoSeam) {
    for (const GilderTextureEntry& t : kGilderTextures) {
        std::vector<uint8_t> file;
        const DecodedBitmap b = loadGilder(t.file, &file);
        ASSERT_GT(file.size(), 54u + 1024u) << t.file;
        EXPECT_EQ(file[28], 8) << t.file;   // bits per pixel
        EXPECT_EQ(file[30], 1) << t.file;   // RLE8
        EXPECT_EQ(b.width, t.width) << t.file;
        EXPECT_EQ(b.height, t.height) << t.file;
        bool greyPalette = true;
        for (int i = 0; i < 256; ++i)
            greyPalette &= b.palette[i * 4] == i && b.palette[i * 4 + 1] == i && b.palette[i * 4 + 2] == i;
        EXPECT_EQ(greyPalette, std::string(t.file) != "blank.bmp") << t.file;
        // No seam: the step across each edge is no larger than the largest inside.
        for (bool columns : {true, false}) {
            const int n = columns ? b.width : b.height, m = columns ? b.height : b.width;
            auto diff = [&](int i, int j) {
                double s = 0;
                for (int k = 0; k < m; ++k)
                    s += columns ? std::abs(b.pixels[size_t(k) * b.width + i] - b.pixels[size_t(k) * b.width + j])
                                 : std::abs(b.pixels[size_t(i) * b.width + k] - b.pixels[size_t(j) * b.width + k]);
                return s / m;
            };
            double inside = 0;
            for (int i = 0; i + 1 < n; ++i) inside = std::max(inside, diff(i, i + 1));
            EXPECT_LE(diff(n - 1, 0), inside * 1.05) << t.file << (columns ? " columns" : " rows");
        }
    }
}

TEST(GilderTextures, BlankIsOneLightBlueThatPreparesToUniformGrey) {
    const DecodedBitmap b = loadGilder("blank.bmp");
    GreyTexture g;
    ASSERT_TRUE(prepareGreyTexture(b, 50, g));
    EXPECT_EQ(g.width, 16);
    EXPECT_EQ(g.rowBytes, 16);
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x) ASSERT_EQ(g.at(x, y), 221);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            int r, gr, bl;
            bitmapRgb(b, x, y, r, gr, bl);
            ASSERT_EQ(r, 204);
            ASSERT_EQ(gr, 204);
            ASSERT_EQ(bl, 255);
        }
    const DecodedBitmap wall = loadGilder("wal_3b.bmp");
    ASSERT_TRUE(prepareGreyTexture(wall, 150, g));
    EXPECT_EQ(g.width, 276);
    EXPECT_EQ(g.height, 243);
    EXPECT_EQ(g.at(0, 0), wall.pixels[0]);  // grey entries keep their level; top row first
    EXPECT_EQ(g.at(275, 242), wall.pixels.back());
}
