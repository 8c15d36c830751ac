// airbrush's segment walk and stroke rules.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/native/airbrush_fixture.h"

namespace {

using Points = std::vector<std::pair<int, int>>;

void record(void* context, const AirbrushSample& dab) {
    static_cast<Points*>(context)->emplace_back(dab.x, dab.y);
}

AirbrushSample at(int x, int y) {
    AirbrushSample s{};
    s.x = int16_t(x);
    s.y = int16_t(y);
    s.size = 7;
    s.pressure = 500;
    return s;
}

Points walk(int x0, int y0, int x1, int y1, int step, bool& carry, int width = 100, int height = 100) {
    Points p;
    walkSpraySegment(at(x0, y0), at(x1, y1), step, carry, width, height, record, &p);
    return p;
}

TEST(SprayWalk, HorizontalAndVerticalSteps) {
    bool carry = false;
    EXPECT_EQ(walk(0, 5, 6, 5, 1, carry), (Points{{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    EXPECT_FALSE(carry);  // the end position itself is left for the next walk's start
    EXPECT_EQ(walk(0, 5, 10, 5, 3, carry), (Points{{0, 5}, {3, 5}, {6, 5}, {9, 5}}));
    EXPECT_TRUE(carry);  // stopped short: the next walk starts one pixel beyond its start
    EXPECT_EQ(walk(10, 5, 20, 5, 3, carry), (Points{{11, 5}, {14, 5}, {17, 5}}));
    EXPECT_FALSE(carry);  // 20 fell on the end
    EXPECT_EQ(walk(20, 5, 11, 5, 3, carry), (Points{{20, 5}, {17, 5}, {14, 5}}));
    EXPECT_FALSE(carry);
    EXPECT_EQ(walk(4, 0, 4, 7, 2, carry), (Points{{4, 0}, {4, 2}, {4, 4}, {4, 6}}));
    EXPECT_TRUE(carry);
    EXPECT_EQ(walk(4, 7, 4, 0, 2, carry), (Points{{4, 6}, {4, 4}, {4, 2}}));
    EXPECT_FALSE(carry);
    EXPECT_TRUE(walk(4, 4, 4, 4, 1, carry).empty());
}

TEST(SprayWalk, DiagonalAndSteepFollowThePath) {
    bool carry = false;
    EXPECT_EQ(walk(0, 0, 6, 6, 2, carry), (Points{{0, 0}, {2, 2}, {4, 4}}));
    EXPECT_FALSE(carry);
    EXPECT_EQ(walk(0, 0, 3, 9, 1, carry),
              (Points{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 5}, {2, 6}, {2, 7}, {3, 8}}));
    // With the carry-over mark the minor coordinate is the path's at each major position
    // (0.5, 2.5, 4.5 rounded up), not the start's plus half a step.
    carry = true;
    EXPECT_EQ(walk(0, 0, 10, 5, 4, carry), (Points{{1, 1}, {5, 3}, {9, 5}}));
    EXPECT_TRUE(carry);
    carry = true;
    EXPECT_EQ(walk(50, 50, 44, 32, 5, carry), (Points{{50, 49}, {48, 44}, {46, 39}, {45, 34}}));
}

TEST(SprayWalk, OnlyInsideTheImage) {
    bool carry = false;
    // Positions on the right and bottom edge lines count as inside, like a clipped segment.
    EXPECT_EQ(walk(-5, 2, 6, 2, 1, carry, 4, 4), (Points{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
    EXPECT_TRUE(walk(-10, -3, -2, -8, 1, carry, 4, 4).empty());
    EXPECT_TRUE(walk(-3, 10, 10, 30, 1, carry, 4, 4).empty());
    // The phase stays anchored at the start across the edge.
    EXPECT_EQ(walk(-7, 1, 9, 1, 3, carry, 8, 8), (Points{{2, 1}, {5, 1}, {8, 1}}));
}

// ---- the stroke step ----

TEST(SprayStroke, FirstSampleAndNearSamplesPaintNothing) {
    SprayFixture f(40, 30);
    EXPECT_FALSE(f.step(f.sample(10, 10, 5, 100)).painted);
    EXPECT_EQ(f.changedPixels(), 0);
    // Within one pixel in both directions: dropped.
    EXPECT_FALSE(f.step(f.sample(11, 9, 5, 100)).painted);
    EXPECT_EQ(f.changedPixels(), 0);
    EXPECT_EQ(f.stroke.prev.x, 10);
    const SprayStepResult r = f.step(f.sample(13, 10, 5, 100));
    EXPECT_TRUE(r.painted);
    EXPECT_EQ(r.dabs, 3);  // 10, 11, 12: the new sample is the next segment's start
    EXPECT_FALSE(f.unchanged(10, 10));
    EXPECT_TRUE(f.unchanged(16, 10));
    EXPECT_LE(r.invalid.left, 8);
    EXPECT_GE(r.invalid.right, 16);
    // A release ends the stroke; the next sample starts a new one and paints nothing.
    AirbrushSample end = f.sample(13, 10, 5, 100);
    end.pressure = kSprayEndOfStroke;
    EXPECT_FALSE(f.step(end).painted);
    EXPECT_EQ(f.stroke.lastPressure, 0);
    const int before = f.changedPixels();
    EXPECT_FALSE(f.step(f.sample(30, 20, 5, 100)).painted);
    EXPECT_EQ(f.changedPixels(), before);
}

TEST(SprayStroke, NoBridgeAfterLeavingAndReentering) {
    SprayFixture f(60, 40);
    f.step(f.sample(5, 5, 5, 100));
    f.step(f.sample(15, 5, 5, 100));
    // The pen leaves the image next to the last sample: pressure 0 within one pixel.
    EXPECT_FALSE(f.step(f.sample(15, 6, 5, 100, 0, 90, 0)).painted);
    EXPECT_EQ(f.stroke.lastPressure, 0);
    // ... and comes back elsewhere.
    f.step(f.sample(45, 30, 5, 100));
    f.step(f.sample(55, 30, 5, 100));
    for (int y = 0; y < 40; ++y)
        for (int x = 20; x < 42; ++x) EXPECT_TRUE(f.unchanged(x, y)) << x << "," << y;
    EXPECT_FALSE(f.unchanged(50, 30));
}

TEST(SprayStroke, RestingPenBuildsUp) {
    SprayFixture f(30, 30);
    const AirbrushSample start = f.sample(15, 15, 9, 30);
    f.step(start);
    AirbrushSample repeat = start;
    repeat.repeat = 1;
    int red = f.px(15, 15)[0];
    for (int tick = 0; tick < 3; ++tick) {
        const SprayStepResult r = f.step(repeat);
        EXPECT_TRUE(r.painted);
        EXPECT_EQ(r.dabs, 1);
        EXPECT_GT(f.px(15, 15)[0], red) << tick;  // towards 0xFF
        red = f.px(15, 15)[0];
    }
    // Moving on after a rest: the resting position is not dabbed a second time when the
    // walk carries over (size above 22), and the stroke goes on.
    SprayFixture g(60, 30);
    AirbrushSample big = g.sample(20, 15, 30, 30);
    g.step(big);
    big.repeat = 1;
    g.step(big);
    EXPECT_EQ(g.step(g.sample(30, 15, 30, 30)).dabs, 5);  // 21, 23, ..., 29

    // The eraser does not build up at rest.
    SprayFixture e(30, 30);
    std::fill(e.result.begin(), e.result.end(), uint8_t(200));
    AirbrushSample eraser = e.sample(15, 15, 9, 30, 0, 90, 1023, true);
    e.step(eraser);
    eraser.repeat = 1;
    EXPECT_EQ(e.step(eraser).dabs, 0);
    EXPECT_EQ(e.px(15, 15)[0], 200);
}

TEST(SprayStroke, OperationAndStepFollowPrev) {
    // Splatter steps by half the size, restore by a tenth; the eraser flag (not the tilt's
    // sign) selects the restore dab.
    SprayFixture f(200, 20);
    f.params.softSpray = 0;
    f.step(f.sample(10, 10, 20, 100));
    EXPECT_EQ(f.step(f.sample(61, 10, 20, 100)).dabs, 6);  // 10, 20, ..., 60
    SprayFixture g(200, 20);
    std::fill(g.result.begin(), g.result.end(), uint8_t(3));
    AirbrushSample e = g.sample(10, 10, 40, 100, 0, 90, 1023, true);
    EXPECT_EQ(e.tilt, 0);
    g.step(e);
    e.x = 50;
    EXPECT_EQ(g.step(e).dabs, 10);  // every 4 pixels, 50 left for the next segment
    EXPECT_EQ(g.px(10, 10)[0], g.src(10, 10)[0]);
    EXPECT_EQ(operationFor(e, g.params), SprayOperation::restore);
    EXPECT_EQ(stepFor(SprayOperation::soft, 22), 1);
    EXPECT_EQ(stepFor(SprayOperation::soft, 23), 2);
    EXPECT_EQ(stepFor(SprayOperation::splatter, 1), 1);
    EXPECT_EQ(stepFor(SprayOperation::restore, 9), 1);
}

TEST(SprayStroke, EveryThirdSegmentRepaintsAtOnce) {
    SprayFixture f(100, 20);
    f.step(f.sample(5, 10, 3, 50));
    std::vector<bool> now;
    for (int i = 1; i <= 6; ++i) now.push_back(f.step(f.sample(5 + 4 * i, 10, 3, 50)).updateNow);
    EXPECT_EQ(now, (std::vector<bool>{false, false, true, false, false, true}));
}

}  // namespace
