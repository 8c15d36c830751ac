// chisel's stroke handler, relief field and shading, on small images.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "tests/native/chisel_fixture.h"

namespace {

// ---- width and stroke bookkeeping ----

TEST(ChiselWidth, FollowsPressureUpToTheTipSize) {
    ChiselParams p;
    setChiselDefaults(p);  // groove 50, tip 25, pressure on
    p.tipSize = 99;
    EXPECT_EQ(grooveWidth(p, 1023, 1023), 50);
    EXPECT_EQ(grooveWidth(p, 300, 1023), 14);  // 14.66 truncated
    EXPECT_EQ(grooveWidth(p, 0, 1023), 1);
    EXPECT_EQ(grooveWidth(p, 5, 1023), 1);
    EXPECT_EQ(grooveWidth(p, 300, 0), 50);  // no pressure range: the full slider value
    EXPECT_EQ(grooveWidth(p, 300, -4), 50);
    p.tipSize = 25;
    EXPECT_EQ(grooveWidth(p, 1023, 1023), 25);
    p.pressureGroove = 0;
    EXPECT_EQ(grooveWidth(p, 1, 1023), 25);
}

TEST(ChiselStroke, FirstSweepAtTheThirdSampleLastSegmentNever) {
    ChiselFixture f(120, 60);
    f.params.tipSize = 12;
    f.params.tipDepth = 40;
    EXPECT_TRUE(f.pen(20, 30).accepted);
    EXPECT_TRUE(f.pen(50, 30).accepted);
    EXPECT_TRUE(f.fieldFlat());  // one cross-section, nothing to sweep between
    const CarveStep third = f.pen(80, 30);
    EXPECT_TRUE(third.swept);
    EXPECT_LT(f.heightAt(35, 30), 0.0f);  // between the first and second samples
    EXPECT_EQ(f.heightAt(65, 30), 0.0f);  // the last segment is not swept
    // The first section's ends sit a hair left of x = 20 (pi is taken as 3.14159).
    EXPECT_EQ(third.changed.left, 19 - 2);
    EXPECT_EQ(third.changed.right, 50 + 1 + 2);
    f.lift();
    EXPECT_EQ(f.heightAt(65, 30), 0.0f);  // nor when the stroke ends
    EXPECT_EQ(f.stroke.queued, 0);
    // A new stroke does not join the old one's samples.
    f.pen(100, 50);
    EXPECT_FALSE(f.pen(100, 20).swept);
}

TEST(ChiselStroke, ThinningAndSamePositionDrops) {
    ChiselFixture f(100, 100);
    f.params.tipSize = 20;  // f = 5 pixels
    f.pen(10, 10);
    EXPECT_FALSE(f.pen(14, 13).accepted);
    EXPECT_TRUE(f.pen(14, 16).accepted);
    // Pressure 0 passes the distance test but not the same screen position: the
    // heading to it has no direction.
    EXPECT_FALSE(f.pen(14, 16, 0).accepted);
    EXPECT_TRUE(f.pen(15, 16, 0).accepted);
    // The pressure-0 sample was the stroke's last; the next one starts afresh.
    EXPECT_TRUE(f.pen(60, 60).accepted);
    EXPECT_EQ(f.stroke.queued, 1);
}

// ---- axis lock ----

struct LockCase {
    const char* name;
    int dx, dy;          // first movement, with Shift
    int laterX, laterY;  // a later sample, Shift released
    int expectX, expectY;
};

TEST(ChiselAxisLock, FourDirectionsHoldAfterShiftIsReleased) {
    const LockCase cases[] = {
        {"horizontal", 10, 3, 80, 90, 80, 50},
        {"vertical", 2, 10, 90, 80, 50, 80},
        {"x - y constant", 10, 11, 90, 70, 70, 70},
        {"x + y constant", 10, -10, 90, 30, 70, 30},
    };
    for (const LockCase& c : cases) {
        SCOPED_TRACE(c.name);
        ChiselFixture f(120, 120);
        f.params.tipSize = 8;
        f.pen(50, 50, 500, false);  // Shift at the start does not matter, only at the move
        ASSERT_TRUE(f.pen(50 + c.dx, 50 + c.dy, 500, true).accepted);
        f.pen(c.laterX, c.laterY, 500, false);
        EXPECT_EQ(f.stroke.last.x, c.expectX);
        EXPECT_EQ(f.stroke.last.y, c.expectY);
        EXPECT_EQ(f.stroke.last.screenX, c.expectX);
        EXPECT_EQ(f.stroke.last.screenY, c.expectY);
    }
}

TEST(ChiselAxisLock, TheDecidingSampleIsMovedOntoTheLine) {
    ChiselFixture f(120, 120);
    f.params.tipSize = 8;
    f.pen(50, 50);
    f.pen(60, 53, 500, true);
    EXPECT_EQ(f.stroke.last.y, 50);
    EXPECT_EQ(f.stroke.lock, AxisLock::horizontal);
}

TEST(ChiselAxisLock, ShiftPressedLaterHasNoEffect) {
    ChiselFixture f(120, 120);
    f.params.tipSize = 8;
    f.pen(50, 50);
    f.pen(60, 53, 500, false);
    f.pen(70, 80, 500, true);
    EXPECT_EQ(f.stroke.lock, AxisLock::free);
    EXPECT_EQ(f.stroke.last.x, 70);
    EXPECT_EQ(f.stroke.last.y, 80);
}

TEST(ChiselAxisLock, WaitsWhileTheFirstMoveHasNoDirection) {
    ChiselFixture f(120, 120);
    f.params.tipSize = 8;
    f.pen(50, 50);
    // The pen moved on screen (zoomed out) but not in the image: nothing to decide on.
    const ChiselSample still{50, 50, 51, 50, 8, 0, 1, 0};
    EXPECT_TRUE(carveSample(f.stroke, still, f.params, f.target).accepted);
    EXPECT_EQ(f.stroke.lock, AxisLock::undecided);
}

// ---- the field ----

// A gentle S-shaped stroke across a 160 x 120 image at the fixture's parameters.
void carveS(ChiselFixture& f, int yShift = 0) {
    const int points[][2] = {{10, 60}, {40, 40}, {70, 45}, {100, 75}, {130, 80}, {155, 60}};
    for (const auto& p : points) f.pen(p[0], p[1] + yShift);
    f.lift();
}

TEST(ChiselField, DepthZeroAndFlatSharpnessLeaveTheImageUnchanged) {
    struct Case {
        int depth, sharpness;
    };
    for (Case c : {Case{0, 25}, Case{30, 100}, Case{30, -100}, Case{-30, 100}}) {
        SCOPED_TRACE(::testing::Message() << "depth " << c.depth << " sharpness " << c.sharpness);
        ChiselFixture f(160, 120);
        f.params.tipSize = 30;
        f.params.tipDepth = int16_t(c.depth);
        f.params.tipSharpness = int16_t(c.sharpness);
        f.shadeWith(2, 10);
        carveS(f);
        EXPECT_EQ(f.result, f.source);
        if (c.depth == 0) {
            EXPECT_TRUE(f.fieldFlat());
        }
    }
}

TEST(ChiselField, DepthZeroDoesNotFlattenAnExistingGroove) {
    ChiselFixture f(160, 120);
    f.params.tipSize = 30;
    carveS(f);
    std::vector<ReliefPixel> before(f.field.pixels, f.field.pixels + 160 * 120);
    f.params.tipDepth = 0;
    carveS(f);
    EXPECT_EQ(std::memcmp(before.data(), f.field.pixels, before.size() * sizeof(ReliefPixel)), 0);
}

std::vector<ReliefPixel> fieldAfter(std::initializer_list<int> depths) {
    ChiselFixture f(160, 120);
    f.params.tipSize = 30;
    for (int d : depths) {
        f.params.tipDepth = int16_t(d);
        carveS(f, d % 7);  // each stroke a little apart, so that they cross
    }
    return std::vector<ReliefPixel>(f.field.pixels, f.field.pixels + 160 * 120);
}

bool sameField(const std::vector<ReliefPixel>& a, const std::vector<ReliefPixel>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(ReliefPixel)) == 0;
}

