// warper inside the framework: what a pen packet's sample holds, and strokes through the
// framework's stroke step on a host's image (repaint, Revert, memory, Apply, Done).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filters/warper/warp_module.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/packet_filter.h"
#include "tests/native/fake_host.h"
#include "tests/native/fake_platform.h"

namespace {

// ---- Samples ---------------------------------------------------------------------------

struct PacketCase {
    int16_t size, distortion;
    int32_t sizeSource, distortionSource;
    uint32_t pressure, wheel;
    bool eraser;
    int16_t wantSize, wantDistortion;
};

TEST(WarpSamples, SizeBiasedByFiveAndDistortionTakenAsIs) {
    resetFake(kWarperModule);
    PacketContext c{};
    c.geometry = PreviewGeometry{2.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 200, 100}, {0, 0, 100, 50}};
    c.clientX = 61;
    c.clientY = 33;
    c.ranges.pressureMax = 1023;
    c.ranges.wheelMax = 1023;
    const PacketCase cases[] = {
        {25, 100, 1, 1, 1023, 0, false, 30, 100},  // full pressure: the slider values
        {25, 100, 1, 1, 512, 0, false, 18, 50},    // 12.51 -> 13, + 5; 50.05 -> 50, no 2a+1
        {25, 100, 1, 1, 10, 0, false, 5, 1},       // a touch maps the size to 0: a 5 x 5 block
        {25, 100, 1, 1, 4000, 0, false, 30, 100},  // past the device's maximum: the maximum
        {40, 7, 2, 2, 300, 0, false, 45, 7},       // fixed: untouched by pressure
        {99, 60, 0, 0, 700, 256, false, 30, 15},   // the finger wheel: 24.77 -> 25; 15.01 -> 15
        {99, 60, 0, 0, 1023, 0, true, 104, 60},    // the eraser end reads the wheel as pressure
        {1, 1, 1, 1, 1, 0, false, 5, 0},
    };
    for (const PacketCase& k : cases) {
        gWarpParams = WarpParams{k.size, k.distortion, k.sizeSource, k.distortionSource};
        Packet p{};
        p.pkNormalPressure = k.pressure;
        p.pkTangentPressure = k.wheel;
        p.orAltitude = k.eraser ? -600 : 600;
        TabletSample s{};
        buildRecord(p, c, kWarperModule, &s);
        EXPECT_EQ(s.size, k.wantSize) << "size " << k.size << " pressure " << k.pressure;
        EXPECT_EQ(s.amount, k.wantDistortion) << "distortion " << k.distortion << " pressure " << k.pressure;
        EXPECT_EQ(s.x, 30);
        EXPECT_EQ(s.y, 16);
        EXPECT_EQ(s.inverted, k.eraser ? 1 : 0);
        EXPECT_EQ(s.pressure, k.pressure);
    }
}

// ---- Strokes on a host's image -----------------------------------------------------------

struct Seen {
    std::vector<Box> invalidated;
    int revertEnabled = 0;
};

class WarpSession : public ::testing::Test {
protected:
    FakeHost host;
    StrokeState state{nullptr, 0, 0, true};
    Seen seen;
    StrokeSurface surface{};

    void SetUp() override { resetFake(kWarperModule); }
    void open(int w, int h, int16_t mode, int16_t planes) {
        host.rowSlack = 0;
        host.setUp(w, h, mode, planes);
        gPlugin.record = &host.record;
        kWarperModule.hooks->setDefaults();
        ASSERT_TRUE(openWorkSession());
        resetModuleStroke(state, kWarperModule);
        surface.context = &seen;
        surface.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, w, h}, {0, 0, w, h}, {0, 0, w, h}};
        surface.penDown = true;
        surface.invalidate = [](void* c, const Box& b) { static_cast<Seen*>(c)->invalidated.push_back(b); };
        surface.updateNow = [](void*) {};
        surface.setCursor = [](void*, bool) {};
        surface.enableRevert = [](void* c) { ++static_cast<Seen*>(c)->revertEnabled; };
    }
    void TearDown() override {
        resetModuleStroke(state, kWarperModule);
        if (gPlugin.record) closeWorkSession();
        gPlugin.record = nullptr;
        EXPECT_EQ(gFake.liveBlocks, 0) << "samples, segment buffers, undo and applied copy all freed";
    }
    void feed(int x, int y, uint16_t pressure, int size, int distortion, bool eraser = false) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        *s = TabletSample{int16_t(x), int16_t(y), int16_t(size), int16_t(distortion), pressure, uint8_t(eraser)};
        runStrokeStep(state, s, kWarperModule, surface);
    }
    // A vertical edge (dark left of x = edge), every plane alike.
    void paintEdge(int edge) {
        for (int y = 0; y < host.height; ++y)
            for (int x = 0; x < host.width; ++x)
                for (int c = 0; c < host.planes; ++c) host.outAt(x, y, c) = x < edge ? 30 : 220;
    }
};

