// airbrush's parameters, tables, generator, pen samples, footprints and dab operations
// on small images.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "tests/native/airbrush_fixture.h"

namespace {

const uint16_t kOrange[3] = {0xFFFF, 0x8080, 0x0101};

// ---- parameters and colour ----

TEST(AirbrushParams, DefaultsResetAndClamp) {
    AirbrushParams p;
    setAirbrushDefaults(p, kOrange);
    EXPECT_EQ(p.brushSize, 30);
    EXPECT_EQ(p.inkFlow, 30);
    EXPECT_EQ(p.splatterSize, 1);
    EXPECT_EQ(p.softSpray, 1);
    EXPECT_EQ(p.sizeSource, kSourcePressure);
    EXPECT_EQ(p.flowSource, kSourcePressure);
    EXPECT_EQ(p.color[1], 0x8080);

    p.sizeSource = kSourceWheel;
    p.flowSource = kSourceFixed;
    p.brushSize = 77;
    p.softSpray = 0;
    const uint16_t blue[3] = {0, 0, 0xFFFF};
    resetAirbrushParams(p, blue);
    EXPECT_EQ(p.brushSize, 30);
    EXPECT_EQ(p.softSpray, 1);
    EXPECT_EQ(p.color[2], 0xFFFF);
    EXPECT_EQ(p.sizeSource, kSourceWheel);  // Reset keeps both sources
    EXPECT_EQ(p.flowSource, kSourceFixed);

    p.brushSize = 0;
    p.inkFlow = 101;
    p.splatterSize = -5;
    p.nativeHalf[2] = 300;
    p.sizeSource = 3;
    p.flowSource = -1;
    p.softSpray = 9;
    p.padding[1] = 7;
    sanitizeAirbrushParams(p);
    EXPECT_EQ(p.brushSize, 1);
    EXPECT_EQ(p.inkFlow, 100);
    EXPECT_EQ(p.splatterSize, 1);
    EXPECT_EQ(p.nativeHalf[2], 127);
    EXPECT_EQ(p.sizeSource, kSourcePressure);
    EXPECT_EQ(p.flowSource, kSourcePressure);
    EXPECT_EQ(p.softSpray, 1);
    EXPECT_EQ(p.padding[1], 0);
}

TEST(AirbrushColour, NativeHalfFallsBackWhenConversionFails) {
    AirbrushParams p;
    setAirbrushDefaults(p, kOrange);
    EXPECT_EQ(p.nativeHalf[0], 127);  // 0xFFFF >> 9
    EXPECT_EQ(p.nativeHalf[1], 64);   // 0x8080 >> 9
    EXPECT_EQ(p.nativeHalf[2], 0);
    EXPECT_EQ(p.nativeHalf[3], 127);

    const int16_t cmyk[4] = {10, 201, 255, 3};
    nativeHalfFromConversion(p, 0, cmyk);
    EXPECT_EQ(p.nativeHalf[0], 5);
    EXPECT_EQ(p.nativeHalf[1], 100);
    EXPECT_EQ(p.nativeHalf[2], 127);
    EXPECT_EQ(p.nativeHalf[3], 1);
    // -30900 (unsupported) or any error: the components left in the record are ignored.
    for (int error : {-30900, -1, 1}) {
        nativeHalfFromConversion(p, 0, cmyk);
        nativeHalfFromConversion(p, error, cmyk);
        EXPECT_EQ(p.nativeHalf[1], 64) << error;
        EXPECT_EQ(p.nativeHalf[3], 127) << error;
    }
    const int16_t wild[4] = {-20, 600, 0, 255};
    nativeHalfFromConversion(p, 0, wild);
    EXPECT_EQ(p.nativeHalf[0], 0);
    EXPECT_EQ(p.nativeHalf[1], 127);
    const uint8_t channels[4] = {255, 1, 128, 77};
    nativeHalfFromChannels(p, channels);
    EXPECT_EQ(p.nativeHalf[0], 127);
    EXPECT_EQ(p.nativeHalf[1], 0);
    EXPECT_EQ(p.nativeHalf[2], 64);
    EXPECT_EQ(p.nativeHalf[3], 38);
}

// ---- tables and generator ----

TEST(SprayTables, AnchorValues) {
    SprayTables t;
    buildSprayTables(t);
    EXPECT_EQ(t.falloff[0], 0);
    EXPECT_EQ(t.falloff[256], 79);
    EXPECT_EQ(t.falloff[512], 198);
    EXPECT_EQ(t.falloff[768], 246);
    EXPECT_EQ(t.falloff[1023], 254);
    EXPECT_TRUE(std::is_sorted(std::begin(t.falloff), std::end(t.falloff)));
    EXPECT_FLOAT_EQ(t.tilt[60][60], 1.0f);
    EXPECT_EQ(t.tilt[0][0], 0.0f);
    EXPECT_FLOAT_EQ(t.tilt[30][0], 30.0f / 84.85281374239f);
    // sqrt(2) in single precision lies just below it, so H[s] = 2 s - 1.
    EXPECT_EQ(t.halfWidth[1], 1);
    EXPECT_EQ(t.halfWidth[10], 19);
    EXPECT_EQ(t.halfWidth[99], 197);
}

TEST(SprayRandom, SequenceFromSeedOne) {
    SprayRandom r;
    // The well-known sequence of this generator from seed 1.
    EXPECT_EQ(r.next(), 41);
    EXPECT_EQ(r.next(), 18467);
    EXPECT_EQ(r.next(), 6334);
    EXPECT_EQ(r.next(), 26500);
    EXPECT_EQ(r.next(), 19169);
    EXPECT_EQ(r.draws, 5u);
    int lo = INT_MAX, hi = INT_MIN;
    for (int i = 0; i < 100000; ++i) {
        const int v = r.next();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 32767);
}

// ---- the pen sample ----

TEST(SpraySample, TiltAzimuthAndEraserFromThePacket) {
    AirbrushParams p;
    setAirbrushDefaults(p, kOrange);
    p.brushSize = 40;
    p.inkFlow = 80;
    AirbrushSample s = buildSpraySample(penPacket(12, 34, 0, 90), kPenRanges, p);
    EXPECT_EQ(s.x, 12);
    EXPECT_EQ(s.y, 34);
    EXPECT_EQ(s.tilt, 0);
    EXPECT_EQ(s.wheel, 0);
    EXPECT_EQ(s.elongation, 1.0f);
    EXPECT_EQ(s.azimuth, 0.0f);
    EXPECT_EQ(s.size, 40);
    EXPECT_EQ(s.flow, 80);
    EXPECT_EQ(s.inverted, 0);
    EXPECT_EQ(s.repeat, 0);

    s = buildSpraySample(penPacket(0, 0, 60, 180), kPenRanges, p);
    EXPECT_EQ(s.tilt, 60);
    EXPECT_FLOAT_EQ(s.elongation, 2.5f);
    EXPECT_NEAR(s.azimuth, 3.14159f / 2, 1e-6);
    s = buildSpraySample(penPacket(0, 0, 30, 0), kPenRanges, p);
    EXPECT_EQ(s.tilt, 30);
    EXPECT_FLOAT_EQ(s.elongation, 1.375f);
    EXPECT_NEAR(s.azimuth, -3.14159f / 2, 1e-6);

    // The eraser end: negative raw altitude; an upright eraser has tilt 0.
    s = buildSpraySample(penPacket(0, 0, 0, 0, 1023, true), kPenRanges, p);
    EXPECT_EQ(s.inverted, 1);
    EXPECT_EQ(s.tilt, 0);
    s = buildSpraySample(penPacket(0, 0, 45, 0, 1023, true), kPenRanges, p);
    EXPECT_EQ(s.inverted, 1);
    EXPECT_EQ(s.tilt, -45);
    // A reading beyond the reported altitude range stays within the tilt table.
    s = buildSpraySample(SprayPacket{0, 0, -2000, 0, 1023, 0}, SprayRanges{0, 900, 0, 3600, 1023, 1023}, p);
    EXPECT_GE(s.tilt, -60);
    EXPECT_LE(s.tilt, 60);
    EXPECT_EQ(s.inverted, 1);
}

TEST(SpraySample, SizeAndFlowFromTheirSources) {
    AirbrushParams p;
    setAirbrushDefaults(p, kOrange);
    p.brushSize = 50;
    p.inkFlow = 60;
    SprayPacket packet{5, 5, 900, 0, 512, 256};  // half pressure, a quarter of the wheel
    p.sizeSource = kSourcePressure;
    p.flowSource = kSourceWheel;
    AirbrushSample s = buildSpraySample(packet, kPenRanges, p);
    EXPECT_EQ(s.size, 25);   // MulDiv(50, 512, 1023) = 25.02
    EXPECT_EQ(s.flow, 15);   // MulDiv(60, 256, 1023) = 15.01
    EXPECT_EQ(s.pressure, 512);
    p.sizeSource = kSourceWheel;
    p.flowSource = kSourceFixed;
    s = buildSpraySample(packet, kPenRanges, p);
    EXPECT_EQ(s.size, 12);  // trunc(50 * 0.25024)
    EXPECT_EQ(s.flow, 60);
    // The eraser takes the wheel source from the pressure.
    packet.altitude = -900;
    s = buildSpraySample(packet, kPenRanges, p);
    EXPECT_EQ(s.size, 25);
    // No pressure or wheel range: the full slider value, never -1 or a division by zero.
    packet.altitude = 900;
    p.sizeSource = kSourceWheel;
    p.flowSource = kSourcePressure;
    s = buildSpraySample(packet, SprayRanges{-900, 900, 0, 3600, 0, -1}, p);
    EXPECT_EQ(s.size, 50);
    EXPECT_EQ(s.flow, 60);
    // Size at least 1, flow 0 allowed; readings beyond the maximum held to 99 and 100.
    packet.pressure = 0;
    p.sizeSource = kSourcePressure;
    s = buildSpraySample(packet, kPenRanges, p);
    EXPECT_EQ(s.size, 1);
    EXPECT_EQ(s.flow, 0);
    packet.pressure = 4000;
    p.brushSize = 99;
    p.inkFlow = 100;
    s = buildSpraySample(packet, kPenRanges, p);
    EXPECT_EQ(s.size, 99);
    EXPECT_EQ(s.flow, 100);
}

// ---- soft spray ----

TEST(SoftSpray, DabAtTiltZeroSizeFiveFullFlowSeedOne) {
    SprayFixture f(7, 7);
    const AirbrushSample s = f.sample(3, 3, 5, 100);
    buildSoftFootprint(f.canvas, s);
    EXPECT_EQ(f.random.draws, 21u);  // one value per footprint pixel, the 4 corners are out
    softSprayDab(f.canvas, s);

    // Rows of the 5 x 5 window around (3, 3), red channel then green; the footprint's
    // last column is its end (exclusive), so column 5 is left in rows 2..4.
    const int red[5][5] = {
        {58, 80, 102, 126, 142},
        {55, 102, 157, 136, 139},
        {54, 142, 255, 134, 136},
        {58, 98, 114, 118, 133},
        {46, 68, 89, 109, 130},
    };
    const int green[5][5] = {
        {65, 86, 106, 124, 149},
        {62, 76, 77, 113, 146},
        {59, 62, 32, 110, 143},
        {55, 70, 89, 116, 140},
        {53, 74, 95, 116, 137},
    };
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(f.px(x + 1, y + 1)[0], red[y][x]) << x + 1 << "," << y + 1;
            EXPECT_EQ(f.px(x + 1, y + 1)[1], green[y][x]) << x + 1 << "," << y + 1;
        }
    // The centre is the colour itself: falloff 0 and the 11th value's noise is 0.
    EXPECT_EQ(f.px(3, 3)[2], 0x10);
    // Outside the footprint nothing changed.
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 7; ++x)
            if (std::abs(x - 3) > 2 || std::abs(y - 3) > 2 || (std::abs(x - 3) == 2 && std::abs(y - 3) == 2)) {
                EXPECT_TRUE(f.unchanged(x, y)) << x << "," << y;
            }
}

