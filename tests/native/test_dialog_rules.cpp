// Tool drags and cursors from the modifier keys; slider steps; typed numbers; placement.
#include <gtest/gtest.h>

#include "framework/dialog/controls_logic.h"
#include "framework/dialog/tool_rules.h"
#include "framework/host/plugin_globals.h"

namespace {

constexpr Modifiers kNone{false, false, false};
constexpr Modifiers kSpace{true, false, false};
constexpr Modifiers kCtrl{false, true, false};
constexpr Modifiers kAlt{false, false, true};
constexpr Modifiers kCtrlAlt{false, true, true};
constexpr Modifiers kSpaceCtrl{true, true, false};
constexpr Modifiers kSpaceAlt{true, false, true};

TEST(ToolPress, SpaceTurnsEveryToolIntoTheHand) {
    for (int tool : {kToolZoom, kToolHand, kToolBrush}) {
        EXPECT_EQ(dragForPress(tool, kSpace), kDragHand);
        EXPECT_EQ(dragForPress(tool, kSpaceCtrl), kDragZoomIn);
        EXPECT_EQ(dragForPress(tool, kSpaceAlt), kDragZoomOut);
    }
}

TEST(ToolPress, EachToolWithItsModifiers) {
    EXPECT_EQ(dragForPress(kToolHand, kNone), kDragHand);
    EXPECT_EQ(dragForPress(kToolHand, kCtrl), kDragZoomIn);
    EXPECT_EQ(dragForPress(kToolHand, kAlt), kDragZoomOut);
    EXPECT_EQ(dragForPress(kToolHand, kCtrlAlt), kDragZoomOut);
    EXPECT_EQ(dragForPress(kToolZoom, kNone), kDragZoomIn);
    EXPECT_EQ(dragForPress(kToolZoom, kCtrl), kDragZoomIn);
    EXPECT_EQ(dragForPress(kToolZoom, kAlt), kDragZoomOut);
    EXPECT_EQ(dragForPress(kToolBrush, kNone), kDragPaint);
    EXPECT_EQ(dragForPress(kToolBrush, kCtrlAlt), kDragPaint);
}

TEST(ToolCursorTable, DragWinsThenSpaceThenTool) {
    EXPECT_EQ(cursorFor(kDragHand, kToolBrush, kAlt), ToolCursor::hand);
    EXPECT_EQ(cursorFor(kDragZoomIn, kToolHand, kNone), ToolCursor::zoomIn);
    EXPECT_EQ(cursorFor(kDragZoomOut, kToolZoom, kNone), ToolCursor::zoomOut);
    EXPECT_EQ(cursorFor(kDragPaint, kToolZoom, kSpace), ToolCursor::brush);
    EXPECT_EQ(cursorFor(kDragNone, kToolBrush, kSpace), ToolCursor::hand);
    EXPECT_EQ(cursorFor(kDragNone, kToolBrush, kSpaceCtrl), ToolCursor::zoomIn);
    EXPECT_EQ(cursorFor(kDragNone, kToolBrush, kSpaceAlt), ToolCursor::zoomOut);
    EXPECT_EQ(cursorFor(kDragNone, kToolBrush, Modifiers{true, true, true}), ToolCursor::zoomOut);
    EXPECT_EQ(cursorFor(kDragNone, kToolZoom, kNone), ToolCursor::zoomIn);
    EXPECT_EQ(cursorFor(kDragNone, kToolZoom, kAlt), ToolCursor::zoomOut);
    EXPECT_EQ(cursorFor(kDragNone, kToolHand, kNone), ToolCursor::hand);
    EXPECT_EQ(cursorFor(kDragNone, kToolHand, kAlt), ToolCursor::zoomOut);
    EXPECT_EQ(cursorFor(kDragNone, kToolBrush, kCtrlAlt), ToolCursor::brush);
}

TEST(ToolCursorTable, HandWithCtrlAndAltShowsZoomInButPressZoomsOut) {
    EXPECT_EQ(cursorFor(kDragNone, kToolHand, kCtrlAlt), ToolCursor::zoomIn);
    EXPECT_EQ(dragForPress(kToolHand, kCtrlAlt), kDragZoomOut);
}

TEST(ToolClick, LessThanFivePixelsInEitherAxis) {
    EXPECT_TRUE(isClick(10, 10, 14, 100));
    EXPECT_TRUE(isClick(10, 10, 100, 6));
    EXPECT_FALSE(isClick(10, 10, 15, 15));
    EXPECT_FALSE(isClick(10, 10, 5, 5));
}

TEST(Slider, StepsAreAFifthOfTheRange) {
    EXPECT_EQ(sliderTarget(1, 25, 1, 99, 0), 44);  // size step 19
    EXPECT_EQ(sliderTarget(3, 90, 1, 99, 0), 99);
    EXPECT_EQ(sliderTarget(0, 10, 1, 99, 0), 1);
    EXPECT_EQ(sliderTarget(2, 5, 1, 15, 0), 3);    // amount step 2
    EXPECT_EQ(sliderTarget(4, 5, 1, 15, 12), 12);
    EXPECT_EQ(sliderTarget(6, 5, 1, 15, 0), 1);
    EXPECT_EQ(sliderTarget(7, 5, 1, 15, 0), 15);
    EXPECT_EQ(sliderTarget(8, 5, 1, 15, 0), 5);    // end of a drag: unchanged
}

TEST(NumberField, OutOfRangeAndJunkTakeTheNearestBound) {
    EXPECT_EQ(checkNumber("20", 1, 15).valid, false);
    EXPECT_EQ(checkNumber("20", 1, 15).value, 15);
    EXPECT_EQ(checkNumber("", 1, 99).value, 1);
    EXPECT_FALSE(checkNumber("", 1, 99).valid);
    EXPECT_EQ(checkNumber("abc", 1, 99).value, 1);
    EXPECT_EQ(checkNumber("-5", 1, 99).value, 1);
    EXPECT_EQ(checkNumber("0", 1, 99).value, 1);
    EXPECT_EQ(checkNumber("7x", 1, 99).value, 1);
    EXPECT_TRUE(checkNumber("15", 1, 15).valid);
    EXPECT_EQ(checkNumber(" 42", 1, 99).value, 42);
}

TEST(NumberField, ValuesThatWrapIn16BitsAreStillOutOfRange) {
    NumberCheck c = checkNumber("65537", 1, 99);
    EXPECT_FALSE(c.valid);
    EXPECT_EQ(c.value, 99);
    c = checkNumber("-65535", 1, 99);
    EXPECT_FALSE(c.valid);
    EXPECT_EQ(c.value, 1);
}

const ScreenBox kScreen{0, 0, 1280, 1024};

TEST(NumberField, OnlyTheBeginningOfANumberInRangeWaitsForTheFocusToLeave) {
    // Scale, 50..150: every step of typing a valid number may wait ...
    for (const char* typing : {"", "1", "12", "120", "5", "50", "9", "99", "15", "150"})
        EXPECT_TRUE(beginsNumberIn(typing, 50, 150)) << typing;
    // ... while what no more digits can bring into the range is refused at once.
    for (const char* refused : {"3", "4", "30", "151", "2", "200", "1500", "0", "05", "-", "-1", "1a", " 1", "12345678901"})
        EXPECT_FALSE(beginsNumberIn(refused, 50, 150)) << refused;
    EXPECT_TRUE(beginsNumberIn("0", 0, 9));
    EXPECT_TRUE(beginsNumberIn("3", 1000, 3000));
    EXPECT_FALSE(beginsNumberIn("4", 1000, 3000));
    EXPECT_FALSE(beginsNumberIn("", 5, 4));
}

TEST(Placement, WindowValueNeedsFourNumbers) {
    ScreenBox b{};
    EXPECT_TRUE(parseWindowBox("10,20,650,500", kScreen, b));
    EXPECT_EQ(b.left, 10);
    EXPECT_EQ(b.bottom, 500);
    EXPECT_TRUE(parseWindowBox(" -5,+7, 30,40 and more", kScreen, b)) << "read as %d reads";
    EXPECT_EQ(b.left, -5);
    EXPECT_EQ(b.top, 7);
    EXPECT_EQ(b.right, 30);
    EXPECT_FALSE(parseWindowBox("10,20,650", kScreen, b));
    EXPECT_FALSE(parseWindowBox("", kScreen, b));
    EXPECT_FALSE(parseWindowBox("a,b,c,d", kScreen, b));
    EXPECT_FALSE(parseWindowBox("1 ,2,3,4", kScreen, b));
    EXPECT_EQ(b.left, -5) << "a failed parse leaves the box alone";
}

// Whatever numbers the settings file holds, the dialog lands on the screen with at least
// the template's size, and no step on the way overflows.
TEST(Placement, ExtremeWindowValuesAreClampedToTheScreenFirst) {
    const ScreenBox initial{100, 100, 871, 550};  // 771 x 450
    const char* values[] = {
        "2147483647,2147483647,2147483647,2147483647",
        "-2147483648,-2147483648,-2147483648,-2147483648",
        "-2147483648,-2147483648,2147483647,2147483647",
        "2147483647,-2147483648,-2147483648,2147483647",
        "99999999999999999999,-99999999999999999999,5,5",
        "2147483000,0,-2147483000,100",
        "0,0,2147483647,100",
    };
    for (const ScreenBox& screen : {kScreen, ScreenBox{-1280, -200, 1920, 1080}}) {
        for (const char* v : values) {
            ScreenBox b{};
            ASSERT_TRUE(restoredPlacement(v, initial, screen, b)) << v;
            // Measured in 64 bits: the checks must not overflow where the code might.
            const long long width = (long long)b.right - b.left, height = (long long)b.bottom - b.top;
            EXPECT_GE(width, 771) << v;
            EXPECT_GE(height, 450) << v;
            EXPECT_GE(b.left, screen.left) << v;
            EXPECT_GE(b.top, screen.top) << v;
            // Only a window larger than the screen may reach past its far edges.
            if (width <= screen.right - screen.left) {
                EXPECT_LE(b.right, screen.right) << v;
            }
            if (height <= screen.bottom - screen.top) {
                EXPECT_LE(b.bottom, screen.bottom) << v;
            }
        }
    }
    ScreenBox b{};
    ASSERT_TRUE(restoredPlacement("2147483647,2147483647,2147483647,2147483647", initial, kScreen, b));
    EXPECT_EQ(b.right, 1280);
    EXPECT_EQ(b.left, 1280 - 771);
    EXPECT_EQ(b.bottom, 1024);
}

TEST(Placement, OrdinaryValuesArePlacedAsBefore) {
    const ScreenBox initial{0, 0, 771, 450};
    ScreenBox b{};
    // Partly beyond the right and bottom edges: moved back whole, size kept.
    ASSERT_TRUE(restoredPlacement("1000,900,1900,1500", initial, kScreen, b));
    EXPECT_EQ(b.left, 380);
    EXPECT_EQ(b.right, 1280);
    EXPECT_EQ(b.top, 424);
    EXPECT_EQ(b.bottom, 1024);
    // Larger than the screen: at its top-left corner, size kept.
    ASSERT_TRUE(restoredPlacement("100,100,1500,1200", initial, kScreen, b));
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.right, 1400);
    EXPECT_EQ(b.bottom, 1100);
    // Smaller than the template: grown.
    ASSERT_TRUE(restoredPlacement("300,200,310,205", initial, kScreen, b));
    EXPECT_EQ(b.left, 300);
    EXPECT_EQ(b.right, 1071);
    b = ScreenBox{1, 2, 3, 4};
    EXPECT_FALSE(restoredPlacement("300,200", initial, kScreen, b));
    EXPECT_EQ(b.left, 1);
}

