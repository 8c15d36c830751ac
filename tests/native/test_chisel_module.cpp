// chisel on the framework: its sample records from packets into the log and back, and a
// session's image from opening to Done through the module's hooks and stroke rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/chisel/chisel_module.h"
#include "framework/brush/sample_log.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "tests/native/fake_platform.h"
#include "tests/native/speck_image.h"

namespace {

std::vector<ChiselRecord> gPosted;

bool collect(void*, const TabletSample* record, uint32_t bytes) {
    EXPECT_EQ(bytes, sizeof(ChiselRecord));
    ChiselRecord r;
    std::memcpy(&r, record, sizeof r);
    gPosted.push_back(r);
    return true;
}

PacketContext contextAt(int clientX, int clientY) {
    PacketContext c{};
    c.painting = true;
    c.hookInstalled = true;
    c.clientX = clientX;
    c.clientY = clientY;
    c.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, 400, 300}, {10, 10, 210, 110}, {0, 0, 200, 100}};
    c.ranges.pressureMax = 1023;
    return c;
}

TEST(ChiselModule, PacketsBecomeRecordsWithScreenPositionShiftAndRawPressure) {
    resetFake(kChiselModule);
    kChiselModule.hooks->setDefaults();  // groove 50 with pressure, tip 25
    gPosted.clear();
    PacketFilterState state{};
    Packet p{};
    p.pkX = 700;
    p.pkY = 450;
    p.pkButtons = 1;
    p.pkNormalPressure = 300;
    PacketContext c = contextAt(40, 30);
    c.cursorClass = kCursorPuck;  // a puck's 10 is not put in place of the reading
    c.shiftHeld = true;
    handlePacket(state, p, c, kChiselModule, collect, nullptr);
    c.shiftHeld = false;
    p.pkNormalPressure = 1023;
    p.orAltitude = -450;
    handlePacket(state, p, c, kChiselModule, collect, nullptr);  // every packet, not every second
    p.pkX = 5;
    handlePacket(state, p, contextAt(300, 30), kChiselModule, collect, nullptr);  // off the image
    handlePacket(state, p, contextAt(301, 30), kChiselModule, collect, nullptr);

    ASSERT_EQ(gPosted.size(), 3u);
    const ChiselRecord& a = gPosted[0];
    EXPECT_EQ(a.base.x, 30);
    EXPECT_EQ(a.base.y, 20);
    EXPECT_EQ(a.base.size, 14);  // 300 / 1023 * 50, truncated
    EXPECT_EQ(a.base.pressure, 300);
    EXPECT_EQ(a.base.inverted, 0);
    EXPECT_EQ(a.screenX, 700);
    EXPECT_EQ(a.screenY, 450);
    EXPECT_EQ(a.shift, 1);
    EXPECT_EQ(gPosted[1].base.size, 25);  // capped at the tip size
    EXPECT_EQ(gPosted[1].base.inverted, 1);
    EXPECT_EQ(gPosted[1].shift, 0);
    EXPECT_EQ(gPosted[2].base.pressure, 0);  // leaving the image
    EXPECT_EQ(gPosted[2].screenX, 5);

    // The log line carries the three fields of chisel's own after the shared six, and a
    // params line of the whole 1620-byte block reads back whole.
    const SampleRule* rule = kChiselModule.sampleRule;
    std::string text = "# device 1023 1023\n" + formatParams(&gChiselParams, sizeof gChiselParams);
    for (const ChiselRecord& r : gPosted) text += formatRecord(&r.base, rule);
    EXPECT_NE(text.find("30 20 14 0 300 0 700 450 1\n"), std::string::npos);
    std::vector<SampleLogEntry> entries;
    ASSERT_TRUE(parseSampleLog(text, entries, rule));
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[1].bytes.size(), 1620u);
    EXPECT_EQ(std::memcmp(entries[1].bytes.data(), &gChiselParams, 1620), 0);
    for (size_t i = 0; i < gPosted.size(); ++i) {
        ASSERT_EQ(entries[i + 2].record.size(), sizeof(ChiselRecord));
        const ChiselSample back = chiselSampleOf(*reinterpret_cast<const ChiselRecord*>(entries[i + 2].record.data()));
        const ChiselSample sent = chiselSampleOf(gPosted[i]);
        EXPECT_EQ(std::memcmp(&back, &sent, sizeof back), 0) << i;
    }
    // A screen coordinate that does not fit its 16 bits is refused, not wrapped.
    entries.clear();
    EXPECT_FALSE(parseSampleLog("30 20 14 0 300 0 70000 450 1\n", entries, rule));
}