TEST(SoftSpray, ZeroFlowChangesNothingAndFullFlowConverges) {
    SprayFixture f(21, 21);
    AirbrushSample s = f.sample(10, 10, 9, 0);
    buildSoftFootprint(f.canvas, s);
    softSprayDab(f.canvas, s);
    EXPECT_EQ(f.changedPixels(), 0);
    s.flow = 100;
    for (int i = 0; i < 40; ++i) softSprayDab(f.canvas, s);
    EXPECT_EQ(f.px(10, 10)[0], 0xFF);
    EXPECT_EQ(f.px(10, 10)[1], 0x20);
    EXPECT_EQ(f.px(10, 10)[2], 0x10);
}

TEST(SoftSpray, CmykPaintsTwiceNativeHalf) {
    SprayFixture f(9, 9, 4, true);
    f.params.nativeHalf[0] = 10;
    f.params.nativeHalf[1] = 20;
    f.params.nativeHalf[2] = 30;
    f.params.nativeHalf[3] = 127;
    const AirbrushSample s = f.sample(4, 4, 5, 100);
    buildSoftFootprint(f.canvas, s);
    softSprayDab(f.canvas, s);
    EXPECT_EQ(f.px(4, 4)[0], 20);
    EXPECT_EQ(f.px(4, 4)[1], 40);
    EXPECT_EQ(f.px(4, 4)[2], 60);
    EXPECT_EQ(f.px(4, 4)[3], 254);
    EXPECT_EQ(f.px(4, 4)[4], 255);  // transparency left
}

