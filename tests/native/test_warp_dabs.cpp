// warper on images: the warp dab, the eraser, the segment walk and the stroke step,
// through the core's image view with padded rows.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "filters/warper/warp_core.h"
#include "filters/warper/warp_params.h"
#include "tests/native/warp_test_platform.h"

namespace {

// Source and result with distinct row paddings (and a source pixel wider than the
// result's) so that code must honour every stride.
struct TestImage {
    int width = 0, height = 0, planes = 0;
    std::vector<uint8_t> src, out, mask;
    WarpImage view{};

    TestImage(int w, int h, int p, bool alpha = false, bool withMask = false) : width(w), height(h), planes(p) {
        view.sourcePixel = p + 1;
        view.sourceRow = w * view.sourcePixel + 3;
        view.resultRow = w * p + 5;
        view.maskRow = w + 2;
        src.assign(size_t(view.sourceRow) * h, 0xEE);
        out.assign(size_t(view.resultRow) * h, 0xEE);
        mask.assign(size_t(view.maskRow) * h, 255);
        view.source = src.data();
        view.result = out.data();
        view.mask = withMask ? mask.data() : nullptr;
        view.planes = p;
        view.width = w;
        view.height = h;
        view.transparency = alpha;
    }
    uint8_t& s(int x, int y, int c) { return src[size_t(y) * view.sourceRow + size_t(x) * view.sourcePixel + c]; }
    uint8_t& o(int x, int y, int c) { return out[size_t(y) * view.resultRow + size_t(x) * planes + c]; }
    uint8_t& m(int x, int y) { return mask[size_t(y) * view.maskRow + x]; }
    template <class F>
    void fill(F value) {  // source from value(x, y, c); the result a copy of it
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < planes; ++c) s(x, y, c) = o(x, y, c) = value(x, y, c);
    }
    void fillRandom(unsigned seed) {
        std::mt19937 rng(seed);
        fill([&](int, int, int) { return uint8_t(rng()); });
    }
};

TabletSample sample(int x, int y, int size, int distortion, int pressure = 600, bool eraser = false) {
    return TabletSample{int16_t(x), int16_t(y), int16_t(size), int16_t(distortion), uint16_t(pressure), uint8_t(eraser)};
}

// ---- Parameters and sample values ---------------------------------------------------

TEST(WarpParamsRecord, DefaultsAndSampleValues) {
    WarpParams p;
    std::memset(&p, 0x7F, sizeof p);
    setWarpDefaults(p);
    EXPECT_EQ(p.brushSize, 25);
    EXPECT_EQ(p.distortion, 100);
    EXPECT_EQ(p.sizeSource, 1);
    EXPECT_EQ(p.distortionSource, 1);
    const int sizes[][2] = {{-4, 5}, {0, 5}, {1, 6}, {25, 30}, {99, 104}, {100, 104}, {30000, 104}};
    for (auto& c : sizes) EXPECT_EQ(warpSampleSize(c[0]), c[1]) << c[0];
    const int amounts[][2] = {{-1, 0}, {0, 0}, {1, 1}, {100, 100}, {101, 100}, {4000, 100}};
    for (auto& c : amounts) EXPECT_EQ(warpSampleDistortion(c[0]), c[1]) << c[0];
}

TEST(WarpMesh, CentreShiftAlongTheStroke) {
    struct Case {
        int s, distortion, tx, ty, dx, dy;
    } cases[] = {
        {104, 100, 10, 0, 25, 0},   {104, 100, -10, 0, -25, 0}, {104, 100, 0, 3, 0, 25},
        {104, 100, 7, 7, 18, 18},   {104, 100, -7, 7, -18, 18}, {104, 50, 1, 0, 12, 0},
        {104, 0, 5, 5, 0, 0},       {104, 400, 1, 0, 25, 0},    {104, -20, 1, 0, 0, 0},
        {6, 100, 1, 0, 1, 0},       {5, 100, 1, 0, 0, 0},       {30, 100, 0, -9, 0, -7},
    };
    for (const Case& c : cases) {
        const CentreShift got = centreShift(c.s, c.distortion, 0, 0, c.tx, c.ty);
        EXPECT_EQ(got.dx, c.dx) << c.s << " " << c.distortion << " " << c.tx << "," << c.ty;
        EXPECT_EQ(got.dy, c.dy) << c.s << " " << c.distortion << " " << c.tx << "," << c.ty;
    }
}

