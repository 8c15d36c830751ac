// chisel's parameters block and the groove cross-section.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "filters/chisel/chisel_params.h"
#include "filters/chisel/groove_profile.h"

namespace {

struct Profile {
    ProfileEntry e[kStrokeProfileEntries];
    Profile(int width, int amount, int sharpness) {
        buildGrooveProfile(e, kStrokeProfileEntries, width, amount, sharpness);
    }
    float h(int i) const { return e[i].height; }
};

void expectFlatFrom(const Profile& p, int first) {
    for (int i = first; i < kStrokeProfileEntries; ++i) {
        EXPECT_EQ(p.e[i].height, 0.0f) << i;
        EXPECT_EQ(p.e[i].nx, 0.0f) << i;
        EXPECT_EQ(p.e[i].ny, 0.0f) << i;
        EXPECT_EQ(p.e[i].nz, 1.0f) << i;
    }
}

// Every slope's normal has the length 255.9, the first entry points straight up.
void expectUnitNormals(const Profile& p, int width) {
    EXPECT_EQ(p.e[0].nz, 255.9f);
    EXPECT_EQ(p.e[0].ny, 0.0f);
    for (int j = 1; j < width; ++j) {
        const double d = double(p.h(j)) - p.h(j - 1);
        EXPECT_EQ(p.e[j].nx, 0.0f);
        EXPECT_NEAR(std::hypot(double(p.e[j].ny), double(p.e[j].nz)), 255.9, 1e-3) << j;
        EXPECT_EQ(p.e[j].ny < 0.0f, d < 0.0) << j;  // the normal leans against the slope
    }
}

TEST(ChiselProfile, VShapeOddAndEvenWidths) {
    // amount 8, n = 2, e = 4: heights 0, -4, -8, -4 (, 0), scaled by a quarter.
    const Profile odd(5, 8, 0);
    const float oddHeights[5] = {0.0f, -1.0f, -2.0f, -1.0f, 0.0f};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(odd.h(i), oddHeights[i]) << i;
    expectFlatFrom(odd, 5);
    expectUnitNormals(odd, 5);
    EXPECT_FLOAT_EQ(odd.e[1].ny, float(-1.0 / std::sqrt(2.0) * 255.9));

    const Profile even(4, 8, 0);
    const float evenHeights[4] = {0.0f, -1.0f, -2.0f, -1.0f};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(even.h(i), evenHeights[i]) << i;
    expectFlatFrom(even, 4);
    EXPECT_GT(even.e[3].ny, 0.0f);  // climbing back up
}

TEST(ChiselProfile, WidthOneIsFlatForEverySharpness) {
    for (int b : {0, 25, 50, 75, 100, -25, -50, -75, -100}) {
        const Profile p(1, 40, b);
        EXPECT_EQ(p.h(0), 0.0f) << b;
        EXPECT_TRUE(std::isfinite(p.e[0].ny)) << b;
        expectFlatFrom(p, 1);
    }
}

// Edges and centre of each family, for an odd and an even width (amount 40).
TEST(ChiselProfile, SharpnessFamilies) {
    struct Case {
        int sharpness;
        float edge, centre;  // heights before the quarter scaling
    };
    const Case cases[] = {
        {25, 0.0f, -40.0f},  {50, 0.0f, -40.0f},  {75, 0.0f, -10.0f},  {100, 0.0f, 0.0f},
        {-25, 0.0f, -40.0f}, {-50, 0.0f, -40.0f}, {-75, -30.0f, -40.0f}, {-100, -40.0f, -40.0f},
    };
    for (const Case& c : cases)
        for (int width : {9, 10}) {
            SCOPED_TRACE(::testing::Message() << "sharpness " << c.sharpness << " width " << width);
            const Profile p(width, 40, c.sharpness);
            const int n = width / 2;
            if (width % 2 == 0) {
                EXPECT_NEAR(p.h(0), c.edge * 0.25f, 1e-4);
                EXPECT_NEAR(p.h(n), c.centre * 0.25f, 1e-4);
            }
            // Odd widths step by 1 / (w / 2) and stop short of s = 1, but the centre
            // entry is still the deepest.
            for (int i = 0; i < width; ++i) EXPECT_GE(p.h(i), p.h(n)) << i;
            for (int j = 1; j <= n; ++j) {
                if (c.sharpness > 0) {
                    EXPECT_EQ(p.h(j), p.h(width - j)) << j;
                } else if (n + j < width) {
                    EXPECT_EQ(p.h(n - j), p.h(n + j)) << j;
                }
            }
            for (int i = 0; i < width; ++i) EXPECT_LE(p.h(i), 0.0f) << i;
            expectUnitNormals(p, width);
            expectFlatFrom(p, width);
        }
}

TEST(ChiselProfile, SharpnessShapesOrdered) {
    // Beside the centre of a width-21 groove: the edge-in curve (25) bulges deeper than
    // the plain bowl (50), which is deeper than the shallow one (75); a negative sharpness
    // keeps the centre depth further out.
    const Profile b25(21, 40, 25), b50(21, 40, 50), b75(21, 40, 75), m25(21, 40, -25);
    EXPECT_LT(b25.h(4), b50.h(4));
    EXPECT_LT(b50.h(4), b75.h(4));
    EXPECT_LT(m25.h(4), b50.h(4));
    // A negative amount raises a ridge: the mirror image.
    const Profile ridge(21, -40, 25);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(ridge.h(i), -b25.h(i)) << i;
}

TEST(ChiselProfile, RotationTurnsNormalsInThePlane) {
    Profile p(5, 8, 0);
    const float ny = p.e[1].ny;
    rotateProfileNormals(p.e, kStrokeProfileEntries, 1.570795f);  // a quarter turn
    EXPECT_NEAR(p.e[1].nx, -ny, 1e-3);
    EXPECT_NEAR(p.e[1].ny, 0.0f, 1e-3);
    EXPECT_EQ(p.e[7].nx, 0.0f);
}

TEST(ChiselParams, DefaultsAndStoredLayout) {
    ChiselParams p;
    std::memset(&p, 0xAB, sizeof p);
    setChiselDefaults(p);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&p);
    const uint8_t head[12] = {50, 0, 25, 0, 25, 0, 25, 0, 7, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, head, 12), 0);
    EXPECT_EQ(std::memcmp(bytes + 1612, "\0\0\0\0\1\0\0\0", 8), 0);
    const Profile expected(25, 25, 25);
    EXPECT_EQ(std::memcmp(p.previewProfile, expected.e, sizeof p.previewProfile), 0);
}

TEST(ChiselParams, LoadClampsEveryFieldAndRebuildsTheProfile) {
    ChiselParams p;
    std::memset(&p, 0x7F, sizeof p);  // a corrupt block: every field far out of range
    p.tipDepth = -300;
    sanitizeChiselParams(p);
    EXPECT_EQ(p.grooveSize, 99);
    EXPECT_EQ(p.tipSize, 99);
    EXPECT_EQ(p.tipDepth, -99);
    EXPECT_EQ(p.tipSharpness, 100);
    EXPECT_EQ(p.intensity, 10);
    EXPECT_EQ(p.lightDirection, 7);
    EXPECT_EQ(p.pressureGroove, 1);
    const Profile expected(99, -99, 100);
    EXPECT_EQ(std::memcmp(p.previewProfile, expected.e, sizeof p.previewProfile), 0);

    p.lightDirection = -5;
    p.tipSize = 0;
    p.intensity = 0;
    p.pressureGroove = 0;
    sanitizeChiselParams(p);
    EXPECT_EQ(p.lightDirection, 0);
    EXPECT_EQ(p.tipSize, 1);
    EXPECT_EQ(p.intensity, 1);
    EXPECT_EQ(p.pressureGroove, 0);
}

}  // namespace