struct Extents {
    int rowMin, rowMax, colMin, colMax;
    int densestX, densestY;
};

Extents softExtents(int tilt, int azimuth, int size) {
    SprayFixture f(8, 8);
    const AirbrushSample s = f.sample(0, 0, size, 100, tilt, azimuth);
    buildSoftFootprint(f.canvas, s);
    const SprayMask& m = *f.mask;
    Extents e{INT_MAX, INT_MIN, INT_MAX, INT_MIN, 0, 0};
    int densest = 256;
    for (int y = m.rowMin; y <= m.rowMax; ++y) {
        const int first = m.first[y + kMaskHalf], end = m.end[y + kMaskHalf];
        if (first == kRowUnreached) continue;
        e.rowMin = std::min(e.rowMin, y);
        e.rowMax = std::max(e.rowMax, y);
        e.colMin = std::min(e.colMin, first);
        e.colMax = std::max(e.colMax, end - 1);
        for (int x = first; x < end; ++x)
            if (m.at(x, y) < densest) {
                densest = m.at(x, y);
                e.densestX = x;
                e.densestY = y;
            }
    }
    return e;
}

TEST(SoftSpray, TiltedFootprintsMirrorByAzimuth) {
    const int size = 41;  // r = 20.5
    const Extents right = softExtents(60, 90, size), left = softExtents(60, 270, size);
    const Extents up = softExtents(60, 0, size), down = softExtents(60, 180, size);
    // Azimuth 90 points along +x: the disc stretched 2.5 times and shifted back by r
    // reaches 1.5 r forward and 3.5 r back, narrowed towards the front.
    const int length = right.colMax - right.colMin, width = right.rowMax - right.rowMin;
    EXPECT_GT(length, 3 * width);
    EXPECT_NEAR(right.colMax, 30, 2);
    EXPECT_NEAR(right.colMin, -71, 2);
    EXPECT_NEAR(right.rowMin, -right.rowMax, 1);
    // The densest point moves forward along the tilt: 2.5 c - r = 1.5 r.
    EXPECT_NEAR(right.densestX, 30, 3);
    EXPECT_NEAR(right.densestY, 0, 2);
    // Opposite azimuths mirror each other, a quarter turn swaps rows and columns.
    EXPECT_NEAR(left.colMin, -right.colMax, 2);
    EXPECT_NEAR(left.colMax, -right.colMin, 2);
    EXPECT_NEAR(left.rowMin, -right.rowMax, 2);
    EXPECT_NEAR(down.rowMin, right.colMin, 2);
    EXPECT_NEAR(down.rowMax, right.colMax, 2);
    EXPECT_NEAR(down.colMin, right.rowMin, 2);
    EXPECT_NEAR(up.rowMin, -right.colMax, 2);
    EXPECT_NEAR(up.rowMax, -right.colMin, 2);
    EXPECT_NEAR(left.densestX, -30, 3);
    EXPECT_NEAR(down.densestY, 30, 3);
    EXPECT_NEAR(up.densestY, -30, 3);
    // Upright: a circle of radius about r around the centre, densest in the middle.
    const Extents upright = softExtents(0, 90, size);
    EXPECT_NEAR(upright.colMin, -20, 1);
    EXPECT_NEAR(upright.colMax, 19, 1);
    EXPECT_NEAR(upright.rowMin, -20, 1);
    EXPECT_NEAR(upright.rowMax, 20, 1);
    EXPECT_EQ(upright.densestX, 0);
    EXPECT_EQ(upright.densestY, 0);
}

