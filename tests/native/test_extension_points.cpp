// What a module's own description changes in the shared framework: its sample record
// (built, queued, logged and read back whole), its stroke step, and the work session's
// hooks. The two finished modules leave every point at its default.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "filters/spotclean/spot_params.h"
#include "framework/brush/sample_log.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/packet_filter.h"
#include "framework/tablet/sample_queue.h"
#include "tests/native/fake_platform.h"

namespace {

// A module record with fields of every width and sign after the shared sample.
struct WideSample {
    TabletSample base;
    int16_t tilt;
    uint8_t flag;
    int32_t repeat;
    uint32_t serial;
};

const SampleExtraField kWideFields[] = {
    {uint16_t(offsetof(WideSample, tilt)), 2, true},
    {uint16_t(offsetof(WideSample, flag)), 1, false},
    {uint16_t(offsetof(WideSample, repeat)), 4, true},
    {uint16_t(offsetof(WideSample, serial)), 4, false},
};

uint32_t gSeed = 0;
void buildWide(const Packet& packet, const PacketContext& c, const ModuleInfo& module, TabletSample* out) {
    *out = buildSample(packet, c, module);
    auto* w = reinterpret_cast<WideSample*>(out);
    w->tilt = int16_t(packet.orAltitude);
    w->serial = 0xFFFFFFF0u;
}

const SampleRule kWideRule = {
    sizeof(WideSample), buildWide, kWideFields, 4, true,
    [] { return gSeed; }, [](uint32_t s) { gSeed = s; },
};

ModuleInfo wideModule() {
    ModuleInfo m = kSpotcleanModule;
    m.sampleRule = &kWideRule;
    return m;
}

TEST(ModuleDescription, DefaultsAreTheSharedOnes) {
    EXPECT_EQ(sampleBytes(kSpotcleanModule), sizeof(TabletSample));
    const ModuleIds& ids = moduleIds(kSpotcleanModule);
    EXPECT_EQ(ids.dialogId, 114);
    EXPECT_STREQ(ids.dialogClass, "DlgWndClass");
    EXPECT_STREQ(ids.previewClass, "ProxyWndClass");
    EXPECT_EQ(ids.zoomToolId, 301);
    EXPECT_EQ(ids.handToolId, 302);
    EXPECT_EQ(ids.brushToolId, 303);
    EXPECT_EQ(ids.discardQuestionId, 10005);
    const ModuleInfo wide = wideModule();
    EXPECT_EQ(sampleBytes(wide), sizeof(WideSample));
}

TEST(ModuleSamples, LogLinesCarryEveryExtraFieldAndReadBackWhole) {
    WideSample w{};
    w.base = TabletSample{-5, 7, 30, 3, 900, 1};
    w.tilt = -32768;
    w.flag = 255;
    w.repeat = -2147483647 - 1;
    w.serial = 4294967295u;
    const std::string line = formatRecord(&w.base, &kWideRule);
    EXPECT_EQ(line, "-5 7 30 3 900 1 -32768 255 -2147483648 4294967295\n");

    std::vector<SampleLogEntry> e;
    ASSERT_TRUE(parseSampleLog("# seed 4000000000\n" + line, e, &kWideRule));
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].kind, SampleLogEntry::seed);
    EXPECT_EQ(e[0].seedValue, 4000000000u);
    ASSERT_EQ(e[1].record.size(), sizeof(WideSample));
    WideSample back;
    std::memcpy(&back, e[1].record.data(), sizeof back);
    EXPECT_EQ(back.base.x, -5);
    EXPECT_EQ(back.base.inverted, 1);
    EXPECT_EQ(back.tilt, -32768);
    EXPECT_EQ(back.flag, 255);
    EXPECT_EQ(back.repeat, -2147483647 - 1);
    EXPECT_EQ(back.serial, 4294967295u);
    EXPECT_EQ(e[1].s.size, 30);
}