// ---- Warp dab -----------------------------------------------------------------------

TEST(WarpDab, ConstantImageStaysConstant) {
    for (int planes = 1; planes <= 5; ++planes) {
        TestImage img(40, 31, planes, planes == 4);
        const uint8_t values[] = {7, 200, 255, 0, 128};
        img.fill([&](int, int, int c) { return values[c]; });
        for (int size = 6; size <= 104; ++size)
            for (int distortion : {size % 2 ? 0 : 1, size % 2 ? 63 : 100})
                // Across the middle, and along the border where the block reaches out.
                for (auto [x0, y0, x1, y1] : {std::array{5, 20, 30, 9}, std::array{0, 0, 39, 2}}) {
                    ASSERT_EQ(warpSegment(img.view, sample(x0, y0, size, distortion), sample(x1, y1, size, distortion)),
                              SegmentResult::drawn);
                    for (int y = 0; y < img.height; ++y)
                        for (int x = 0; x < img.width; ++x)
                            for (int c = 0; c < planes; ++c)
                                ASSERT_EQ(img.o(x, y, c), values[c])
                                    << "planes " << planes << " size " << size << " distortion " << distortion << " at "
                                    << x << "," << y;
                }
    }
}

struct OneDab {
    TestImage img{90, 80, 3};
    WarpWork work{};
    OneDab(int s, CentreShift shift) {
        img.fillRandom(unsigned(s * 31 + shift.dx));
        EXPECT_TRUE(allocWarpWork(work, s));
        MeshGrid from, to;
        regularMesh(from, s);
        shiftedMesh(to, s, shift);
        buildWarpMaps(work.maps, from, to);
    }
    ~OneDab() { freeWarpWork(work); }
    void warpAt(int x, int y) { warpDab(img.view, work, x, y); }
};

TEST(WarpDab, OuterStripsAndEverythingOutsideTheBlockStay) {
    for (int s : {6, 7, 30, 51, 70})
        for (CentreShift shift : {CentreShift{s / 5, 0}, CentreShift{-s / 6, s / 7}}) {
            OneDab d(s, shift);
            const int cx = 41, cy = 37, left = cx - s / 2, top = cy - s / 2;
            d.warpAt(cx, cy);
            int changed = 0;
            for (int y = 0; y < d.img.height; ++y)
                for (int x = 0; x < d.img.width; ++x) {
                    const int i = x - left, j = y - top;
                    const bool inner = i > 0 && j > 0 && i < s - 1 && j < s - 1;
                    for (int c = 0; c < 3; ++c) {
                        if (!inner) {
                            ASSERT_EQ(d.img.o(x, y, c), d.img.s(x, y, c)) << s << " at " << x << "," << y;
                        }
                        changed += d.img.o(x, y, c) != d.img.s(x, y, c);
                    }
                }
            EXPECT_GT(changed, (s - 2) * (s - 2) / 2) << "the inside moved";
        }
}

// Where a dark-to-bright edge lies along row y, in pixels from the left: the dark mass.
double edgeAt(TestImage& img, int y) {
    double dark = 0;
    for (int x = 0; x < img.width; ++x) dark += (220.0 - img.o(x, y, 0)) / 200.0;
    return dark;
}