TEST(SoftSpray, BiggestTiltedFootprintStaysInTheMask) {
    for (int azimuth = 0; azimuth < 360; azimuth += 15) {
        const Extents e = softExtents(60, azimuth, 99);
        EXPECT_GE(e.rowMin, -kMaskHalf);
        EXPECT_LT(e.rowMax, kMaskHalf);
        EXPECT_GE(e.colMin, -kMaskHalf);
        EXPECT_LT(e.colMax, kMaskHalf);
        EXPECT_GT(std::max(e.colMax - e.colMin, e.rowMax - e.rowMin), 160) << azimuth;
    }
}

// ---- splatter ----

TEST(SplatterDroplets, InscribedEllipseRule) {
    auto count = [](int w, int h) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) n += insideDroplet(x + 5, y + 7, 5, 7, w, h) ? 1 : 0;
        return n;
    };
    EXPECT_EQ(count(3, 3), 9);
    EXPECT_EQ(count(4, 4), 12);
    EXPECT_EQ(count(5, 5), 21);
    EXPECT_EQ(count(2, 6), 12);  // a narrow box is filled: 1 * 36 + 25 * 4 <= 144
    EXPECT_EQ(count(7, 3), 17);  // full middle row, 5 of 7 above and below
    EXPECT_FALSE(insideDroplet(5, 7, 5, 7, 4, 4));
    EXPECT_TRUE(insideDroplet(6, 7, 5, 7, 4, 4));
}