TEST(Placement, KeptOnScreenByMovingNeverResizing) {
    ScreenBox screen{0, 0, 1280, 1024};
    ScreenBox b = keepOnScreen({1000, 900, 1600, 1300}, screen);
    EXPECT_EQ(b.left, 680);
    EXPECT_EQ(b.right, 1280);
    EXPECT_EQ(b.top, 624);
    EXPECT_EQ(b.bottom, 1024);
    b = keepOnScreen({-50, -20, 550, 480}, screen);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.right, 600);
    // Larger than the screen: ends at the top-left corner with its size kept.
    b = keepOnScreen({100, 100, 1500, 1200}, screen);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_EQ(b.right, 1400);
    EXPECT_EQ(b.bottom, 1100);
    // A screen whose origin is not (0, 0), as with a monitor left of the primary one.
    b = keepOnScreen({-2000, 10, -1500, 400}, ScreenBox{-1280, 0, 1280, 1024});
    EXPECT_EQ(b.left, -1280);
    EXPECT_EQ(b.right, -780);
}

TEST(Placement, NeverSmallerThanTheTemplate) {
    ScreenBox initial{0, 0, 771, 450};
    ScreenBox b = atLeastSizeOf({300, 200, 310, 205}, initial);
    EXPECT_EQ(b.left, 300);
    EXPECT_EQ(b.right, 1071);
    EXPECT_EQ(b.bottom, 650);
    b = atLeastSizeOf({300, 200, 100, 50}, initial);  // garbage: right left of left
    EXPECT_EQ(b.right - b.left, 771);
    EXPECT_EQ(b.bottom - b.top, 450);
    b = atLeastSizeOf({0, 0, 1000, 900}, initial);
    EXPECT_EQ(b.right, 1000);
    EXPECT_EQ(b.bottom, 900);
}

}  // namespace