TEST(ModuleSamples, LinesThatDoNotFitTheRecordAreRefused) {
    std::vector<SampleLogEntry> e;
    const char* bad[] = {
        "1 2 3 4 5 0 1 2 3\n",              // one field short
        "1 2 3 4 5 0 1 2 3 4 5\n",          // one too many
        "1 2 3 4 5 0 32768 0 0 0\n",        // past int16
        "1 2 3 4 5 0 0 256 0 0\n",          // past a byte
        "1 2 3 4 5 0 0 0 0 -1\n",           // negative unsigned
        "1 2 3 4 5 0 0 0 2147483648 0\n",   // past int32
        "1 2 3 4 5 0 0 0 0 4294967296\n",   // past uint32
        "# seed -1\n",
        "# seed 4294967296\n",
    };
    for (const char* line : bad) {
        e.clear();
        EXPECT_FALSE(parseSampleLog(line, e, &kWideRule)) << line;
    }
    // Without the rule a line is the six shared fields, as before.
    EXPECT_FALSE(parseSampleLog("1 2 3 4 5 0 1 2 3 4\n", e));
    e.clear();
    EXPECT_TRUE(parseSampleLog("1 2 3 4 5 0\n", e));
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].record.size(), sizeof(TabletSample));
}

struct Taken {
    std::vector<std::vector<uint8_t>> records;
};
bool takeRecord(void* c, const TabletSample* record, uint32_t bytes) {
    const auto* p = reinterpret_cast<const uint8_t*>(record);
    static_cast<Taken*>(c)->records.emplace_back(p, p + bytes);
    return true;
}

TEST(ModuleSamples, EveryPacketOverTheImageBecomesAWholeRecord) {
    resetFake(kSpotcleanModule);
    const ModuleInfo module = wideModule();
    PacketFilterState state{};
    PacketContext c{};
    c.painting = true;
    c.hookInstalled = true;
    c.geometry.zoom = 1.0f;
    c.geometry.client = Box{0, 0, 400, 300};
    c.geometry.outRect = Box{0, 0, 200, 100};
    c.geometry.imageFrame = computeImageFrame(c.geometry.client, 200, 100, 1.0f);
    c.cursorClass = 0x0802;
    c.ranges = DeviceRanges{1000, 500, 0, 3600, -900, 900};
    Taken taken;
    for (int i = 0; i < 3; ++i) {
        Packet p{0, 1, 0, 0, 500, 0, 0, 450 + i, 0};
        c.clientX = c.geometry.imageFrame.left + 10 + i;
        c.clientY = c.geometry.imageFrame.top + 10;
        handlePacket(state, p, c, module, takeRecord, &taken);
    }
    // Leaving the image: one more record, lifted.
    Packet out{0, 1, 0, 0, 500, 0, 0, 600, 0};
    c.clientX = c.clientY = -50;
    handlePacket(state, out, c, module, takeRecord, &taken);

    ASSERT_EQ(taken.records.size(), 4u) << "every packet, not every second one";
    for (const auto& r : taken.records) ASSERT_EQ(r.size(), sizeof(WideSample));
    WideSample w;
    std::memcpy(&w, taken.records[2].data(), sizeof w);
    EXPECT_EQ(w.base.x, 12);
    EXPECT_EQ(w.tilt, 452);
    EXPECT_EQ(w.serial, 0xFFFFFFF0u);
    std::memcpy(&w, taken.records[3].data(), sizeof w);
    EXPECT_EQ(w.base.pressure, 0);
    EXPECT_EQ(w.tilt, 600) << "the leaving record is built whole, then lifted";
}