int maskCount(const SprayMask& m, int half) {
    int n = 0;
    for (int y = -half; y <= half; ++y)
        for (int x = -half; x <= half; ++x) n += m.at(x, y) ? 1 : 0;
    return n;
}

TEST(SplatterDroplets, CountsAndDrawsForSeedOne) {
    SprayFixture f(8, 8);
    f.params.softSpray = 0;
    // Size 1: r = 1 (never below), s = 0.5: four droplets, all on the centre pixel
    // (limit 0.25, ramp 0, 0.25, 0.5, 0.75 truncates to 0); each of the first eight values
    // lies within 16383 of the middle, so no try is rejected.
    f.params.splatterSize = 1;
    AirbrushSample s = f.sample(0, 0, 1, 100);
    EXPECT_EQ(buildSplatterFootprint(f.canvas, s), 4);
    EXPECT_EQ(f.random.draws, 8u);
    EXPECT_EQ(maskCount(*f.mask, 10), 1);
    EXPECT_NE(f.mask->at(0, 0), 0);

    // Size 20, splatter 4, flow 100: (r / s)^2 = 25, 24.99999 in single precision.
    f.random = SprayRandom{};
    f.params.splatterSize = 4;
    s = f.sample(0, 0, 20, 100);
    EXPECT_EQ(buildSplatterFootprint(f.canvas, s), 24);
    // Limit (r - s)^2 = 64 of the square 21 x 21 of (u, v): some pairs are rejected, and
    // each try draws two values, rejected or not.
    EXPECT_EQ(f.random.draws, 86u);
    EXPECT_GT(maskCount(*f.mask, 40), 25);
    // Flow 40: trunc(0.4 * 24.99999) = 9; flow 0 still one droplet.
    s.flow = 40;
    EXPECT_EQ(buildSplatterFootprint(f.canvas, s), 9);
    s.flow = 0;
    EXPECT_EQ(buildSplatterFootprint(f.canvas, s), 1);
    // The clear square (half-width H[20] = 40) removed the earlier droplets.
    EXPECT_LE(maskCount(*f.mask, 60), 13);

    // Splatter size equal to the brush: centre limit 1, every droplet within a pixel of
    // its ramp-shifted centre.
    f.params.splatterSize = 20;
    s.flow = 100;
    const uint32_t before = f.random.draws;
    EXPECT_EQ(buildSplatterFootprint(f.canvas, s), 1);
    EXPECT_EQ((f.random.draws - before) % 2, 0u);
}

TEST(SplatterDab, SmallBrushPaintsAtHalfStrength) {
    // Size 1 splatter 1: the one droplet lies on the dab's own pixel, which gets
    // (colour >> 9) + (p >> 1) and nothing else changes.
    for (int colourPlanes : {3, 4}) {
        SprayFixture f(9, 9, colourPlanes);
        f.params.softSpray = 0;
        f.params.splatterSize = 1;
        f.params.nativeHalf[3] = 100;
        const AirbrushSample s = f.sample(4, 5, 1, 100);
        splatterDab(f.canvas, s);
        EXPECT_EQ(f.changedPixels(), 1);
        const uint8_t* q = f.src(4, 5);
        if (colourPlanes == 3) {
            EXPECT_EQ(f.px(4, 5)[0], 127 + (q[0] >> 1));
            EXPECT_EQ(f.px(4, 5)[1], (0x2020 >> 9) + (q[1] >> 1));
            EXPECT_EQ(f.px(4, 5)[2], (0x1010 >> 9) + (q[2] >> 1));
        } else {
            for (int c = 0; c < 4; ++c) EXPECT_EQ(f.px(4, 5)[c], f.params.nativeHalf[c] + (q[c] >> 1)) << c;
        }
    }
}

