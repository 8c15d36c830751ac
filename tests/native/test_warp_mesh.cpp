// The mesh warp on its own: the not-a-knot splines, Fant's resampling and the two
// passes over a block.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "filters/warper/mesh_warp.h"
#include "filters/warper/warp_core.h"

namespace {

// ---- Splines ------------------------------------------------------------------------

double cubic(double t) { return 0.5 * t * t * t - 2.0 * t * t + 3.0 * t - 1.0; }
double cubicSlope(double t) { return 1.5 * t * t - 4.0 * t + 3.0; }

TEST(Spline, ReproducesACubicThroughIrregularKnots) {
    // Irregular spacings (0.75, 1.75, 0.5, 3.25, ...); the not-a-knot ends are what make
    // a cubic come out exactly, so a wrong end row shows at the outer pieces.
    const std::vector<std::vector<double>> knotSets = {
        {0.0, 0.75, 2.5, 3.0, 6.25}, {0.0, 1.0, 5.0, 9.0, 10.0}, {-1.0, 0.5, 4.0, 7.5}};
    for (const auto& kx : knotSets) {
        const int n = int(kx.size());
        std::vector<double> ky(n), d(n);
        for (int i = 0; i < n; ++i) ky[i] = cubic(kx[i]);
        splineSlopes(kx.data(), ky.data(), n, d.data());
        for (int i = 0; i < n; ++i) EXPECT_NEAR(d[i], cubicSlope(kx[i]), 1e-9) << "knot " << i;
        const int count = 12;  // past the last knot: the end piece is the cubic too
        std::vector<double> out(2 * count, -7.0);
        sampleSpline(kx.data(), ky.data(), d.data(), n, count, out.data(), 2);
        for (int t = 0; t < count; ++t) {
            EXPECT_NEAR(out[2 * t], cubic(t), 1e-8) << "t " << t << ", " << n << " knots";
            EXPECT_EQ(out[2 * t + 1], -7.0) << "wrote between the strided outputs";
        }
    }
}

TEST(Spline, ConstantStaysExactlyConstant) {
    const double kx[] = {0.0, 1.0, 37.0, 103.0, 104.0};
    const double ky[] = {52.0, 52.0, 52.0, 52.0, 52.0};
    double d[5];
    splineSlopes(kx, ky, 5, d);
    std::vector<double> out(105);
    sampleSpline(kx, ky, d, 5, 105, out.data(), 1);
    for (int t = 0; t < 105; ++t) ASSERT_EQ(out[t], 52.0) << "t " << t;
}

TEST(Spline, HitsItsKnotsExactly) {
    // The block's fixed mesh lines rely on it: a knot at an integer comes back as is.
    const double kx[] = {0.0, 1.0, 52.0, 103.0, 104.0};
    const double ky[] = {0.0, 1.0, 77.0, 103.0, 104.0};
    double d[5];
    splineSlopes(kx, ky, 5, d);
    std::vector<double> out(105);
    sampleSpline(kx, ky, d, 5, 105, out.data(), 1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(out[int(kx[i])], ky[i]);
}

// ---- Fant ---------------------------------------------------------------------------

// A random non-decreasing map from 0 to len: stretches, squeezes and flat stretches
// (output pixels that take no input at all).
std::vector<double> randomMonotoneMap(std::mt19937& rng, int len) {
    std::vector<double> steps(len);
    std::uniform_real_distribution<double> weight(0.0, 1.0);
    for (auto& s : steps) {
        const int kind = int(rng() % 4);
        s = kind == 0 ? 0.0 : kind == 1 ? weight(rng) * 0.05 : weight(rng) * 4.0;
    }
    double total = 0;
    for (double s : steps) total += s;
    if (total == 0) steps[0] = total = 1.0;
    std::vector<double> map(len + 1);
    double at = 0;
    for (int i = 0; i < len; ++i) {
        map[i] = at * len / total;
        at += steps[i];
    }
    map[len] = len;
    return map;
}

TEST(Fant, IdentityMapCopiesExactly) {
    std::mt19937 rng(7);
    for (int len = 1; len <= 120; ++len)
        for (int stride : {1, 3}) {
            std::vector<uint8_t> in(size_t(len) * stride), out(in.size(), 0xAB);
            for (auto& v : in) v = uint8_t(rng());
            std::vector<double> map(len + 1);
            for (int i = 0; i <= len; ++i) map[i] = i;
            fantResample(in.data(), out.data(), len, stride, map.data());
            for (int i = 0; i < len; ++i) ASSERT_EQ(out[size_t(i) * stride], in[size_t(i) * stride]) << len;
            for (int i = 0; i < len; ++i)
                for (int k = 1; k < stride; ++k) ASSERT_EQ(out[size_t(i) * stride + k], 0xAB) << "between strides";
        }
}

TEST(Fant, ConstantRowsStayConstantUnderAnyMonotoneMap) {
    std::mt19937 rng(99);
    int rows = 0;
    for (int round = 0; round < 400; ++round) {
        const int len = 1 + int(rng() % 110);
        const std::vector<double> map = randomMonotoneMap(rng, len);
        for (uint8_t c : {0, 1, 127, 254, 255}) {
            std::vector<uint8_t> in(len, c), out(len, uint8_t(c ^ 0x5A));
            fantResample(in.data(), out.data(), len, 1, map.data());
            for (int i = 0; i < len; ++i) ASSERT_EQ(out[i], c) << "round " << round << " x " << i;
            ++rows;
        }
    }
    EXPECT_EQ(rows, 2000);
}

TEST(Fant, HalvingAveragesPairs) {
    // Output pixel x takes input [2x, 2x + 2): the mean of two whole pixels.
    const uint8_t in[8] = {0, 100, 200, 200, 10, 11, 255, 255};
    double map[9] = {0, 2, 4, 6, 8, 8, 8, 8, 8};
    uint8_t out[8] = {};
    fantResample(in, out, 8, 1, map);
    EXPECT_EQ(out[0], 50);
    EXPECT_EQ(out[1], 200);
    EXPECT_EQ(out[2], 11);  // 10.5 rounds up
    EXPECT_EQ(out[3], 255);
}

// ---- The two passes -----------------------------------------------------------------

struct Maps {
    std::vector<double> rows, columns, scratch;
    WarpMaps maps;
    explicit Maps(int s) : rows(mapDoubles(s)), columns(mapDoubles(s)), scratch(mapScratchDoubles(s)) {
        maps = WarpMaps{s, rows.data(), columns.data(), scratch.data()};
    }
};

std::vector<uint8_t> warped(const Maps& m, const std::vector<uint8_t>& block) {
    const int s = m.maps.side;
    std::vector<uint8_t> middle(size_t(s) * s), out(size_t(s) * s);
    warpBlock(m.maps, block.data(), middle.data(), out.data());
    return out;
}

TEST(MeshWarp, EvenBlockWithoutShiftIsTheIdentity) {
    std::mt19937 rng(3);
    for (int s = 4; s <= 104; s += 2) {
        Maps m(s);
        MeshGrid from, to;
        regularMesh(from, s);
        shiftedMesh(to, s, {0, 0});
        buildWarpMaps(m.maps, from, to);
        std::vector<uint8_t> block(size_t(s) * s);
        for (auto& v : block) v = uint8_t(rng());
        ASSERT_EQ(warped(m, block), block) << "s " << s;
    }
}

TEST(MeshWarp, OddBlockWithoutShiftMovesTheCentreHalfAPixel) {
    // s/2 of the destination lies half a pixel past the source's truncated s/2.
    const int s = 21;
    Maps m(s);
    MeshGrid from, to;
    regularMesh(from, s);
    shiftedMesh(to, s, {0, 0});
    buildWarpMaps(m.maps, from, to);
    std::vector<uint8_t> block(size_t(s) * s);
    for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) block[size_t(j) * s + i] = i < s / 2 ? 0 : 200;
    const auto out = warped(m, block);
    EXPECT_NE(out, block);
    EXPECT_EQ(out[size_t(s / 2) * s + s / 2 - 1], 0) << "the dark side does not shrink";
}

TEST(MeshWarp, MapsRunFromEdgeToEdgeWithoutFolding) {
    for (int s : {5, 6, 7, 25, 64, 103, 104})
        for (int distortion : {0, 37, 100})
            for (auto dir : {std::pair{1, 0}, {-3, 1}, {1, 1}, {0, -1}, {-5, -7}}) {
                Maps m(s);
                MeshGrid from, to;
                regularMesh(from, s);
                shiftedMesh(to, s, centreShift(s, distortion, 0, 0, dir.first, dir.second));
                buildWarpMaps(m.maps, from, to);
                for (const double* map : {m.maps.rowMap, m.maps.columnMap})
                    for (int k = 0; k < s; ++k) {
                        const double* line = map + size_t(k) * (s + 1);
                        ASSERT_EQ(line[0], 0.0);
                        ASSERT_EQ(line[s], double(s));
                        // The outer strips [0, 1] and [s - 1, s] stay where they are.
                        ASSERT_NEAR(line[1], 1.0, 1e-9) << s << " " << distortion;
                        ASSERT_NEAR(line[s - 1], s - 1.0, 1e-9);
                        for (int x = 0; x < s; ++x) ASSERT_LE(line[x], line[x + 1]);
                    }
            }
}

}  // namespace