// A session as the dialog runs it: an RGB image with transparency (some pixels fully
// transparent) and padded rows, strokes through the module's own stroke rule.
class ChiselSession : public ::testing::Test {
protected:
    SpeckImage img;
    StrokeState state{nullptr, 0, 0, true};
    StrokeSurface surface{};
    int revertEnabled = 0;

    void SetUp() override {
        resetFake(kChiselModule);
        kChiselModule.hooks->setDefaults();
        gChiselParams.pressureGroove = 0;  // width = tip size 25
        img.setUp(90, 60, plugInModeRGBColor, 4);
        img.fill([](int x, int y, int c) {
            if (c == 3) return (x / 7 + y / 5) % 4 == 0 ? 0 : 200;
            return (x * 5 + y * 3 + c * 70) % 200 + 30;
        });
        gPlugin.record = &img.record;
        ASSERT_TRUE(startEffectBuffers());
        resetResult(img.record);
        openedWork();
        surface.context = this;
        surface.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, 90, 60}, {0, 0, 90, 60}, {0, 0, 90, 60}};
        surface.penDown = true;
        surface.invalidate = [](void*, const Box&) {};
        surface.updateNow = [](void*) {};
        surface.setCursor = [](void*, bool) {};
        surface.enableRevert = [](void* c) { ++static_cast<ChiselSession*>(c)->revertEnabled; };
        resetModuleStroke(state, kChiselModule);
    }
    void TearDown() override {
        resetModuleStroke(state, kChiselModule);
        closeWorkSession();
        freeEffectBuffers();
        EXPECT_EQ(gFake.liveBlocks, 0);
        gPlugin.record = nullptr;
    }
    void sample(int x, int y, int pressure, bool eraser = false) {
        auto* r = static_cast<ChiselRecord*>(allocFixed(sizeof(ChiselRecord)));
        r->base = TabletSample{int16_t(x), int16_t(y), 25, 0, uint16_t(pressure), uint8_t(eraser)};
        r->screenX = int16_t(x + 100);
        r->screenY = int16_t(y + 100);
        runStrokeStep(state, &r->base, kChiselModule, surface);
    }
    void groove(int y, bool eraser = false) {
        for (int x = 5; x <= 85; x += 8) sample(x, y, 700, eraser);
        sample(85, y, 0xFFFF);
    }
    std::vector<uint8_t> pixels() {
        std::vector<uint8_t> p;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x)
                for (int c = 0; c < 4; ++c) p.push_back(img.outAt(x, y, c));
        return p;
    }
    bool transparent(int x, int y) { return img.inAt(x, y, 3) == 0; }
};

TEST_F(ChiselSession, CarvesShowsTransparentPixelsWhiteAndHandsThemBackWhole) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (transparent(x, y)) {
                for (int c = 0; c < 4; ++c) ASSERT_EQ(img.outAt(x, y, c), 255);
            }
    sample(5, 30, 700);
    EXPECT_EQ(gPlugin.modified, 1);  // the first accepted sample counts as a change
    EXPECT_EQ(revertEnabled, 1);
    groove(30);
    int carved = 0;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            if (transparent(x, y)) {
                for (int c = 0; c < 3; ++c) ASSERT_EQ(img.outAt(x, y, c), 255);
                continue;
            }
            ASSERT_EQ(img.outAt(x, y, 3), 200);
            bool changed = false;
            for (int c = 0; c < 3; ++c) changed |= img.outAt(x, y, c) != img.inAt(x, y, c);
            carved += changed;
            if (changed) {
                EXPECT_TRUE(y >= 15 && y <= 45) << x << "," << y;
            }
        }
    EXPECT_GT(carved, 300);
    keepWork();
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            EXPECT_EQ(img.outAt(x, y, 3), img.inAt(x, y, 3));
            if (transparent(x, y)) {
                for (int c = 0; c < 3; ++c) ASSERT_EQ(img.outAt(x, y, c), img.inAt(x, y, c));
            }
        }
}