TEST(SplatterDab, EveryBrushSizePaintsNearItsCentre) {
    for (int size : {1, 2, 3, 4, 7, 20, 99}) {
        SprayFixture f(120, 120);
        f.params.softSpray = 0;
        f.params.splatterSize = 1;
        const AirbrushSample s = f.sample(60, 60, size, 100);
        splatterDab(f.canvas, s);
        EXPECT_GT(f.changedPixels(), 0) << size;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x)
                if (!f.unchanged(x, y)) {
                    EXPECT_LE(std::abs(x - 60), size / 2 + 1) << size;
                    EXPECT_LE(std::abs(y - 60), size / 2 + 1) << size;
                }
    }
}

// ---- restore and eligibility ----

TEST(RestoreDab, BlendsBackTowardsTheSourceColourChannelsOnly) {
    SprayFixture f(11, 11, 3, true);
    for (size_t i = 0; i < f.result.size(); ++i) f.result[i] = (i % 4 == 3) ? 77 : 250;
    const std::vector<uint8_t> painted = f.result;
    AirbrushSample s = f.sample(5, 5, 5, 100, 0, 90, 1023, true);
    restoreDab(f.canvas, s);
    // Full flow at the centre: the source exactly; transparency never written.
    for (int c = 0; c < 3; ++c) EXPECT_EQ(f.px(5, 5)[c], f.src(5, 5)[c]);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x) {
            EXPECT_EQ(f.px(x, y)[3], 77);
            const bool touched = f.px(x, y)[0] != 250 || f.px(x, y)[1] != 250 || f.px(x, y)[2] != 250;
            const int dx = x - 5, dy = y - 5;
            // r = 2.5: rows and columns 3..7, the last included, symmetric around the centre.
            if (dx * dx + dy * dy >= 6) {
                EXPECT_FALSE(touched) << x << "," << y;
            } else {
                EXPECT_TRUE(touched) << x << "," << y;
            }
            const int mx = 10 - x, my = 10 - y;
            EXPECT_EQ(touched, f.px(mx, my)[0] != 250 || f.px(mx, my)[1] != 250 || f.px(mx, my)[2] != 250);
        }
    // Weight (r^2 - d^2) / r^2: (6.25 - 1) / 6.25 = 0.84 one pixel right of the centre.
    const uint8_t* q = f.src(6, 5);
    EXPECT_EQ(f.px(6, 5)[0], int(250.0f + float(q[0] - 250) * 0.84f));
    // Zero flow leaves everything.
    f.result = painted;
    s.flow = 0;
    restoreDab(f.canvas, s);
    EXPECT_EQ(f.result, painted);
}

TEST(Eligibility, SelectionAndTransparentSourceNeverChange) {
    for (int op = 0; op < 3; ++op) {
        SprayFixture f(15, 15, 4, true);
        f.useSelection();
        f.selection[7 * 15 + 6] = 0;          // (6, 7) not selected
        f.source[(7 * 15 + 8) * 5 + 4] = 0;   // (8, 7) transparent in the source
        std::fill(f.result.begin(), f.result.end(), uint8_t(9));
        const std::vector<uint8_t> before = f.result;
        f.params.softSpray = op == 0;
        f.params.splatterSize = 2;
        const AirbrushSample s = f.sample(7, 7, 9, 100, 0, 90, 1023, op == 2);
        if (op == 0) {
            buildSoftFootprint(f.canvas, s);
            softSprayDab(f.canvas, s);
        } else if (op == 1) {
            for (int i = 0; i < 5; ++i) splatterDab(f.canvas, s);
        } else {
            restoreDab(f.canvas, s);
        }
        for (int c = 0; c < 5; ++c) {
            EXPECT_EQ(f.px(6, 7)[c], 9) << op;
            EXPECT_EQ(f.px(8, 7)[c], 9) << op;
        }
        EXPECT_NE(f.px(7, 7)[0], 9) << op;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x) EXPECT_EQ(f.px(x, y)[4], 9) << op;
    }
}

}  // namespace