TEST(ChiselField, DeeperCutAndHigherRidgeWin) {
    // Two strokes, either order, give the same field: at every pixel the deeper one.
    EXPECT_TRUE(sameField(fieldAfter({10, 40}), fieldAfter({40, 10})));
    EXPECT_TRUE(sameField(fieldAfter({-10, -40}), fieldAfter({-40, -10})));
    EXPECT_FALSE(sameField(fieldAfter({10, 40}), fieldAfter({40})));  // the strokes differ
    const auto deep = fieldAfter({40}), both = fieldAfter({10, 40});
    for (size_t i = 0; i < deep.size(); ++i) ASSERT_LE(both[i].height, deep[i].height) << i;
    const auto ridge = fieldAfter({-40});
    float highest = 0.0f;
    for (const auto& p : ridge) highest = std::max(highest, p.height);
    EXPECT_GT(highest, 0.0f);
}

TEST(ChiselField, EraserFlattensAndTransparentPixelsAreNeverCarved) {
    ChiselFixture f(160, 120, 4, true);
    f.source[(size_t(42) * 160 + 40) * 4 + 3] = 0;  // on the groove's path
    f.params.tipSize = 30;
    f.shadeWith(0, 10);
    displayCopy(f.image);
    carveS(f);
    EXPECT_EQ(f.heightAt(40, 42), 0.0f);
    EXPECT_LT(f.heightAt(41, 42), 0.0f);
    const uint8_t* shown = f.image.resultAt(40, 42);
    EXPECT_EQ(shown[0] & shown[1] & shown[2] & shown[3], 255);  // white while editing
    restoreTransparency(f.image);
    EXPECT_EQ(std::memcmp(f.image.resultAt(40, 42), f.image.sourceAt(40, 42), 4), 0);

    const int points[][2] = {{10, 60}, {40, 40}, {70, 45}, {100, 75}, {130, 80}, {155, 60}};
    for (const auto& p : points) f.pen(p[0], p[1], 500, false, true);
    f.lift();
    EXPECT_EQ(f.heightAt(50, 42), 0.0f);
    EXPECT_EQ(f.heightAt(41, 42), 0.0f);
}

