// spotclean's pixels: the median selection, cleanPixel, the capDab disc, the row and
// column steps and the eraser.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "filters/spotclean/median.h"
#include "filters/spotclean/speck_core.h"
#include "filters/spotclean/spot_dabs.h"
#include "filters/spotclean/spot_params.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "tests/native/fake_platform.h"
#include "tests/native/speck_image.h"

namespace {

// ---- Median selection --------------------------------------------------------------

TEST(SelectRank, EveryRankOfASmallSet) {
    const uint8_t set[] = {7, 3, 9, 3, 1};
    const uint8_t expected[] = {1, 3, 3, 7, 9};
    for (int rank = 1; rank <= 5; ++rank) {
        uint8_t values[5], scratch[5];
        std::copy(std::begin(set), std::end(set), values);
        EXPECT_EQ(selectRank(values, 5, rank, scratch), expected[rank - 1]) << "rank " << rank;
    }
}

TEST(SelectRank, AgreesWithSortingOnRandomBlocks) {
    std::mt19937 rng(1234);
    std::vector<uint8_t> values(1089), scratch(1089), sorted;
    int cases = 0;
    for (; cases < 6000; ++cases) {
        const int n = std::uniform_int_distribution<int>(1, 1089)(rng);
        // Narrow alphabets give long runs of equal values, which the partition drops.
        const int alphabet = std::uniform_int_distribution<int>(1, cases % 3 == 0 ? 4 : 256)(rng);
        const int base = std::uniform_int_distribution<int>(0, 256 - alphabet)(rng);
        std::uniform_int_distribution<int> pick(base, base + alphabet - 1);
        for (int i = 0; i < n; ++i) values[i] = uint8_t(pick(rng));
        if (cases % 5 == 1) std::sort(values.begin(), values.begin() + n);  // presorted
        if (cases % 5 == 2) std::sort(values.begin(), values.begin() + n, std::greater<>());
        sorted.assign(values.begin(), values.begin() + n);
        std::sort(sorted.begin(), sorted.end());
        const int rank = cases % 2 ? (n + 1) / 2 : std::uniform_int_distribution<int>(1, n)(rng);
        ASSERT_EQ(selectRank(values.data(), n, rank, scratch.data()), sorted[rank - 1])
            << "case " << cases << " n " << n << " rank " << rank;
    }
    EXPECT_EQ(cases, 6000);
}

// ---- Fixture: spotclean with its work blocks over a SpeckImage ----------------------

class SpeckRemoval : public ::testing::Test {
protected:
    SpeckImage img;
    const EffectHooks& hooks = *kSpotcleanModule.hooks;

    void SetUp() override {
        resetFake(kSpotcleanModule);
        ASSERT_TRUE(hooks.initBuffers());
        gSpotParams.buildup = 0;
        gPlugin.record = &img.record;
    }
    void TearDown() override {
        hooks.freeBuffers();
        EXPECT_EQ(gFake.liveBlocks, 0);
        gPlugin.record = nullptr;
    }
    static Dab dab(int x, int y, int size, int amount) {
        return Dab{int16_t(x), int16_t(y), int16_t(size), int16_t(amount), 1000, 0};
    }
    static Dab eraser(int x, int y, int size, int amount) {
        Dab d = dab(x, y, size, amount);
        d.inverted = 1;
        return d;
    }
};

// ---- cleanPixel ----------------------------------------------------------------------

TEST_F(SpeckRemoval, SideOneHalvesEveryValueDownToEven) {
    std::mt19937 rng(7);
    img.setUp(9, 6, plugInModeRGBColor, 3);
    img.noise(rng);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) cleanPixel(x, y, 1);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(img.outAt(x, y, c), 2 * (img.inAt(x, y, c) >> 1));
}

TEST_F(SpeckRemoval, WhiteBecomes254UnderTheBrush) {
    img.setUp(12, 12, plugInModeGrayScale, 1);
    img.fill([](int, int, int) { return 255; });
    hooks.capDab(dab(6, 6, 7, 5));
    EXPECT_EQ(img.outAt(6, 6, 0), 254);
    EXPECT_EQ(img.outAt(3, 6, 0), 254);
    EXPECT_EQ(img.outAt(0, 0, 0), 255) << "outside the disc";
    for (uint8_t v : img.resultPixels()) ASSERT_TRUE(v == 254 || v == 255);
}

