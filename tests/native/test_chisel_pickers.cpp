// Geometry of chisel's light and tip pickers.
#include <gtest/gtest.h>

#include <cstdlib>

#include "filters/chisel/pickers.h"

namespace {

TEST(ChiselLightPicker, MarkersOnePixelInsideTheEdges) {
    const PickerPoint expected[8] = {{1, 1},   {24, 1},  {48, 1},  {1, 17},
                                     {48, 17}, {1, 33},  {24, 33}, {48, 33}};
    for (int i = 0; i < 8; ++i) {
        const PickerPoint p = lightMarkerPosition(i, 60, 45);
        EXPECT_EQ(p.x, expected[i].x) << i;
        EXPECT_EQ(p.y, expected[i].y) << i;
    }
}

TEST(ChiselLightPicker, ClicksByThirds) {
    struct Click {
        int x, y, index;
    };
    // 60 x 45: columns split at 20 and 40, rows at 15 and 30.
    const Click clicks[] = {
        {0, 0, 0},   {19, 14, 0}, {19, 15, 3}, {19, 29, 3}, {19, 30, 5}, {0, 44, 5},
        {40, 0, 2},  {59, 15, 4}, {40, 30, 7}, {20, 0, 1},  {39, 14, 1}, {30, 31, 6},
        {30, 44, 6}, {30, 15, 4}, {30, 30, 4}, {30, 22, 4},  // centre cell: unchanged
    };
    for (const Click& c : clicks)
        EXPECT_EQ(lightDirectionAt(c.x, c.y, 60, 45, 4), c.index) << c.x << "," << c.y;
    // The centre cell keeps whatever is selected, so nothing is re-shaded.
    EXPECT_EQ(lightDirectionAt(30, 22, 60, 45, 0), 0);
    // 2 * 61 / 3 = 40.67 rounds to 41: x = 40 is still the centre column.
    EXPECT_EQ(lightDirectionAt(40, 0, 61, 61, 5), 1);
    EXPECT_EQ(lightDirectionAt(41, 0, 61, 61, 5), 2);
    EXPECT_EQ(lightDirectionAt(30, 42, 61, 61, 5), 6);
    EXPECT_EQ(lightDirectionAt(30, 41, 61, 61, 5), 5);  // the bottom centre starts below 2H/3
}

TEST(ChiselLightPicker, MulDivRoundsHalfAwayFromZero) {
    EXPECT_EQ(mulDivRounded(61, 2, 3), 41);
    EXPECT_EQ(mulDivRounded(3, 1, 2), 2);
    EXPECT_EQ(mulDivRounded(-3, 1, 2), -2);
    EXPECT_EQ(mulDivRounded(5, 1, 0), -1);
}

ChiselParams tip(int size, int depth, int sharpness) {
    ChiselParams p;
    setChiselDefaults(p);
    p.tipSize = int16_t(size);
    p.tipDepth = int16_t(depth);
    p.tipSharpness = int16_t(sharpness);
    updatePreviewProfile(p);
    return p;
}

TEST(ChiselTipPicker, DepthZeroIsAFlatLineAsWideAsAllowed) {
    const auto points = tipPickerPoints(tip(25, 0, 25), 100, 40);
    ASSERT_EQ(points.size(), 102u);  // 25 entries of 4 pixels each, plus move and end
    EXPECT_EQ(points.front().x, 0);
    EXPECT_EQ(points.back().x, 100);
    for (const PickerPoint& p : points) EXPECT_EQ(p.y, 20);
}

TEST(ChiselTipPicker, DepthFillsHalfTheHeightDownwardOrUpward) {
    const auto groove = tipPickerPoints(tip(25, 20, 50), 100, 40);
    const auto ridge = tipPickerPoints(tip(25, -20, 50), 100, 40);
    ASSERT_EQ(groove.size(), ridge.size());
    // e = 20 / 20 = 1 pixel per unit, 25 pixels wide, centred.
    ASSERT_EQ(groove.size(), 27u);
    EXPECT_EQ(groove.front().x, 50 - 12);
    int lowest = 20, highest = 20;
    for (size_t i = 0; i < groove.size(); ++i) {
        EXPECT_GE(groove[i].y, 20);
        EXPECT_LE(ridge[i].y, 20);
        EXPECT_LE(std::abs((groove[i].y - 20) - (20 - ridge[i].y)), 1) << i;  // truncation
        lowest = std::max(lowest, groove[i].y);
        highest = std::min(highest, ridge[i].y);
    }
    EXPECT_GE(lowest, 38);  // near the bottom edge: an odd width stops short of full depth
    EXPECT_LE(highest, 1);
}

TEST(ChiselTipPicker, TipSizeOneIsFlat) {
    const auto narrow = tipPickerPoints(tip(1, 1, 0), 100, 40);
    ASSERT_EQ(narrow.size(), 22u);  // e = 20: one entry twenty pixels wide
    for (const PickerPoint& p : narrow) EXPECT_EQ(p.y, 20);
    const auto capped = tipPickerPoints(tip(1, 0, 0), 30, 40);
    ASSERT_EQ(capped.size(), 32u);  // no depth: as wide as the control
    EXPECT_EQ(capped.back().x, 30);
}

}  // namespace
