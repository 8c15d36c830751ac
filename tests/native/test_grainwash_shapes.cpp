// grainwash's generator and the visit orders of its disc, outline and line: the noise
// is drawn in visit order, so these fix what a replayed session paints.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "filters/grainwash/grain_random.h"
#include "filters/grainwash/grain_shapes.h"

namespace {

using Point = std::pair<int, int>;  // (x, y)

std::vector<Point> discVisits(int size) {
    std::vector<Point> v;
    walkGrainDisc(0, 0, size, [&](int x, int y) { v.push_back({x, y}); });
    return v;
}

std::vector<Point> outlineVisits(int size) {
    std::vector<Point> v;
    walkGrainOutline(0, 0, size, [&](int x, int y) { v.push_back({x, y}); });
    return v;
}

// Rows top to bottom of the square -r..r around the centre, '#' where visited.
std::string art(const std::vector<Point>& visits, int r) {
    std::set<Point> s(visits.begin(), visits.end());
    std::string out;
    for (int y = -r; y <= r; ++y) {
        for (int x = -r; x <= r; ++x) out += s.count({x, y}) ? '#' : '.';
        out += '\n';
    }
    return out;
}

TEST(GrainRandom, FirstUniformValuesAfterAFreshSeed) {
    GrainRandom random{};
    const float expected[] = {0x1.18dac4p-2f, 0x1.235bf2p-1f, 0x1.4d1c36p-2f,
                              0x1.cb7afep-5f, 0x1.7f2b18p-1f, 0x1.a78536p-2f};
    for (float e : expected) EXPECT_EQ(grainUniform(random), e);
}

TEST(GrainRandom, FirstGaussianValuesDrawBThenSaveA) {
    GrainRandom random{};
    const float expected[] = {0x1.038a0ap-1f, -0x1.a82820p+0f, -0x1.9d19eep-2f,
                              -0x1.4524f2p-3f};
    for (float e : expected) EXPECT_EQ(grainGaussian(random), e);
}

TEST(GrainRandom, ContinuesWithoutReseedingUntilReset) {
    GrainRandom a{}, b{};
    std::vector<float> first;
    for (int i = 0; i < 1000; ++i) first.push_back(grainUniform(a));
    // The stream goes on from where it was: no repeat of the start, all in (0, 1).
    const float next = grainUniform(a);
    EXPECT_NE(next, first[0]);
    for (float u : first) {
        EXPECT_GT(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
    // A reload (reset) starts over identically.
    resetGrainRandom(a);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(grainUniform(a), first[i]) << i;
    for (int i = 0; i < 1000; ++i) grainUniform(b);
    EXPECT_EQ(grainUniform(b), next);
}

TEST(GrainRandom, ModuleGeneratorIsOneSharedStream) {
    GrainRandom& module = moduleGrainRandom();
    EXPECT_EQ(&module, &moduleGrainRandom());
    GrainRandom copy = module;
    const float u = grainUniform(moduleGrainRandom());
    EXPECT_EQ(u, grainUniform(copy));
    EXPECT_EQ(grainUniform(moduleGrainRandom()), grainUniform(copy));
}

TEST(GrainRandom, GaussianSpreadIsStandard) {
    GrainRandom random{};
    double sum = 0, squares = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const double g = grainGaussian(random);
        sum += g;
        squares += g * g;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.01);
    EXPECT_NEAR(std::sqrt(squares / n), 1.0, 0.01);
}

TEST(GrainShapes, SizeOneIsItsCentre) {
    EXPECT_EQ(discVisits(1), (std::vector<Point>{{0, 0}}));
    EXPECT_EQ(outlineVisits(1), std::vector<Point>(8, Point{0, 0}));
}

TEST(GrainShapes, SizeTwoInVisitOrder) {
    // Rows at +1 and -1, columns at +1 and -1, then the rectangle dy 0, dx -1..1.
    EXPECT_EQ(discVisits(2),
              (std::vector<Point>{{0, 1}, {0, -1}, {1, 0}, {-1, 0}, {-1, 0}, {0, 0}, {1, 0}}));
    EXPECT_EQ(outlineVisits(2), (std::vector<Point>{{0, 1}, {0, 1}, {0, -1}, {0, -1},
                                                    {1, 0}, {-1, 0}, {1, 0}, {-1, 0}}));
}

TEST(GrainShapes, SizesSixAndSevenDrawTheSameCircle) {
    const std::string disc =
        "..###..\n"
        ".#####.\n"
        "#######\n"
        "#######\n"
        "#######\n"
        ".#####.\n"
        "..###..\n";
    const std::string outline =
        "..###..\n"
        ".#...#.\n"
        "#.....#\n"
        "#.....#\n"
        "#.....#\n"
        ".#...#.\n"
        "..###..\n";
    for (int size : {6, 7}) {
        EXPECT_EQ(art(discVisits(size), 3), disc) << size;
        EXPECT_EQ(art(outlineVisits(size), 3), outline) << size;
    }
    // The diagonal points (x == y) come in: the sweep runs while x <= y.
    const auto o = outlineVisits(6);
    EXPECT_EQ(std::count(o.begin(), o.end(), Point{2, 2}), 2);
    // Disc order: first the row at +3, then at -3, then the columns at +3 and -3.
    const auto d = discVisits(6);
    ASSERT_GE(d.size(), 12u);
    EXPECT_EQ(std::vector<Point>(d.begin(), d.begin() + 12),
              (std::vector<Point>{{-1, 3}, {0, 3}, {1, 3}, {-1, -3}, {0, -3}, {1, -3},
                                  {3, -1}, {3, 0}, {3, 1}, {-3, -1}, {-3, 0}, {-3, 1}}));
    // The rectangle follows row by row, top to bottom.
    EXPECT_EQ(d[12], (Point{-2, -2}));
    EXPECT_EQ(d.back(), (Point{2, 2}));
    EXPECT_EQ(d.size(), 12u + 25u);
}

TEST(GrainShapes, LargeDiscIsTheFilledOutline) {
    for (int size : {25, 24, 99}) {
        const int r = size / 2;
        const auto disc = discVisits(size);
        const auto outline = outlineVisits(size);
        std::set<Point> d(disc.begin(), disc.end());
        std::map<int, int> halfWidth;  // row -> widest |dx| of the outline
        for (const Point& p : outline) {
            const double dist = std::hypot(p.first, p.second);
            EXPECT_LT(std::fabs(dist - r), 1.0) << size << " " << p.first << "," << p.second;
            int& w = halfWidth[p.second];
            w = std::max(w, std::abs(p.first));
            // Eightfold symmetry.
            EXPECT_TRUE(std::count(outline.begin(), outline.end(), Point{p.second, -p.first}));
        }
        ASSERT_EQ(int(halfWidth.size()), 2 * r + 1);
        std::set<Point> filled;
        for (const auto& [y, w] : halfWidth)
            for (int x = -w; x <= w; ++x) filled.insert({x, y});
        EXPECT_EQ(d, filled) << size;
    }
}

TEST(GrainShapes, LineIncludesBothEndsAndWalksUpward) {
    auto line = [](int x0, int y0, int x1, int y1) {
        std::vector<Point> v;
        walkGrainLine(x0, y0, x1, y1, [&](int x, int y) { v.push_back({x, y}); });
        return v;
    };
    // x-major, d = 2*2 - 5 = -1: no step at the first point; step when d > 0.
    EXPECT_EQ(line(0, 0, 5, 2),
              (std::vector<Point>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    // Walked from the lower x whichever way it was given.
    EXPECT_EQ(line(5, 2, 0, 0), line(0, 0, 5, 2));
    // |dx| == |dy| is x-major; y may fall while x rises.
    EXPECT_EQ(line(3, 0, 0, 3), (std::vector<Point>{{0, 3}, {1, 2}, {2, 1}, {3, 0}}));
    // y-major toward increasing y.
    EXPECT_EQ(line(1, 4, 0, 0),
              (std::vector<Point>{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}}));
    EXPECT_EQ(line(7, 7, 7, 7), (std::vector<Point>{{7, 7}}));
}

TEST(GrainShapes, ClipKeepsTheLineInsideTheMargin) {
    int x0 = -50, y0 = 10, x1 = 50, y1 = 10;
    ASSERT_TRUE(clipGrainLine(x0, y0, x1, y1, -3, -3, 20, 15));
    EXPECT_EQ(x0, -3);
    EXPECT_EQ(x1, 20);
    EXPECT_EQ(y0, 10);
    x0 = -10, y0 = -10, x1 = 30, y1 = 30;
    ASSERT_TRUE(clipGrainLine(x0, y0, x1, y1, -3, -3, 20, 15));
    EXPECT_EQ(x0, -3);
    EXPECT_EQ(y0, -3);
    EXPECT_EQ(x1, 15);
    EXPECT_EQ(y1, 15);
    x0 = -10, y0 = 0, x1 = 0, y1 = -10;  // passes the corner outside
    EXPECT_FALSE(clipGrainLine(x0, y0, x1, y1, -3, -3, 20, 15));
}

}  // namespace