// Gray values (channel 0), their mirror 255 - v (channel 1) and a constant (channel 2):
//   10 200  30   5
//   50  60  70 250
//  150 100 200   9
TEST_F(SpeckRemoval, CornersRepeatTheBorderPixels) {
    const int gray[3][4] = {{10, 200, 30, 5}, {50, 60, 70, 250}, {150, 100, 200, 9}};
    img.setUp(4, 3, plugInModeRGBColor, 3);
    img.fill([&](int x, int y, int c) { return c == 0 ? gray[y][x] : c == 1 ? 255 - gray[y][x] : 77; });
    const struct {
        int x, y;
        uint8_t r, g, b;
    } expected[] = {
        {0, 0, 30, 224, 76},    // median 50 of 10,10,10,10,50,50,60,200,200
        {3, 0, 17, 237, 76},    // median 30 of 5,5,5,5,30,30,70,250,250
        {0, 2, 125, 129, 76},   // median 100 of 50,50,60,100,100,150,150,150,150
        {3, 2, 39, 215, 76},    // median 70 of 9,9,9,9,70,200,200,250,250
        {1, 1, 65, 189, 76},    // inside: median 70 of all nine
    };
    for (const auto& e : expected) cleanPixel(e.x, e.y, 3);
    for (const auto& e : expected) {
        EXPECT_EQ(img.outAt(e.x, e.y, 0), e.r) << e.x << "," << e.y;
        EXPECT_EQ(img.outAt(e.x, e.y, 1), e.g) << e.x << "," << e.y;
        EXPECT_EQ(img.outAt(e.x, e.y, 2), e.b) << e.x << "," << e.y;
    }
    EXPECT_EQ(img.outAt(2, 0, 0), 30) << "a pixel not asked for";
}

TEST_F(SpeckRemoval, MatchesASortingReferenceAnywhereInTheImage) {
    std::mt19937 rng(99);
    const std::pair<int16_t, int16_t> kinds[] = {{plugInModeGrayScale, 1},
                                                 {plugInModeRGBColor, 3},
                                                 {plugInModeCMYKColor, 4},
                                                 {plugInModeRGBColor, 4}};
    int checked = 0;
    for (int round = 0; round < 40; ++round) {
        const auto [mode, planes] = kinds[round % 4];
        const int w = std::uniform_int_distribution<int>(1, 40)(rng);
        const int h = std::uniform_int_distribution<int>(1, 40)(rng);
        img.setUp(w, h, mode, planes);
        img.noise(rng);
        if (planes == 4 && mode == plugInModeRGBColor)  // opaque, so every pixel counts
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) img.inAt(x, y, 3) = img.outAt(x, y, 3) = 255;
        gSpotParams.buildup = round % 2;
        const int channels = processedChannels(img.record);
        for (int i = 0; i < 30; ++i) {
            const int x = std::uniform_int_distribution<int>(0, w - 1)(rng);
            const int y = std::uniform_int_distribution<int>(0, h - 1)(rng);
            const int k = std::uniform_int_distribution<int>(1, kSpotMaxSide)(rng);
            const bool fromResult = gSpotParams.buildup;
            uint8_t expected[4];
            for (int c = 0; c < channels; ++c) {
                const uint8_t cur = fromResult ? img.outAt(x, y, c) : img.inAt(x, y, c);
                expected[c] = uint8_t((img.referenceMedian(x, y, k, c, fromResult) >> 1) + (cur >> 1));
            }
            cleanPixel(x, y, k);
            for (int c = 0; c < channels; ++c)
                ASSERT_EQ(img.outAt(x, y, c), expected[c])
                    << "round " << round << " at " << x << "," << y << " k " << k << " c " << c;
            ++checked;
        }
    }
    EXPECT_EQ(checked, 1200);
}

TEST_F(SpeckRemoval, TransparentMaskedAndOutsidePixelsAreLeftAlone) {
    img.setUp(5, 4, plugInModeRGBColor, 4, /*withMask=*/true);
    // (1, 1) is not there in the source: transparency 0.
    img.fill([](int x, int y, int c) {
        return c == 3 ? (x == 1 && y == 1 ? 0 : 200) : 1 + 50 * c + 7 * x + 3 * y;
    });
    img.maskAt(3, 2) = 0;   // not selected
    const std::vector<uint8_t> before = img.resultPixels();
    for (int y = -1; y <= img.height; ++y)
        for (int x = -1; x <= img.width; ++x) cleanPixel(x, y, 1);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(img.outAt(1, 1, c), img.inAt(1, 1, c)) << c;
        EXPECT_EQ(img.outAt(3, 2, c), img.inAt(3, 2, c)) << c;
    }
    EXPECT_EQ(img.outAt(0, 0, 0), 0) << "1 halves to 0 where the pixel takes part";
    EXPECT_EQ(img.outAt(2, 2, 1), 2 * ((51 + 14 + 6) >> 1));
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            EXPECT_EQ(img.outAt(x, y, 3), img.inAt(x, y, 3)) << "alpha is never written";
    EXPECT_NE(img.resultPixels(), before);
}

