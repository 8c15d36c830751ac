// Strokes through a recording effect: start, spacing, end, segment sweep, repaints.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "filters/spotclean/spot_params.h"
#include "framework/brush/stroke.h"
#include "framework/host/plugin_globals.h"
#include "tests/native/fake_platform.h"

namespace {

struct Call {
    char op;  // 'c' cap, 's' step, 'r' restore
    int x, y, size, amount, direction, span;
    bool operator==(const Call& o) const {
        return op == o.op && x == o.x && y == o.y && size == o.size && amount == o.amount &&
               direction == o.direction && span == o.span;
    }
};
std::vector<Call> gCalls;

void cap(const Dab& d) { gCalls.push_back({'c', d.x, d.y, d.size, d.amount, -1, -1}); }
void step(const Dab& d, int dir, int span) { gCalls.push_back({'s', d.x, d.y, d.size, d.amount, dir, span}); }
void restore(const Dab& d, int dir, int span) { gCalls.push_back({'r', d.x, d.y, d.size, d.amount, dir, span}); }

const EffectHooks kRecorder = {nullptr, nullptr, nullptr, nullptr, cap, step, restore};

struct Surface {
    std::vector<Box> invalidated;
    int updates = 0;
    std::vector<bool> cursors;
    int revertEnabled = 0;
};

class Strokes : public ::testing::Test {
protected:
    StrokeState state{nullptr, 0, 0, true};
    Surface seen;
    StrokeSurface surface{};

    void SetUp() override {
        resetFake(kSpotcleanModule);
        gCalls.clear();
        surface.context = &seen;
        surface.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 200, 100}, {0, 0, 200, 100}};
        surface.penDown = true;
        surface.invalidate = [](void* c, const Box& b) { static_cast<Surface*>(c)->invalidated.push_back(b); };
        surface.updateNow = [](void* c) { ++static_cast<Surface*>(c)->updates; };
        surface.setCursor = [](void* c, bool brush) { static_cast<Surface*>(c)->cursors.push_back(brush); };
        surface.enableRevert = [](void* c) { ++static_cast<Surface*>(c)->revertEnabled; };
    }
    void TearDown() override {
        resetStroke(state);
        EXPECT_EQ(gFake.liveBlocks, 0) << "every sample freed";
    }
    void feed(int x, int y, uint16_t pressure, int size = 10, int amount = 5, bool inverted = false) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        *s = TabletSample{int16_t(x), int16_t(y), int16_t(size), int16_t(amount), pressure, uint8_t(inverted)};
        strokeStep(state, s, kRecorder, SpanRule::truncateAfterDoubling, surface);
    }
    int count(char op) const {
        int n = 0;
        for (const Call& c : gCalls) n += c.op == op;
        return n;
    }
};

TEST_F(Strokes, APressingSampleStartsWithACapAndNothingElse) {
    feed(50, 50, 300);
    ASSERT_EQ(gCalls.size(), 1u);
    EXPECT_EQ(gCalls[0], (Call{'c', 50, 50, 10, 5, -1, -1}));
    EXPECT_EQ(state.lastPressure, 300);
    EXPECT_TRUE(seen.invalidated.empty());
    EXPECT_EQ(gPlugin.modified, 0);
    EXPECT_EQ(seen.revertEnabled, 0);
}

TEST_F(Strokes, PressureZeroOrOneNeverStarts) {
    feed(50, 50, 1);
    feed(60, 50, 0);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(state.previous, nullptr);
}

TEST_F(Strokes, SamplesCloserThanHalfABrushAreDropped) {
    feed(50, 50, 300, 10);
    feed(54, 46, 300);  // within 5 in both axes
    EXPECT_EQ(gCalls.size(), 1u);
    feed(55, 50, 300);  // 5 away in x: kept
    EXPECT_EQ(count('s'), 6);
    EXPECT_EQ(count('c'), 2);
}