TEST_F(WarpSession, SegmentsWarpRepaintWhatChangedAndEnableRevertOnce) {
    open(120, 60, plugInModeRGBColor, 3);
    const std::vector<uint8_t> before = host.out;
    feed(30, 30, 800, 30, 100);  // starts: nothing drawn, nothing repainted
    EXPECT_EQ(host.out, before);
    EXPECT_TRUE(seen.invalidated.empty());
    feed(32, 31, 800, 30, 100);  // within 30/8 = 3 on both axes: dropped
    EXPECT_TRUE(seen.invalidated.empty());
    feed(60, 30, 800, 30, 100);
    feed(90, 34, 0, 30, 100);  // lifts: still drawn to
    feed(95, 34, 800, 30, 100);  // starts afresh
    ASSERT_EQ(seen.invalidated.size(), 2u);
    EXPECT_EQ(seen.revertEnabled, 1);
    EXPECT_EQ(gPlugin.modified, 1);
    EXPECT_EQ(gPlugin.unappliedStroke, 1);
    int changed = 0;
    for (int y = 0; y < host.height; ++y)
        for (int x = 0; x < host.width; ++x)
            for (int c = 0; c < 3; ++c) {
                if (host.outAt(x, y, c) == before[size_t(y) * host.record.outRowBytes + x * 3 + c]) continue;
                ++changed;
                bool inside = false;
                for (const Box& b : seen.invalidated)
                    inside |= x >= b.left && x < b.right && y >= b.top && y < b.bottom;
                ASSERT_TRUE(inside) << "changed pixel (" << x << ", " << y << ") never repainted";
            }
    EXPECT_GT(changed, 300);
}

TEST_F(WarpSession, ASegmentWithoutBuffersDrawsNothingAndReportsMemory) {
    open(80, 50, plugInModeRGBColor, 3);
    const std::vector<uint8_t> before = host.out;
    feed(20, 25, 800, 40, 100);
    // The next allocation is the sample's own block; the one after it the segment's.
    gFake.failAllocationNumber = gFake.allocations + 1;
    feed(60, 25, 800, 40, 100);
    EXPECT_EQ(gPlugin.result, memFullErr);
    EXPECT_EQ(host.out, before);
    EXPECT_TRUE(seen.invalidated.empty());
    EXPECT_EQ(gPlugin.modified, 0) << "nothing changed, so nothing to discard";
    feed(20, 30, 800, 40, 100);  // the stroke goes on from where the pen was
    EXPECT_NE(host.out, before);
    EXPECT_EQ(seen.invalidated.size(), 1u);
}

TEST_F(WarpSession, TheEraserRestoresTheAppliedImageAndDoneKeepsWarpedTransparency) {
    open(90, 60, plugInModeRGBColor, 4);
    paintEdge(45);
    // Transparency: opaque left of the edge, hidden right of it.
    for (int y = 0; y < host.height; ++y)
        for (int x = 0; x < host.width; ++x) host.outAt(x, y, 3) = x < 45 ? 255 : 0;
    feed(20, 30, 800, 40, 100);
    feed(70, 30, 800, 40, 100);
    feed(70, 30, kEndOfStroke, 40, 100);
    ASSERT_EQ(host.outAt(50, 30, 3), 255) << "the opaque side was pushed right, transparency with it";
    ASSERT_TRUE(applyWork());
    const std::vector<uint8_t> applied = host.out;
    paintEdge(10);
    // Full strength: the disc round each dab is the applied image again.
    feed(40, 30, 800, 20, 100, true);
    feed(60, 30, 800, 20, 100, true);
    feed(60, 30, kEndOfStroke, 20, 100, true);
    for (int x = 40; x <= 60; ++x)
        for (int c = 0; c < 4; ++c)
            ASSERT_EQ(host.outAt(x, 30, c), applied[size_t(30) * host.record.outRowBytes + x * 4 + c]) << x;
    EXPECT_EQ(host.outAt(75, 30, 0), 220) << "outside every disc: as painted";

    // Done: no fix-up copies the host's transparency back over the warped one.
    const uint8_t warpedAlpha = host.outAt(50, 30, 3);
    ASSERT_NE(host.inAt(50, 30, 3), warpedAlpha);
    keepWork();
    gPlugin.record = nullptr;
    EXPECT_EQ(gPlugin.result, noErr);
    EXPECT_EQ(host.outAt(50, 30, 3), warpedAlpha);
}

}  // namespace