TEST_F(ChiselSession, LightChangesReshadeWithoutRecarving) {
    groove(30);
    const std::vector<uint8_t> lit = pixels();
    EXPECT_FALSE(refreshShading());  // nothing changed: nothing to do
    gChiselParams.lightDirection = 6;
    EXPECT_TRUE(refreshShading());
    const std::vector<uint8_t> below = pixels();
    EXPECT_NE(below, lit);
    gChiselParams.intensity = 1;
    EXPECT_TRUE(refreshShading());
    EXPECT_NE(pixels(), below);
    gChiselParams.lightDirection = 0;
    gChiselParams.intensity = 7;
    EXPECT_TRUE(refreshShading());
    EXPECT_EQ(pixels(), lit);
    // A stroke after a change nobody shaded for shades the whole image first, so every
    // groove shows one light.
    gChiselParams.lightDirection = 6;
    groove(50);
    std::vector<uint8_t> both = pixels();
    EXPECT_TRUE(refreshShading(true));
    EXPECT_EQ(pixels(), both);
}

TEST_F(ChiselSession, ApplyBakesTheCarvingAndRevertReturnsToIt) {
    groove(20);
    const std::vector<uint8_t> applied = pixels();
    ASSERT_TRUE(applyWork());
    // The applied image is what Done would hand over: transparent pixels whole.
    const SourcePlanes source = sourcePlanes(img.record);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if (transparent(x, y)) {
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(source.data[y * source.rowBytes + x * 4 + c], img.inAt(x, y, c));
            }
    groove(45);
    EXPECT_NE(pixels(), applied);
    revertWork();
    EXPECT_EQ(pixels(), applied);
    // The eraser end over the applied groove changes nothing: the field was cleared.
    groove(20, true);
    EXPECT_EQ(pixels(), applied);
}

TEST_F(ChiselSession, RecordsFromAnywhereCarveOnlyThePicture) {
    // What a log may hold: widths outside 1..99, positions far off the picture, screen
    // positions that repeat, the end-of-stroke mark at odd places.
    gChiselParams.tipDepth = -99;
    gChiselParams.tipSharpness = 0;
    const int xs[] = {-30000, 40, 32767, 45, -5, 89, 0, 30000, 44, 60};
    const int ys[] = {10, -30000, 30, 32767, 59, 0, 61, -2, 30, 31};
    const int widths[] = {0, -7, 30000, 99, 1, 50, 32767, 2, -32768, 99};
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 10; ++i) {
            auto* r = static_cast<ChiselRecord*>(allocFixed(sizeof(ChiselRecord)));
            r->base = TabletSample{int16_t(xs[i]), int16_t(ys[(i + round) % 10]), int16_t(widths[(i + 2 * round) % 10]),
                                   0, uint16_t(i == 7 && round == 1 ? 0xFFFF : 900), uint8_t(round == 2 && i > 6)};
            r->screenX = int16_t(xs[(i + round) % 10] / 2);
            r->screenY = int16_t(ys[i] / 2);
            runStrokeStep(state, &r->base, kChiselModule, surface);
        }
    EXPECT_EQ(chiselSampleOf(ChiselRecord{TabletSample{0, 0, 30000, 0, 0, 0}, 0, 0, 0}).width, 99);
    EXPECT_EQ(chiselSampleOf(ChiselRecord{TabletSample{0, 0, -3, 0, 0, 0}, 0, 0, 0}).width, 1);
    keepWork();
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            ASSERT_EQ(img.outAt(x, y, 3), img.inAt(x, y, 3));
            if (transparent(x, y)) {
                for (int c = 0; c < 3; ++c) ASSERT_EQ(img.outAt(x, y, c), img.inAt(x, y, c));
            }
        }
}

}  // namespace