TEST_F(Strokes, ALiftedSampleIsNeverDroppedAndEndsTheStrokeAfterItsSegment) {
    feed(50, 50, 300);
    feed(51, 50, 0);
    EXPECT_EQ(count('s'), 2);  // x 50 and 51
    EXPECT_EQ(count('c'), 2);
    EXPECT_EQ(state.lastPressure, 0);
    gCalls.clear();
    feed(80, 50, 0);  // idle: nothing
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(Strokes, PressureOneDrawsTheSegmentThenEnds) {
    feed(50, 50, 300);
    feed(60, 50, 1);
    EXPECT_EQ(count('s'), 11);
    EXPECT_EQ(state.lastPressure, 1);
    gCalls.clear();
    feed(70, 50, 1);  // no stroke in progress any more
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(Strokes, PressuresOf32768AndMorePaintLikeAnyOther) {
    // Read as signed 16-bit values these would be negative: the end-of-stroke notice.
    feed(50, 50, 40000);
    EXPECT_EQ(count('c'), 1) << "the stroke starts";
    feed(60, 50, 0x8000);
    EXPECT_EQ(count('s'), 11) << "and goes on";
    feed(70, 50, 0xFFFE);
    EXPECT_EQ(count('s'), 22);
    EXPECT_EQ(state.lastPressure, 0xFFFE);
    gCalls.clear();
    feed(0, 0, kEndOfStroke, 0, 0);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(state.lastPressure, 0);
}

TEST_F(Strokes, TheEndOfStrokeNoticeEndsWithoutDrawing) {
    feed(50, 50, 300);
    gCalls.clear();
    feed(0, 0, kEndOfStroke, 0, 0);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(state.lastPressure, 0);
    EXPECT_EQ(state.previous, nullptr);
}

TEST_F(Strokes, HorizontalSpansAreColumnsAsWideAsTheBrush) {
    feed(10, 20, 300, 25);
    gCalls.clear();
    feed(40, 20, 300, 25);
    ASSERT_EQ(count('s'), 31);
    EXPECT_EQ(gCalls.front(), (Call{'s', 10, 20, 25, 5, kSpanColumn, 25}));
    EXPECT_EQ(gCalls[30], (Call{'s', 40, 20, 25, 5, kSpanColumn, 25}));
    EXPECT_EQ(gCalls.back(), (Call{'c', 40, 20, 25, 5, -1, -1}));
}

TEST_F(Strokes, FortyFiveDegreesGivesColumnsOfSizeTimesRootTwo) {
    feed(10, 10, 300, 25);
    gCalls.clear();
    feed(40, 40, 300, 25);
    EXPECT_EQ(gCalls[0].direction, kSpanColumn);
    EXPECT_EQ(gCalls[0].span, int(25 * std::sqrt(2.0)));
    EXPECT_EQ(count('s'), 31) << "a slope of one steps along y";
    EXPECT_EQ(gCalls[15].x, 25);
    EXPECT_EQ(gCalls[15].y, 25);
}

TEST_F(Strokes, VerticalAndSteepSegmentsUseRows) {
    feed(30, 10, 300, 8);
    gCalls.clear();
    feed(30, 40, 300, 8);
    EXPECT_EQ(gCalls[0], (Call{'s', 30, 10, 8, 5, kSpanRow, 8}));
    EXPECT_EQ(count('s'), 31);
    gCalls.clear();
    feed(40, 10, 300, 8);  // slope -3: steep, walked from the smaller y
    EXPECT_EQ(gCalls[0].direction, kSpanRow);
    EXPECT_EQ(gCalls[0].span, int(8.0 * std::sqrt(1.0 + 1.0 / 9.0)));
    EXPECT_EQ(gCalls[0].y, 10);
    EXPECT_EQ(gCalls[0].x, 40);
}

TEST_F(Strokes, DustcleanSpansAreEven) {
    TabletSample p{10, 10, 25, 0, 300, 0}, q{40, 40, 25, 0, 300, 0};
    EXPECT_EQ(spanFor(p, q, SpanRule::truncateBeforeDoubling).spanLength, 2 * int(12.5 * std::sqrt(2.0)));
    EXPECT_EQ(spanFor(p, q, SpanRule::truncateAfterDoubling).spanLength, int(25 * std::sqrt(2.0)));
    TabletSample v{10, 90, 25, 0, 300, 0};
    EXPECT_EQ(spanFor(p, v, SpanRule::truncateBeforeDoubling).spanLength, 25);
}

TEST_F(Strokes, TheDabCarriesTheLeftEndAndTheFirstSamplesSize) {
    feed(60, 20, 300, 10, 3);
    gCalls.clear();
    feed(30, 20, 300, 20, 9);  // walked left to right: the new sample is the left end
    EXPECT_EQ(gCalls[0].x, 30);
    EXPECT_EQ(gCalls[0].amount, 9);
    EXPECT_EQ(gCalls[0].size, 10);
}

TEST_F(Strokes, SegmentsAreClippedToTheImage) {
    feed(-20, 50, 300, 10);  // a start off the image still caps (the effect clips)
    gCalls.clear();
    feed(10, 50, 300, 10);
    ASSERT_EQ(count('s'), 11);
    EXPECT_EQ(gCalls[0].x, 0);
    gCalls.clear();
    feed(10, 400, 300, 10);  // runs out of the bottom: stops at y = height
    EXPECT_EQ(gCalls[count('s') - 1].y, 100);
}

TEST_F(Strokes, ASegmentWhollyOutsideMakesNoDabsButMovesOn) {
    feed(-50, -50, 300, 10);
    gCalls.clear();
    feed(-20, -30, 300, 10);
    EXPECT_EQ(count('s'), 0);
    EXPECT_EQ(state.previous->x, -20);
    EXPECT_EQ(gPlugin.modified, 1);
}

TEST_F(Strokes, TheEraserRestoresWithoutCaps) {
    feed(20, 20, 300, 10, 15, true);
    EXPECT_TRUE(gCalls.empty());
    feed(30, 20, 300, 10, 15, true);
    EXPECT_EQ(count('r'), 11);
    EXPECT_EQ(count('c'), 0);
    EXPECT_EQ(count('s'), 0);
}

TEST_F(Strokes, RepaintCoversBothSquaresWithinTheOutput) {
    surface.geometry = PreviewGeometry{2.0f, 10, 0, {0, 0, 400, 300}, {0, 0, 400, 300}, {5, 3, 205, 103}};
    feed(4, 50, 300, 10);
    feed(40, 60, 300, 20);
    ASSERT_EQ(seen.invalidated.size(), 1u);
    const Box& b = seen.invalidated[0];
    // Image area: left max(5, 5 + min(4 - 5, 40 - 10)) = 5 -> relative 0; right 5 + 50 + 1.
    EXPECT_EQ(b.left, 0 * 2 - 10);
    EXPECT_EQ(b.right, 51 * 2 - 10);
    EXPECT_EQ(b.top, 45 * 2);
    EXPECT_EQ(b.bottom, 71 * 2);
}

TEST_F(Strokes, EveryFifthSegmentRepaintsAtOnceOnlyWhileThePenIsDown) {
    feed(0, 50, 300);
    for (int i = 1; i <= 10; ++i) feed(i * 10, 50, 300);
    EXPECT_EQ(seen.updates, 2);
    surface.penDown = false;
    for (int i = 11; i <= 20; ++i) feed(i * 10 % 200, 50, 300);
    EXPECT_EQ(seen.updates, 2);
    EXPECT_EQ(seen.cursors, std::vector<bool>{false}) << "pen up with samples queued: wait cursor";
}

TEST_F(Strokes, FlagsAndRevert) {
    feed(10, 10, 300);
    feed(30, 10, 300);
    feed(50, 10, 300);
    EXPECT_EQ(gPlugin.modified, 1);
    EXPECT_EQ(gPlugin.unappliedStroke, 1);
    EXPECT_EQ(seen.revertEnabled, 1) << "enabled once, by the first segment";
}

}  // namespace