// ---- capDab and the disc -------------------------------------------------------------

struct Span {
    int y, x0, x1;
    bool operator==(const Span& o) const { return y == o.y && x0 == o.x0 && x1 == o.x1; }
};
void record(void* context, int y, int x0, int x1) {
    static_cast<std::vector<Span>*>(context)->push_back({y, x0, x1});
}

TEST(CapDisc, SizeOneVisitsTheCentreRowTwiceThenTheRowAboveTwice) {
    std::vector<Span> spans;
    walkCapDisc(10, 20, 1, record, &spans);
    const std::vector<Span> expected = {{20, 9, 10}, {20, 9, 10}, {19, 10, 10}, {19, 10, 10}};
    EXPECT_EQ(spans, expected);
}

TEST(CapDisc, SizeNineRowsInMidpointOrder) {
    std::vector<Span> spans;
    walkCapDisc(50, 40, 9, record, &spans);  // r = 4
    const std::vector<Span> expected = {
        {40, 46, 54}, {40, 46, 54},  // centre, twice
        {41, 46, 54}, {39, 46, 54},  // offset 1, half-width 4
        {44, 49, 51}, {36, 49, 51},  // offset 4, half-width 1
        {42, 47, 53}, {38, 47, 53},  // offset 2, half-width 3
        {43, 47, 53}, {37, 47, 53},  // offset 3, half-width 3
    };
    EXPECT_EQ(spans, expected);
}

TEST(CapDisc, SizeTwoRepeatsTheRowsAboveAndBelow) {
    std::vector<Span> spans;
    walkCapDisc(0, 0, 2, record, &spans);  // r = 1: box columns and rows -1 .. 1
    const std::vector<Span> expected = {{0, -1, 1}, {0, -1, 1}, {1, 0, 0}, {-1, 0, 0}, {1, 0, 0}, {-1, 0, 0}};
    EXPECT_EQ(spans, expected);
}

// Three specks of 0 in 200, k = 3, buildup on: one pass halves a speck's distance to
// 200 (0 -> 100), a second pass halves it again (100 -> 150).
TEST_F(SpeckRemoval, SizeOneCapProcessesEachOfItsThreePixelsTwice) {
    img.setUp(4, 3, plugInModeGrayScale, 1);
    img.fill([](int x, int y, int) { return (x == 0 && y == 1) || (x == 1 && y <= 1) ? 0 : 200; });
    gSpotParams.buildup = 1;
    hooks.capDab(dab(1, 1, 1, 3));
    EXPECT_EQ(img.outAt(0, 1, 0), 150);
    EXPECT_EQ(img.outAt(1, 1, 0), 150);
    EXPECT_EQ(img.outAt(1, 0, 0), 150);
    EXPECT_EQ(img.outAt(2, 1, 0), 200);
    EXPECT_EQ(img.outAt(0, 0, 0), 200);
}

TEST_F(SpeckRemoval, WithoutBuildupASecondPassChangesNothing) {
    std::mt19937 rng(5);
    img.setUp(30, 20, plugInModeRGBColor, 3);
    img.noise(rng);
    hooks.capDab(dab(12, 9, 15, 5));
    hooks.stepDab(dab(13, 9, 15, 5), kSpanColumn, 15);
    const std::vector<uint8_t> once = img.resultPixels();
    hooks.capDab(dab(12, 9, 15, 5));
    hooks.stepDab(dab(13, 9, 15, 5), kSpanColumn, 15);
    EXPECT_EQ(img.resultPixels(), once);
    img.resetResult();
    EXPECT_NE(img.resultPixels(), once) << "the first pass did change the image";
}

TEST_F(SpeckRemoval, WithBuildupEachPassSmoothsFurther) {
    std::mt19937 rng(6);
    img.setUp(30, 20, plugInModeRGBColor, 3);
    img.noise(rng);
    gSpotParams.buildup = 1;
    auto spread = [&] {  // sum of absolute differences between horizontal neighbours
        long sum = 0;
        for (int y = 5; y < 15; ++y)
            for (int x = 8; x < 17; ++x)
                for (int c = 0; c < 3; ++c) sum += std::abs(img.outAt(x + 1, y, c) - img.outAt(x, y, c));
        return sum;
    };
    const long original = spread();
    hooks.capDab(dab(12, 9, 15, 5));
    const long once = spread();
    const std::vector<uint8_t> first = img.resultPixels();
    hooks.capDab(dab(12, 9, 15, 5));
    EXPECT_NE(img.resultPixels(), first);
    EXPECT_LT(once, original);
    EXPECT_LT(spread(), once);
}