// The field as four floats a pixel; heights compared in single precision as stored.
struct WideField {
    std::vector<float> data;  // height, nx, ny, nz
    int width;
    static void write(void* context, int x, int y, double u, double v, const CarvePaint& p) {
        auto& w = *static_cast<WideField*>(context);
        float* px = &w.data[(size_t(y) * w.width + x) * 4];
        if (p.eraser) {
            px[0] = px[1] = px[2] = 0.0f;
            px[3] = 255.9f;
            return;
        }
        if (p.depth == 0) return;
        const float h = carveHeight(p, u, v);
        if (p.depth > 0 ? !(h < px[0]) : !(h > px[0])) return;
        px[0] = h;
        carveNormal(p, u, v, px + 1);
    }
};

TEST(ChiselField, EightBytesGiveTheSamePixelsAsSixteen) {
    std::mt19937 rng(7);
    const int w = 140, h = 110;
    ChiselFixture compact(w, h), wide(w, h);
    WideField field{std::vector<float>(size_t(w) * h * 4, 0.0f), w};
    for (size_t i = 3; i < field.data.size(); i += 4) field.data[i] = 1.0f;
    wide.target.writePixel = WideField::write;
    wide.target.writeContext = &field;
    for (int stroke = 0; stroke < 40; ++stroke) {
        const int tip = 1 + int(rng() % 60), depth = int(rng() % 199) - 99,
                  sharp = int(rng() % 201) - 100;
        const bool eraser = rng() % 8 == 0;
        for (ChiselFixture* f : {&compact, &wide}) {
            f->params.tipSize = int16_t(tip);
            f->params.tipDepth = int16_t(depth);
            f->params.tipSharpness = int16_t(sharp);
        }
        int x = int(rng() % w), y = int(rng() % h);
        const int samples = 3 + int(rng() % 8);
        for (int s = 0; s < samples; ++s) {
            x = std::max(-20, std::min(w + 20, x + int(rng() % 61) - 30));
            y = std::max(-20, std::min(h + 20, y + int(rng() % 61) - 30));
            compact.pen(x, y, 500, false, eraser);
            wide.pen(x, y, 500, false, eraser);
        }
        compact.lift();
        wide.lift();
    }
    ASSERT_TRUE(wide.fieldFlat());  // everything went to the wide field
    int carved = 0;
    for (int i = 0; i < w * h; ++i) {
        const ReliefPixel& c = compact.field.pixels[i];
        const float* f = &field.data[size_t(i) * 4];
        ASSERT_EQ(std::memcmp(&c.height, &f[0], 4), 0) << i;
        ASSERT_EQ(c.nx, int(f[1])) << i;
        ASSERT_EQ(c.ny, int(f[2])) << i;
        carved += c.height != 0.0f;
    }
    EXPECT_GT(carved, w * h / 4);
}

