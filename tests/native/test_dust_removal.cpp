// dustclean's pixels: the thresholded median, its spans and the pressure eraser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "filters/spotclean/dust_dabs.h"
#include "filters/spotclean/dust_params.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/device.h"
#include "tests/native/fake_platform.h"
#include "tests/native/speck_image.h"

namespace {

class DustRemoval : public ::testing::Test {
protected:
    SpeckImage img;
    const EffectHooks& hooks = *kDustcleanModule.hooks;

    void SetUp() override {
        resetFake(kDustcleanModule);
        ASSERT_TRUE(hooks.initBuffers());
        gDustParams.radius = 1;
        gDustParams.level = 50;
        gDustParams.buildup = 0;
        gDevice = DeviceRanges{};
        gPlugin.record = &img.record;
    }
    void TearDown() override {
        hooks.freeBuffers();
        EXPECT_EQ(gFake.liveBlocks, 0);
        gPlugin.record = nullptr;
        gDevice = DeviceRanges{};
    }
    static Dab dab(int x, int y, int size, uint16_t pressure = 500) {
        return Dab{int16_t(x), int16_t(y), int16_t(size), 0, pressure, 0};
    }
};

// Centre of a 3 x 3 RGB image, radius 1, level 10:
//   red:   100 everywhere, centre 250 (a speck: differs by 150)
//   green: 10 20 30 / 40 58 52 / 70 80 90 (median 52: within the level)
//   blue:  7 everywhere
TEST_F(DustRemoval, OneSpeckyChannelReplacesAllChannelsByTheirMedians) {
    const int green[3][3] = {{10, 20, 30}, {40, 58, 52}, {70, 80, 90}};
    img.setUp(3, 3, plugInModeRGBColor, 3);
    img.fill([&](int x, int y, int c) {
        return c == 0 ? (x == 1 && y == 1 ? 250 : 100) : c == 1 ? green[y][x] : 7;
    });
    gDustParams.level = 10;
    dustPixel(1, 1);
    EXPECT_EQ(img.outAt(1, 1, 0), 100);
    EXPECT_EQ(img.outAt(1, 1, 1), 52) << "taken as it is, not averaged";
    EXPECT_EQ(img.outAt(1, 1, 2), 7);

    img.inAt(1, 1, 0) = 105;  // now no channel is off by more than 10
    img.resetResult();
    dustPixel(1, 1);
    EXPECT_EQ(img.outAt(1, 1, 0), 105);
    EXPECT_EQ(img.outAt(1, 1, 1), 58);
}

TEST_F(DustRemoval, LevelIsAStrictThreshold) {
    img.setUp(3, 3, plugInModeGrayScale, 1);
    img.fill([](int x, int y, int) { return x == 1 && y == 1 ? 140 : 90; });
    gDustParams.level = 50;
    dustPixel(1, 1);
    EXPECT_EQ(img.outAt(1, 1, 0), 140) << "a difference of exactly the level stays";
    gDustParams.level = 49;
    dustPixel(1, 1);
    EXPECT_EQ(img.outAt(1, 1, 0), 90);
}

TEST_F(DustRemoval, LevelMaximumChangesNothing) {
    std::mt19937 rng(21);
    img.setUp(20, 16, plugInModeRGBColor, 3);
    img.noise(rng);
    gDustParams.level = 255;
    gDustParams.radius = 3;
    hooks.capDab(dab(10, 8, 15));
    hooks.stepDab(dab(11, 8, 15), kSpanRow, 16);
    EXPECT_EQ(img.changedRows(), std::vector<std::string>(16, std::string(20, '.')));
}

TEST_F(DustRemoval, LevelOneRadiusOneReplacesNearlyEveryNoisyPixel) {
    std::mt19937 rng(22);
    img.setUp(24, 9, plugInModeRGBColor, 3);
    img.noise(rng);
    gDustParams.level = 1;
    hooks.stepDab(dab(12, 4, 24), kSpanRow, 24);  // the whole row 4
    int replaced = 0;
    for (int x = 0; x < img.width; ++x) {
        bool offMedian = false;
        for (int c = 0; c < 3; ++c)
            offMedian |= std::abs(img.referenceMedian(x, 4, 3, c, false) - img.inAt(x, 4, c)) > 1;
        for (int c = 0; c < 3; ++c) {
            const uint8_t expected = offMedian ? img.referenceMedian(x, 4, 3, c, false) : img.inAt(x, 4, c);
            ASSERT_EQ(img.outAt(x, 4, c), expected) << x << " channel " << c;
        }
        replaced += offMedian;
    }
    EXPECT_GE(replaced, 22) << "noise is almost never within 1 of its median in all channels";
    for (int x = 0; x < img.width; ++x) EXPECT_EQ(img.outAt(x, 3, 0), img.inAt(x, 3, 0)) << "row 3 not processed";
}

TEST_F(DustRemoval, SmoothGradientIsLeftAsItIs) {
    img.setUp(24, 24, plugInModeRGBColor, 3);
    img.fill([](int x, int y, int c) { return c == 0 ? 40 + 3 * x + 2 * y : c == 1 ? 200 - 2 * x - y : 90 + x; });
    gDustParams.level = 1;
    gDustParams.radius = 2;
    hooks.capDab(dab(12, 12, 9));
    hooks.stepDab(dab(12, 12, 9), kSpanColumn, 10);
    hooks.stepDab(dab(12, 12, 9), kSpanRow, 10);
    EXPECT_EQ(img.changedRows(), std::vector<std::string>(24, std::string(24, '.')));
}

TEST_F(DustRemoval, MatchesASortingReferenceAnywhereInTheImage) {
    std::mt19937 rng(23);
    int checked = 0;
    for (int round = 0; round < 40; ++round) {
        const int w = std::uniform_int_distribution<int>(1, 45)(rng);
        const int h = std::uniform_int_distribution<int>(1, 45)(rng);
        img.setUp(w, h, round % 2 ? plugInModeCMYKColor : plugInModeRGBColor, round % 2 ? 4 : 3);
        img.noise(rng);
        gDustParams.buildup = (round / 2) % 2;
        for (int i = 0; i < 30; ++i, ++checked) {
            const int x = std::uniform_int_distribution<int>(0, w - 1)(rng);
            const int y = std::uniform_int_distribution<int>(0, h - 1)(rng);
            gDustParams.radius = int16_t(std::uniform_int_distribution<int>(1, 16)(rng));
            gDustParams.level = int16_t(std::uniform_int_distribution<int>(1, 120)(rng));
            const int k = 2 * gDustParams.radius + 1;
            const bool fromResult = gDustParams.buildup;
            uint8_t medians[4], before[4];
            bool speck = false;
            for (int c = 0; c < img.planes; ++c) {
                medians[c] = img.referenceMedian(x, y, k, c, fromResult);
                before[c] = img.outAt(x, y, c);
                const int own = fromResult ? img.outAt(x, y, c) : img.inAt(x, y, c);
                speck |= std::abs(medians[c] - own) > gDustParams.level;
            }
            dustPixel(x, y);
            for (int c = 0; c < img.planes; ++c)
                ASSERT_EQ(img.outAt(x, y, c), speck ? medians[c] : before[c])
                    << "round " << round << " at " << x << "," << y << " radius " << gDustParams.radius;
        }
    }
    EXPECT_EQ(checked, 1200);
}

// A row (or column) of 0 through an image of 100: its pixels' 3 x 3 medians are 100, so
// exactly the pixels a step processes turn to 100.
TEST_F(DustRemoval, RowStepCoversSpanLengthPlusOnePixels) {
    img.setUp(20, 5, plugInModeGrayScale, 1);
    img.fill([](int, int y, int) { return y == 2 ? 0 : 100; });
    hooks.stepDab(dab(10, 2, 3), kSpanRow, 6);  // 7 .. 13: the span, not the size
    EXPECT_EQ(img.changedRows()[2], ".......#######......");
    img.resetResult();
    hooks.stepDab(dab(10, 2, 3), kSpanRow, 5);  // 8 .. 13
    EXPECT_EQ(img.changedRows()[2], "........######......");
    img.resetResult();
    hooks.stepDab(dab(1, 2, 3), kSpanRow, 6);  // -2 .. 4
    EXPECT_EQ(img.changedRows()[2], "#####...............");
    img.resetResult();
    hooks.stepDab(dab(18, 2, 3), kSpanRow, 6);  // 15 .. 21, the image ends at 19
    EXPECT_EQ(img.changedRows()[2], "...............#####");
    EXPECT_EQ(img.changedRows()[1], "....................");
}

TEST_F(DustRemoval, ColumnStepAndUnknownDirection) {
    img.setUp(5, 12, plugInModeGrayScale, 1);
    img.fill([](int x, int, int) { return x == 3 ? 0 : 100; });
    hooks.stepDab(dab(3, 2, 9), kSpanColumn, 4);  // rows 0 .. 4
    hooks.stepDab(dab(3, 10, 9), 1, 4);           // no such direction
    std::string column;
    for (const std::string& row : img.changedRows()) column += row[3];
    EXPECT_EQ(column, "#####.......");
}

TEST_F(DustRemoval, CapDabThresholdsEveryPixelOfTheDisc) {
    img.setUp(7, 7, plugInModeGrayScale, 1);
    img.fill([](int x, int y, int) { return (x + y) % 3 == 0 ? 10 : 200; });  // diagonal stripes
    gDustParams.level = 100;
    hooks.capDab(dab(3, 3, 4));  // r = 2
    // The disc: rows 1 and 5 over columns 2..4, rows 2..4 over columns 1..5. Its stripe
    // pixels (3 of 9 neighbours are 10) go to 200; the 200s stay.
    const std::vector<std::string> expected = {
        ".......", "..#....", ".#..#..", "...#...", "..#..#.", "....#..", ".......",
    };
    EXPECT_EQ(img.changedRows(), expected);
}

// ---- Eraser by pressure ----------------------------------------------------------

TEST_F(DustRemoval, EraserStrengthFollowsPressure) {
    img.setUp(3, 1, plugInModeGrayScale, 1);
    const uint8_t source[3] = {200, 200, 10}, result[3] = {0, 100, 250};
    for (int x = 0; x < 3; ++x) {
        img.inAt(x, 0, 0) = source[x];
        img.outAt(x, 0, 0) = result[x];
    }
    gDevice.pressureMax = 1023;
    hooks.restoreDab(dab(1, 0, 6, 256), kSpanRow, 6);  // f = 256 / 1023 = 0.25024438f
    EXPECT_EQ(img.outAt(0, 0, 0), 50);   // 50.049
    EXPECT_EQ(img.outAt(1, 0, 0), 125);  // 50.049 + 74.976
    EXPECT_EQ(img.outAt(2, 0, 0), 189);  // 2.502 + 187.439
    hooks.restoreDab(dab(1, 0, 6, 0), kSpanRow, 6);
    EXPECT_EQ(img.outAt(0, 0, 0), 50) << "no pressure, no change";
    hooks.restoreDab(dab(1, 0, 6, 1023), kSpanRow, 6);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(img.outAt(x, 0, 0), source[x]);
}

TEST_F(DustRemoval, EraserStrengthOnADevicePast32767IsOfTheSamplesScale) {
    img.setUp(3, 1, plugInModeGrayScale, 1);
    for (int x = 0; x < 3; ++x) {
        img.inAt(x, 0, 0) = 200;
        img.outAt(x, 0, 0) = 0;
    }
    gDevice.pressureMax = 65535;  // samples carry 0..32767
    hooks.restoreDab(dab(1, 0, 6, 16384), kSpanRow, 6);
    EXPECT_EQ(img.outAt(1, 0, 0), 100) << "half the pen's pressure, half the source";
    hooks.restoreDab(dab(1, 0, 6, kSamplePressureLimit), kSpanRow, 6);
    EXPECT_EQ(img.outAt(1, 0, 0), 200);
}

TEST_F(DustRemoval, EraserWithoutPressureAxisOrBeyondItsMaximumRestoresFully) {
    std::mt19937 rng(24);
    img.setUp(9, 9, plugInModeRGBColor, 3);
    img.noise(rng);
    for (auto& v : img.out) v = uint8_t(v + 77);
    gDevice.pressureMax = 0;
    hooks.restoreDab(dab(2, 2, 4, 3), kSpanRow, 4);
    EXPECT_EQ(img.outAt(2, 2, 1), img.inAt(2, 2, 1));
    gDevice.pressureMax = 255;
    hooks.restoreDab(dab(6, 6, 4, 4000), kSpanRow, 4);
    EXPECT_EQ(img.outAt(6, 6, 2), img.inAt(6, 6, 2));
    EXPECT_NE(img.outAt(4, 4, 0), img.inAt(4, 4, 0)) << "between the two discs";
}

}  // namespace