// ---- stepDab -------------------------------------------------------------------------

TEST_F(SpeckRemoval, StepFiltersOneLineAcrossTheMotion) {
    img.setUp(9, 7, plugInModeGrayScale, 1);
    img.fill([](int, int, int) { return 101; });  // k = 1 turns 101 into 100
    hooks.stepDab(dab(4, 3, 4, 1), kSpanRow, 99);  // r = 2: columns 2 .. 6
    hooks.stepDab(dab(1, 5, 4, 1), kSpanRow, 1);   // columns -1 .. 3, clipped
    hooks.stepDab(dab(7, 0, 5, 1), kSpanColumn, 1);  // rows -2 .. 3, clipped
    hooks.stepDab(dab(4, 3, 4, 1), 1, 1);           // no such direction
    const std::vector<std::string> expected = {
        ".......#.",
        ".......#.",
        ".......#.",
        "..######.",
        ".........",
        "####.....",
        ".........",
    };
    EXPECT_EQ(img.changedRows(), expected);
}

// ---- restoreDab (eraser) -------------------------------------------------------------

TEST_F(SpeckRemoval, FullEraserRestoresTheDiscExactly) {
    std::mt19937 rng(8);
    img.setUp(10, 10, plugInModeRGBColor, 3);
    img.noise(rng);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            for (int c = 0; c < 3; ++c) img.outAt(x, y, c) = uint8_t(img.inAt(x, y, c) ^ 0x5A);
    hooks.restoreDab(eraser(5, 4, 8, 15), kSpanRow, 8);  // r = 4
    const std::vector<std::string> restored = {
        "..........", "...#####..", "..#######.", "..#######.", "..#######.",
        "..#######.", "..#######.", "...#####..", "..........", "..........",
    };
    std::vector<std::string> same;
    for (int y = 0; y < 10; ++y) {
        std::string row;
        for (int x = 0; x < 10; ++x) {
            bool equal = true;
            for (int c = 0; c < 3; ++c) equal &= img.outAt(x, y, c) == img.inAt(x, y, c);
            row += equal ? '#' : '.';
        }
        same.push_back(row);
    }
    EXPECT_EQ(same, restored);
}

TEST_F(SpeckRemoval, EraserAmountZeroAndSizeOneChangeNothing) {
    img.setUp(8, 8, plugInModeRGBColor, 3);
    img.fill([](int x, int y, int c) { return 3 * x + 5 * y + 60 * c; });
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) img.outAt(x, y, 0) = 0;
    const std::vector<uint8_t> before = img.resultPixels();
    hooks.restoreDab(eraser(4, 4, 7, 0), kSpanRow, 7);
    hooks.restoreDab(eraser(4, 4, 1, 15), kSpanRow, 1);  // radius 0: empty disc
    EXPECT_EQ(img.resultPixels(), before);
}

// Amount 5 moves each value a third of the way (f = 0.33333334f) towards the source,
// truncated toward zero; a value equal to its source stays, however often the eraser
// passes (weights f and 1 - f rounded apart would drift it down a level per dab).
TEST_F(SpeckRemoval, PartialEraserMovesTowardTheSourceAndKeepsRestoredPixels) {
    img.setUp(3, 1, plugInModeGrayScale, 1);
    const uint8_t source[3] = {240, 30, 200}, result[3] = {30, 240, 200};
    for (int x = 0; x < 3; ++x) {
        img.inAt(x, 0, 0) = source[x];
        img.outAt(x, 0, 0) = result[x];
    }
    hooks.restoreDab(eraser(1, 0, 6, 5), kSpanRow, 6);  // r = 3 covers all three
    EXPECT_EQ(img.outAt(0, 0, 0), 100);  // 30 + 210 f = 100.0000014
    EXPECT_EQ(img.outAt(1, 0, 0), 169);  // 240 - 210 f = 169.9999986
    EXPECT_EQ(img.outAt(2, 0, 0), 200);
    for (int i = 0; i < 40; ++i) hooks.restoreDab(eraser(1, 0, 6, 5), kSpanRow, 6);
    EXPECT_EQ(img.outAt(2, 0, 0), 200);
    EXPECT_EQ(img.outAt(0, 0, 0), 238);  // truncation stops it where a third of the gap is below 1
}