TEST(WarpDab, RightwardAndLeftwardMoveAnEdgeEquallyFar) {
    for (int s : {20, 40, 104}) {
        double moved[2];
        for (int side = 0; side < 2; ++side) {
            const int dir = side == 0 ? 1 : -1;
            const CentreShift shift = centreShift(s, 100, 0, 0, dir, 0);
            OneDab d(s, shift);
            d.img.fill([](int x, int, int) { return uint8_t(x < 60 ? 20 : 220); });
            d.warpAt(60, 40);
            moved[side] = edgeAt(d.img, 40) - 60.0;
            EXPECT_NEAR(moved[side], shift.dx, 0.75) << "s " << s << " direction " << dir;
            if (s / 2 <= 40) {
                EXPECT_EQ(edgeAt(d.img, 40 - s / 2), 60.0) << "the block's top row stays";
            }
        }
        EXPECT_GT(moved[0], 0.0);
        EXPECT_NEAR(moved[0], -moved[1], 0.5) << "s " << s;
    }
}

TEST(WarpDab, WritesOnlyWhereTheMaskIsSet) {
    OneDab d(40, {9, 0});
    d.img.view.mask = d.img.mask.data();
    for (int y = 0; y < d.img.height; ++y)
        for (int x = 0; x < d.img.width; ++x) d.img.m(x, y) = (x + 2 * y) % 3 == 0 ? 0 : 200;
    d.warpAt(45, 40);
    int changed = 0;
    for (int y = 0; y < d.img.height; ++y)
        for (int x = 0; x < d.img.width; ++x)
            for (int c = 0; c < 3; ++c) {
                if (d.img.m(x, y) == 0) {
                    ASSERT_EQ(d.img.o(x, y, c), d.img.s(x, y, c)) << x << "," << y;
                }
                changed += d.img.o(x, y, c) != d.img.s(x, y, c);
            }
    EXPECT_GT(changed, 1000);
}

// ---- Eraser -------------------------------------------------------------------------

TEST(RestoreDab, FullStrengthRestoresTheDiscAndZeroNothing) {
    for (int planes : {1, 3, 4, 5}) {
        TestImage img(50, 40, planes, planes == 4 || planes == 5);
        img.fillRandom(unsigned(planes));
        std::mt19937 rng(11);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x)
                for (int c = 0; c < planes; ++c) img.o(x, y, c) = uint8_t(rng());
        // Every source pixel opaque here; the hidden ones have their own test.
        if (img.view.transparency)
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 50; ++x) img.s(x, y, planes - 1) |= 1;
        const std::vector<uint8_t> before = img.out;
        restoreDab(img.view, 20, 18, 29, 0);
        EXPECT_EQ(img.out, before) << "distortion 0";
        restoreDab(img.view, 20, 18, 29, 100);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 50; ++x) {
                const bool inDisc = (x - 20) * (x - 20) + (y - 18) * (y - 18) < 14 * 14;
                for (int c = 0; c < planes; ++c) {
                    const size_t at = size_t(y) * img.view.resultRow + size_t(x) * planes + c;
                    ASSERT_EQ(img.o(x, y, c), inDisc ? img.s(x, y, c) : before[at])
                        << planes << " planes at " << x << "," << y << " plane " << c;
                }
            }
    }
}

TEST(RestoreDab, PartialStrengthAndHiddenSourcePixels) {
    TestImage img(3, 1, 5, true);
    // Inks and transparency of each pixel: the source, then the result.
    const uint8_t source[3][5] = {{200, 0, 10, 90, 255}, {40, 50, 60, 70, 0}, {100, 100, 100, 100, 80}};
    const uint8_t result[3][5] = {{0, 200, 10, 91, 0}, {41, 51, 61, 71, 201}, {100, 101, 99, 100, 80}};
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 5; ++c) {
            img.s(x, 0, c) = source[x][c];
            img.o(x, 0, c) = result[x][c];
        }
    restoreDab(img.view, 1, 0, 6, 50);  // radius 3: all three pixels
    // result + (source - result) * 0.5, truncated; every plane, transparency included.
    const uint8_t expected[3][5] = {{100, 100, 10, 90, 127}, {41, 51, 61, 71, 100}, {100, 100, 99, 100, 80}};
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 5; ++c) EXPECT_EQ(img.o(x, 0, c), expected[x][c]) << x << " plane " << c;
}