TEST(ModuleSamples, QueuedRecordsAreCopiedWholeAndShortOnesRefused) {
    resetFake(kSpotcleanModule);
    WideSample w{};
    w.serial = 77;
    std::vector<TabletSample*> posted;
    SampleQueue queue{&posted, [](void* c, TabletSample* b) {
                          static_cast<std::vector<TabletSample*>*>(c)->push_back(b);
                          return true;
                      }};
    EXPECT_FALSE(queueRecord(queue, &w.base, sizeof(TabletSample) - 1));
    ASSERT_TRUE(queueRecord(queue, &w.base, sizeof w));
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(reinterpret_cast<WideSample*>(posted[0])->serial, 77u);
    freeFixed(posted[0]);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

// A module's own stroke step: reached for every sample, with the shared bookkeeping of
// a finished segment available to it.
int gOwnSteps = 0;
int gOwnResets = 0;
void ownStep(StrokeState& state, TabletSample* s, StrokeSurface& surface) {
    ++gOwnSteps;
    finishSegment(state, surface, Box{s->x - 300, s->y - 300, s->x + 300, s->y + 300});
    freeFixed(s);
}
const StrokeRule kOwnRule = {ownStep, [] { ++gOwnResets; }, 0, nullptr};

TEST(ModuleStrokes, OwnStepRunsAndFinishSegmentClipsKeepsFlagsAndRepaints) {
    resetFake(kSpotcleanModule);
    gPlugin = PluginGlobals{};
    ModuleInfo module = kSpotcleanModule;
    module.strokeRule = &kOwnRule;
    gOwnSteps = gOwnResets = 0;
    StrokeState state{nullptr, 0, 0, true};
    resetModuleStroke(state, module);
    EXPECT_EQ(gOwnResets, 1);

    std::vector<Box> invalidated;
    int updates = 0, reverts = 0;
    struct Seen {
        std::vector<Box>* boxes;
        int* updates;
        int* reverts;
    } seen{&invalidated, &updates, &reverts};
    StrokeSurface surface{};
    surface.context = &seen;
    surface.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 200, 100}, {0, 0, 200, 100}};
    surface.penDown = true;
    surface.invalidate = [](void* c, const Box& b) { static_cast<Seen*>(c)->boxes->push_back(b); };
    surface.updateNow = [](void* c) { ++*static_cast<Seen*>(c)->updates; };
    surface.setCursor = [](void*, bool) {};
    surface.enableRevert = [](void* c) { ++*static_cast<Seen*>(c)->reverts; };
    for (int i = 0; i < 5; ++i) {
        auto* s = static_cast<TabletSample*>(allocFixed(sizeof(TabletSample)));
        *s = TabletSample{int16_t(10 * i), 20, 10, 1, 500, 0};
        runStrokeStep(state, s, module, surface);
    }
    EXPECT_EQ(gOwnSteps, 5);
    ASSERT_EQ(invalidated.size(), 5u);
    EXPECT_EQ(invalidated[0].left, 0);
    EXPECT_EQ(invalidated[0].right, 200) << "clipped to the output";
    EXPECT_EQ(invalidated[0].bottom, 100);
    EXPECT_EQ(updates, 1) << "every fifth segment while the pen presses";
    EXPECT_EQ(reverts, 1) << "Revert enabled once";
    EXPECT_EQ(gPlugin.modified, 1);
    EXPECT_EQ(gPlugin.unappliedStroke, 1);
    resetModuleStroke(state, module);
    EXPECT_EQ(gOwnResets, 2);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

// The work session's hooks: Start buffers, Revert and Apply after the framework's own.
std::vector<char> gHookCalls;
bool gStartFails = false;

TEST(ModuleSession, StartBuffersRevertAndApplyReachTheEffect) {
    static EffectHooks hooks = *kSpotcleanModule.hooks;
    hooks.startBuffers = [] {
        gHookCalls.push_back('s');
        return !gStartFails;
    };
    hooks.freeStartBuffers = [] { gHookCalls.push_back('f'); };
    hooks.onRevert = [] { gHookCalls.push_back('r'); };
    hooks.onApply = [] { gHookCalls.push_back('a'); };
    ModuleInfo module = kSpotcleanModule;
    module.hooks = &hooks;
    resetFake(module);
    gPlugin = PluginGlobals{};
    gHookCalls.clear();
    gStartFails = false;
    EXPECT_TRUE(startEffectBuffers());
    revertWork();  // no record: only the effect's part
    EXPECT_TRUE(applyWork());
    freeEffectBuffers();
    EXPECT_EQ(gHookCalls, (std::vector<char>{'s', 'r', 'a', 'f'}));
    gStartFails = true;
    EXPECT_FALSE(startEffectBuffers());
    resetFake(kSpotcleanModule);
}

}  // namespace