TEST(ChiselField, SizeIsComputedIn64Bits) {
    EXPECT_EQ(reliefFieldBytes(70000, 70000), uint64_t(70000) * 70000 * 8);
    EXPECT_EQ(reliefFieldBytes(0, 10), 0u);
    ReliefField f;
    EXPECT_FALSE(f.allocate(0, 100));
    EXPECT_TRUE(f.allocate(3, 2));
    EXPECT_EQ(f.at(2, 1).height, 0.0f);
}

// ---- the sweep's inverse mapping ----

struct Visits {
    int count = 0;
    double worst = 0.0;  // largest distance of X(u, v) from the pixel
    CrossSection prev, cur;
    double cornerUV[4][2] = {{-1, -1}, {-1, -1}, {-1, -1}, {-1, -1}};  // pP, pQ, cP, cQ
    static void visit(void* context, int x, int y, double u, double v) {
        auto& s = *static_cast<Visits*>(context);
        ++s.count;
        const float corners[4][2] = {{s.prev.px, s.prev.py}, {s.prev.qx, s.prev.qy},
                                     {s.cur.px, s.cur.py}, {s.cur.qx, s.cur.qy}};
        for (int i = 0; i < 4; ++i)
            if (x == corners[i][0] && y == corners[i][1]) {
                s.cornerUV[i][0] = u;
                s.cornerUV[i][1] = v;
            }
        auto lerp = [](double a, double b, double t) { return a + (b - a) * t; };
        const double px = lerp(lerp(s.prev.px, s.prev.qx, v), lerp(s.cur.px, s.cur.qx, v), u);
        const double py = lerp(lerp(s.prev.py, s.prev.qy, v), lerp(s.cur.py, s.cur.qy, v), u);
        s.worst = std::max(s.worst, std::hypot(px - x, py - y));
    }
};

double quadArea(const CrossSection& a, const CrossSection& b) {
    const double xs[4] = {a.px, b.px, b.qx, a.qx}, ys[4] = {a.py, b.py, b.qy, a.qy};
    double s = 0.0;
    for (int i = 0; i < 4; ++i) s += xs[i] * ys[(i + 1) % 4] - xs[(i + 1) % 4] * ys[i];
    return std::fabs(s) * 0.5;
}

TEST(ChiselSweep, EveryQuadrilateralShapeIsFilled) {
    struct Case {
        const char* name;
        CrossSection prev, cur;
        double tolerance;  // the projective map runs u unevenly along a trapezoid
    };
    const Case cases[] = {
        {"general (direct)", {20, 20, 24, 50}, {70, 14, 80, 58}, 1e-6},
        {"parallel sections of different widths", {20, 20, 30, 40}, {60, 10, 80, 50}, 10.0},
        {"parallelogram (affine)", {20, 20, 20, 50}, {70, 30, 70, 60}, 1e-6},
        {"axis-aligned trapezoid", {20, 20, 20, 40}, {70, 10, 70, 50}, 10.0},
    };
    const double cornerUV[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Visits v;
        v.prev = c.prev;
        v.cur = c.cur;
        const Box box = sweepQuadrilateral(c.prev, c.cur, 100, 80, Visits::visit, &v);
        const double area = quadArea(c.prev, c.cur);
        EXPECT_GT(v.count, area * 0.9);
        EXPECT_LT(v.count, area * 1.1 + 60);
        EXPECT_LE(v.worst, c.tolerance);
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(v.cornerUV[i][0], cornerUV[i][0], 1e-4) << i;
            EXPECT_NEAR(v.cornerUV[i][1], cornerUV[i][1], 1e-4) << i;
        }
        EXPECT_GE(box.left, 0);
        EXPECT_LE(box.right, 100);
    }
}

TEST(ChiselSweep, ClippedToTheImage) {
    Visits v;
    v.prev = {-30, -30, -30, 30};
    v.cur = {30, -30, 30, 30};
    const Box box = sweepQuadrilateral(v.prev, v.cur, 20, 10, Visits::visit, &v);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(v.count, 200);
}

// ---- shading ----

// One pixel by the plain formulas, for comparison with the tables.
void referenceShade(int light, int intensity, int nx, int ny, const uint8_t in[3],
                    uint8_t out[3]) {
    const LightDirection d = kLightDirections[light];
    const double len = std::sqrt(double(d.lx * d.lx + d.ly * d.ly) + 2.25);
    const int lx = int(float(d.lx / len) * 255.9), ly = int(float(d.ly / len) * 255.9),
              k = int(float(1.5 / len) * 255.9);
    int m = k;
    if (nx || ny) {
        const int dot = 1530 * k + ny * ly + nx * lx;
        m = dot < 0 ? 0 : int(dot / std::sqrt(double(ny * ny + nx * nx + 2340900)));
    }
    const float ratio = float(double(m) / k);
    float f = ratio;
    for (int i = 1; i < intensity; ++i) f *= ratio;
    for (int c = 0; c < 3; ++c) {
        const double v = double(f) * in[c];
        out[c] = m == k ? in[c] : v > 255.0 ? 255 : uint8_t(int(v));
    }
}