TEST(RestoreDab, KeepsToTheMask) {
    TestImage img(12, 9, 3, false, true);
    img.fillRandom(5);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            for (int c = 0; c < 3; ++c) img.o(x, y, c) = uint8_t(img.s(x, y, c) ^ 0x80);
            img.m(x, y) = x < 6 ? 0 : 1;
        }
    restoreDab(img.view, 6, 4, 20, 100);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x)
            EXPECT_EQ(img.o(x, y, 1) == img.s(x, y, 1), x >= 6) << x << "," << y;
}

// ---- Segment walk -------------------------------------------------------------------

std::vector<std::array<int, 2>> dabsOf(int x0, int y0, int x1, int y1, int w, int h, int step) {
    std::vector<std::array<int, 2>> at;
    walkWarpSegment(x0, y0, x1, y1, w, h, step,
                    [](void* c, int x, int y) { static_cast<std::vector<std::array<int, 2>>*>(c)->push_back({x, y}); },
                    &at);
    return at;
}

using Points = std::vector<std::array<int, 2>>;

TEST(WarpWalk, FromTheLastSampleTowardTheNew) {
    EXPECT_EQ(dabsOf(10, 50, 90, 50, 200, 200, 26), (Points{{10, 50}, {36, 50}, {62, 50}, {88, 50}}));
    EXPECT_EQ(dabsOf(90, 50, 10, 50, 200, 200, 26), (Points{{90, 50}, {64, 50}, {38, 50}, {12, 50}}));
    EXPECT_EQ(dabsOf(7, 40, 7, 5, 200, 200, 10), (Points{{7, 40}, {7, 30}, {7, 20}, {7, 10}}));
    // Steep: along y, x by step / m; shallow: along x, y by step * m.
    EXPECT_EQ(dabsOf(20, 10, 10, 40, 200, 200, 10), (Points{{20, 10}, {16, 20}, {13, 30}, {10, 40}}));
    EXPECT_EQ(dabsOf(40, 20, 0, 10, 200, 200, 10), (Points{{40, 20}, {30, 17}, {20, 15}, {10, 12}, {0, 10}}));
}

TEST(WarpWalk, ClipsToTheFrame) {
    EXPECT_EQ(dabsOf(-50, 20, 150, 20, 100, 60, 30), (Points{{0, 20}, {30, 20}, {60, 20}, {90, 20}}));
    EXPECT_EQ(dabsOf(150, 20, -50, 20, 100, 60, 30), (Points{{100, 20}, {70, 20}, {40, 20}, {10, 20}}));
    EXPECT_TRUE(dabsOf(-10, -5, -3, 70, 100, 60, 4).empty());
    EXPECT_TRUE(dabsOf(110, 70, 130, 10, 100, 60, 4).empty());
    for (const auto& p : dabsOf(-40, 90, 140, -30, 100, 60, 3)) {
        EXPECT_GE(p[0], 0);
        EXPECT_LE(p[0], 100);
        EXPECT_GE(p[1], 0);
        EXPECT_LE(p[1], 60);
    }
}

TEST(WarpStroke, DragsAnEdgeEquallyFarEitherWay) {
    // A rightward stroke from the dark side and a leftward one from the bright side: the
    // trailing dabs keep pushing what the earlier ones moved, whichever way the pen goes.
    double moved[2];
    for (int side = 0; side < 2; ++side) {
        TestImage img(200, 60, 1);
        img.fill([](int x, int, int) { return uint8_t(x < 100 ? 20 : 220); });
        const int from = side == 0 ? 80 : 120, to = side == 0 ? 140 : 60;
        ASSERT_EQ(warpSegment(img.view, sample(from, 30, 40, 100), sample(to, 30, 40, 100)), SegmentResult::drawn);
        moved[side] = edgeAt(img, 30) - 100.0;
    }
    EXPECT_GT(moved[0], 15.0) << "more than one dab's push";
    EXPECT_NEAR(moved[0], -moved[1], 1.0);
}

// ---- Stroke step --------------------------------------------------------------------