// Issue 9: the eraser blends the colour channels only. (It used to set the planes past
// the fourth to 255 in CMYK and blend transparency in RGB and grayscale, which turned
// transparent pixels opaque wherever Done's fix-up did not run.)
TEST_F(SpeckRemoval, EraserOnCmykWithTransparencyLeavesTheTransparencyAlone) {
    img.setUp(6, 5, plugInModeCMYKColor, 5);
    img.fill([](int x, int y, int c) { return c == 4 ? 90 + x : 20 * c + x + 7 * y; });
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            for (int c = 0; c < 5; ++c) img.outAt(x, y, c) = 250 - c;
    img.inAt(3, 2, 4) = 0;  // a transparent source pixel inside the disc
    hooks.restoreDab(eraser(2, 2, 4, 15), kSpanRow, 4);  // r = 2: columns and rows 1..3
    for (int c = 0; c < 4; ++c) EXPECT_EQ(img.outAt(2, 2, c), img.inAt(2, 2, c)) << c;
    EXPECT_EQ(img.outAt(2, 2, 4), 246) << "transparency is never written";
    EXPECT_EQ(img.outAt(1, 3, 4), 246);
    EXPECT_EQ(img.outAt(3, 2, 4), 246) << "transparent in the source: skipped";
    EXPECT_EQ(img.outAt(3, 2, 0), 250);
    EXPECT_EQ(img.outAt(5, 2, 4), 246) << "outside the disc";
}

TEST_F(SpeckRemoval, EraserOnRgbWithTransparencyBlendsTheColoursOnly) {
    img.setUp(3, 3, plugInModeRGBColor, 4, /*withMask=*/true);
    img.fill([](int x, int y, int c) { return 10 + 30 * c + x + 3 * y; });
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 4; ++c) img.outAt(x, y, c) = 5;
    img.maskAt(0, 1) = 0;
    hooks.restoreDab(eraser(1, 1, 4, 15), kSpanRow, 4);  // r = 2: the 3 x 3 block
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(img.outAt(1, 1, c), img.inAt(1, 1, c)) << c;
        EXPECT_EQ(img.outAt(2, 0, c), img.inAt(2, 0, c)) << c;
        EXPECT_EQ(img.outAt(0, 1, c), 5) << "masked out: " << c;
    }
    EXPECT_EQ(img.outAt(1, 1, 3), 5) << "transparency is never written";
    EXPECT_EQ(img.outAt(2, 0, 3), 5);
}

TEST_F(SpeckRemoval, EraserOnGrayWithTransparencyBlendsTheGrayOnly) {
    img.setUp(3, 3, plugInModeGrayScale, 2);
    img.fill([](int x, int y, int c) { return c == 1 ? 128 : 10 + x + 3 * y; });
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) img.outAt(x, y, 0) = 200;
    hooks.restoreDab(eraser(1, 1, 4, 15), kSpanRow, 4);
    EXPECT_EQ(img.outAt(1, 1, 0), img.inAt(1, 1, 0));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(img.outAt(x, y, 1), 128);
}

TEST_F(SpeckRemoval, DabsFollowTheResultPointerTheyFindAtEachCall) {
    img.setUp(6, 6, plugInModeGrayScale, 1);
    img.fill([](int x, int y, int) { return 1 + 2 * (x + y); });
    std::vector<uint8_t> other = img.out;
    img.record.outData = other.data();  // as after an undo swap
    hooks.capDab(dab(3, 3, 3, 1));
    EXPECT_EQ(other[size_t(3) * img.record.outRowBytes + 3], 12);
    EXPECT_EQ(img.outAt(3, 3, 0), 13) << "the old buffer is not touched";
}

TEST_F(SpeckRemoval, NothingHappensWithoutTheWorkBlocksOrTheImage) {
    img.setUp(4, 4, plugInModeGrayScale, 1);
    img.fill([](int, int, int) { return 255; });
    hooks.freeBuffers();
    hooks.capDab(dab(2, 2, 4, 3));
    hooks.stepDab(dab(2, 2, 4, 3), kSpanRow, 4);
    EXPECT_EQ(img.outAt(2, 2, 0), 255);
    img.record.inData = nullptr;
    hooks.restoreDab(eraser(2, 2, 4, 15), kSpanRow, 4);
    EXPECT_EQ(img.outAt(2, 2, 0), 255);
}

}  // namespace