TEST(ChiselShading, FlatBrightnessOfEachLight) {
    ShadeTables t;
    for (int light = 0; light < 8; ++light) {
        prepareShading(t, light, 1);
        const bool corner = light == 0 || light == 2 || light == 5 || light == 7;
        EXPECT_EQ(t.flatBrightness, corner ? 186 : 212) << light;
    }
}

TEST(ChiselShading, ExactForEachLightAndIntensity) {
    const int normals[][2] = {{0, 0},    {100, 0},   {0, 100},  {-100, 0}, {0, -100}, {181, -181},
                              {-255, 3}, {17, -240}, {255, 255}, {1, 0},   {-1, -1}};
    for (int light = 0; light < 8; ++light)
        for (int intensity : {1, 10}) {
            SCOPED_TRACE(::testing::Message() << "light " << light << " intensity " << intensity);
            ChiselFixture f(13, 3);
            f.shadeWith(light, intensity);
            for (int i = 0; i < 11; ++i) f.field.at(1 + i, 1) = {-1.0f, int16_t(normals[i][0]),
                                                                  int16_t(normals[i][1])};
            shadeArea(f.image, f.field, f.tables, Box{0, 0, 13, 3});
            for (int i = 0; i < 11; ++i) {
                uint8_t expected[3];
                referenceShade(light, intensity, normals[i][0], normals[i][1],
                               f.image.sourceAt(1 + i, 1), expected);
                EXPECT_EQ(std::memcmp(f.image.resultAt(1 + i, 1), expected, 3), 0)
                    << normals[i][0] << "," << normals[i][1];
            }
        }
}

TEST(ChiselShading, WorkedExample) {
    // Light from the right (141, 0, 212); normal (100, 0, 1530): M = 220.
    ChiselFixture f(3, 3);
    f.field.at(1, 1) = {-2.0f, 100, 0};
    uint8_t* in = const_cast<uint8_t*>(f.image.sourceAt(1, 1));
    in[0] = 100, in[1] = 37, in[2] = 200;
    f.shadeWith(4, 1);
    shadeArea(f.image, f.field, f.tables, Box{0, 0, 3, 3});
    const uint8_t* out = f.image.resultAt(1, 1);
    EXPECT_EQ(out[0], 103);
    f.shadeWith(4, 10);
    shadeArea(f.image, f.field, f.tables, Box{0, 0, 3, 3});
    EXPECT_EQ(out[0], 144);
    EXPECT_EQ(out[1], 53);
    EXPECT_EQ(out[2], 255);
}

TEST(ChiselShading, BorderMaskAndTransparency) {
    ChiselFixture f(6, 5, 4, true);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) f.field.at(x, y) = {-3.0f, -120, 40};
    std::vector<uint8_t> mask(30, 255);
    mask[2 * 6 + 2] = 0;
    f.image.mask = mask.data();
    f.image.maskRow = 6;
    f.source[(3 * 6 + 3) * 4 + 3] = 0;
    std::memset(f.result.data(), 9, f.result.size());
    f.shadeWith(3, 10);
    shadeArea(f.image, f.field, f.tables, Box{-10, -10, 20, 20});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            const uint8_t* in = f.image.sourceAt(x, y);
            const uint8_t* out = f.image.resultAt(x, y);
            if (x == 0 || y == 0 || x == 5 || y == 4) {
                EXPECT_EQ(out[0], 9);  // the outermost ring is never shaded
            } else if (x == 2 && y == 2) {
                EXPECT_EQ(std::memcmp(in, out, 4), 0);
            } else if (x == 3 && y == 3) {
                EXPECT_EQ(out[0] & out[1] & out[2], 255);
                EXPECT_EQ(out[3], 9);  // the transparency plane is not touched
            } else {
                uint8_t expected[3];
                referenceShade(3, 10, -120, 40, in, expected);
                EXPECT_EQ(std::memcmp(out, expected, 3), 0);
                EXPECT_NE(out[0], in[0]);
                EXPECT_EQ(out[3], 9);
            }
        }
}

}  // namespace