TEST(WarpStroke, ClickWithoutMovementDrawsNothing) {
    TestImage img(60, 50, 3);
    img.fillRandom(8);
    const std::vector<uint8_t> before = img.out;
    WarpStroke stroke{};
    gWarpAllocations = WarpAllocations{};
    for (const TabletSample& s : {sample(30, 20, 30, 100, 700), sample(30, 20, 30, 100, 900), sample(30, 20, 30, 100, 0),
                                  sample(30, 20, 30, 100, kEndOfStroke)}) {
        const WarpStepOutcome r = warpStrokeStep(stroke, s, img.view);
        EXPECT_FALSE(r.segment);
        EXPECT_EQ(r.right - r.left, 0);
    }
    EXPECT_EQ(img.out, before);
    EXPECT_EQ(gWarpAllocations.count, 0);
}

TEST(WarpStroke, ThinsStartsAndEnds) {
    TestImage img(60, 50, 3);
    img.fillRandom(8);
    WarpStroke stroke{};
    auto step = [&](TabletSample s) { return warpStrokeStep(stroke, s, img.view).segment; };
    EXPECT_FALSE(step(sample(10, 10, 40, 100, 1))) << "pressure 1 starts nothing";
    EXPECT_EQ(stroke.lastPressure, 0);
    EXPECT_FALSE(step(sample(10, 10, 40, 100, 500)));  // starts: no cap dab
    EXPECT_FALSE(step(sample(14, 6, 40, 100, 500))) << "within size/8 = 5 on both axes: dropped";
    EXPECT_EQ(stroke.last.x, 10);
    EXPECT_TRUE(step(sample(15, 10, 40, 100, 500)));
    EXPECT_TRUE(step(sample(16, 11, 40, 100, 0))) << "a lifting sample is drawn to however close";
    EXPECT_EQ(stroke.lastPressure, 0);
    EXPECT_FALSE(step(sample(40, 11, 40, 100, 500))) << "starts afresh";
    EXPECT_FALSE(step(sample(40, 11, 40, 100, kEndOfStroke)));
    EXPECT_EQ(stroke.lastPressure, 0);
    EXPECT_FALSE(step(sample(50, 30, 40, 100, 500)));
    EXPECT_TRUE(step(sample(60, 30, 40, 100, 40000))) << "a pressure of 32768 or more paints like any other";
    EXPECT_EQ(stroke.lastPressure, 40000);
}

TEST(WarpStroke, OneAllocationPerSegmentAndNoneForTheEraser) {
    TestImage img(100, 80, 3);
    img.fillRandom(4);
    gWarpAllocations = WarpAllocations{};
    WarpStroke stroke{};
    warpStrokeStep(stroke, sample(10, 40, 104, 100), img.view);
    warpStrokeStep(stroke, sample(90, 70, 104, 100), img.view);  // several dabs, three planes
    warpStrokeStep(stroke, sample(20, 10, 104, 100), img.view);
    EXPECT_EQ(gWarpAllocations.count, 2);
    EXPECT_EQ(gWarpAllocations.live, 0);
    warpStrokeStep(stroke, sample(20, 10, 60, 100, kEndOfStroke), img.view);
    warpStrokeStep(stroke, sample(20, 10, 60, 100, 500, true), img.view);
    EXPECT_TRUE(warpStrokeStep(stroke, sample(60, 60, 60, 100, 500, true), img.view).segment);
    EXPECT_EQ(gWarpAllocations.count, 2);
}

TEST(WarpStroke, SegmentWithoutWorkBuffersDrawsNothing) {
    TestImage img(100, 80, 3);
    img.fillRandom(4);
    const std::vector<uint8_t> before = img.out;
    gWarpAllocations = WarpAllocations{};
    gWarpAllocations.failNext = true;
    WarpStroke stroke{};
    warpStrokeStep(stroke, sample(10, 40, 50, 100), img.view);
    const WarpStepOutcome r = warpStrokeStep(stroke, sample(70, 45, 50, 100), img.view);
    EXPECT_TRUE(r.outOfMemory);
    EXPECT_EQ(img.out, before);
    EXPECT_EQ(gWarpAllocations.live, 0);
    EXPECT_FALSE(warpStrokeStep(stroke, sample(20, 45, 50, 100), img.view).outOfMemory);
    EXPECT_NE(img.out, before) << "the next segment gets its buffers";
}

TEST(WarpStroke, RepaintAreaHoldsEveryChangedPixel) {
    std::mt19937 rng(17);
    for (int round = 0; round < 60; ++round) {
        TestImage img(90, 70, 3);
        img.fillRandom(unsigned(round));
        WarpStroke stroke{};
        std::uniform_int_distribution<int> px(-20, 110), size(6, 104);
        warpStrokeStep(stroke, sample(px(rng), px(rng), size(rng), 100), img.view);
        std::vector<uint8_t> before = img.out;
        const WarpStepOutcome r = warpStrokeStep(stroke, sample(px(rng), px(rng), size(rng), 100), img.view);
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                for (int c = 0; c < 3; ++c)
                    if (img.out[size_t(y) * img.view.resultRow + x * 3 + c] != before[size_t(y) * img.view.resultRow + x * 3 + c]) {
                        ASSERT_TRUE(x >= r.left && x < r.right && y >= r.top && y < r.bottom)
                            << "round " << round << " changed " << x << "," << y;
                    }
    }
}

// ---- No access outside the buffers --------------------------------------------------

// Bytes that end right at an inaccessible page (or, with `front`, start right after
// one), so that a read or write one byte outside faults at once.
class GuardedBytes {
public:
    GuardedBytes(size_t bytes, bool front) {
        page_ = size_t(sysconf(_SC_PAGESIZE));
        const size_t dataPages = (bytes + page_ - 1) / page_ + 1;
        length_ = (dataPages + 2) * page_;
        void* m = mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = m == MAP_FAILED ? nullptr : static_cast<uint8_t*>(m);
        if (!base_) return;
        mprotect(base_, page_, PROT_NONE);
        mprotect(base_ + length_ - page_, page_, PROT_NONE);
        data_ = front ? base_ + page_ : base_ + length_ - page_ - bytes;
    }
    ~GuardedBytes() {
        if (base_) munmap(base_, length_);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    uint8_t* data() const { return data_; }

private:
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
    size_t page_ = 0, length_ = 0;
};

TEST(WarpBounds, LargestBrushAtEveryBorderAndCornerOfTinyAndSmallImages) {
    int segments = 0;
    for (auto [w, h] : {std::array{1, 1}, std::array{3, 2}, std::array{37, 23}})
        for (int planes : {3, 5})
            for (bool front : {false, true}) {
                // Rows without padding: the first and last byte of each buffer are used.
                GuardedBytes src(size_t(w) * h * planes, front), out(size_t(w) * h * planes, front),
                    mask(size_t(w) * h, front);
                ASSERT_NE(src.data(), nullptr);
                std::mt19937 rng(unsigned(w * 100 + planes));
                for (size_t i = 0; i < size_t(w) * h * planes; ++i) src.data()[i] = out.data()[i] = uint8_t(rng());
                for (size_t i = 0; i < size_t(w) * h; ++i) mask.data()[i] = uint8_t(i % 3 ? 255 : 0);
                const WarpImage view{src.data(), w * planes, planes, out.data(), w * planes, mask.data(), w,
                                     planes, w, h, planes != 3};
                // Corners, edge midpoints and points well outside, joined pairwise.
                const int xs[] = {-200, 0, w / 2, w, w + 200}, ys[] = {-200, 0, h / 2, h, h + 200};
                std::vector<std::array<int, 2>> points;
                for (int x : xs)
                    for (int y : ys) points.push_back({x, y});
                for (bool eraser : {false, true})
                    for (const auto& a : points)
                        for (const auto& b : points) {
                            if (a == b) continue;
                            const TabletSample last = sample(a[0], a[1], warpSampleSize(99), 100, 600, eraser);
                            warpSegment(view, last, sample(b[0], b[1], 104, 100));
                            ++segments;
                        }
            }
    EXPECT_GT(segments, 5000);
    EXPECT_EQ(gWarpAllocations.live, 0);
}

}  // namespace
