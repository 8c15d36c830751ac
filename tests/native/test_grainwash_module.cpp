// grainwash inside the framework: the older edition's storage through the selectors
// (data record, 64-byte block, Prepare), its settings keys with fixed defaults, the
// generator's logged state, and the stroke step's start and end rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/grainwash/grain_module.h"
#include "filters/spotclean/spot_params.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/edition.h"
#include "framework/host/entry.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "tests/native/fake_host.h"
#include "tests/native/fake_platform.h"

namespace {

void useGrainStrings() {
    gFake.strings = {
        {10000, "Grain Wash"},      {10004, "Maximized"},      {10005, "Window"},
        {10010, "Current Tool"},    {10011, "Pressure Size"},  {10012, "Pressure Amount"},
        {10013, "Brush Size"},      {10014, "Amount"},         {10015, "Buildup"},
        {10016, "Monochromatic"},   {10017, "Uniform"},
    };
}

class GrainEdition : public ::testing::Test {
protected:
    FakeHost host;
    intptr_t data = 0;
    void SetUp() override {
        resetFake(kGrainwashModule);
        useGrainStrings();
        host.setUp(64, 48, plugInModeRGBColor, 3);
        host.record.maxSpace = 1 << 20;
        host.record.bufferSpace = 1 << 20;
    }
    void TearDown() override {
        if (data) freeFixed(reinterpret_cast<void*>(data));
        freeFakeHandles();
    }
    // As the exported entry does it: the data record around the framework's dispatch.
    int16_t call(int16_t selector) {
        int16_t result = 12345;
        if (!enterEdition(kGrainwashModule, &data)) return memFullErr;
        pluginMain(selector, &host.record, &result);
        leaveEdition(kGrainwashModule, &data, selector, result);
        return result;
    }
    GrainParams handleBlock() const {
        GrainParams b;
        std::memcpy(&b, host.record.parameters->data, sizeof b);
        return b;
    }
    GrainDataRecord dataRecord() const {
        GrainDataRecord d;
        std::memcpy(&d, reinterpret_cast<const void*>(data), sizeof d);
        return d;
    }
};

TEST_F(GrainEdition, ClassicStorageThroughAWholeInvocation) {
    ASSERT_EQ(call(filterSelectorParameters), noErr);
    ASSERT_NE(data, 0);
    EXPECT_EQ(dataRecord().values[0], filterSelectorParameters);
    const Handle params = host.record.parameters;  // by value: the record is packed
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(gFake.handleSizes[params], 64u) << "only the block goes to the host";
    GrainParams b = handleBlock();
    EXPECT_EQ(b.currentAmount, 50);
    EXPECT_EQ(std::memcmp(b.signature, "1Dom", 4), 0);
    EXPECT_EQ(b.bandHeight, 1);
    EXPECT_EQ(b.zero12 | b.zero13 | b.zero14, 0);

    ASSERT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_EQ(host.record.bufferSpace, 0);
    // (64 + 64 * 3 * 2) * 48 rows: the whole picture fits what the host offered.
    EXPECT_EQ(host.record.maxSpace, 448 * 48);

    int toolInDialog = -1;
    gFake.dialog = [&] {
        toolInDialog = gPlugin.currentTool;
        gPlugin.currentTool = kToolHand;
    };
    ASSERT_EQ(call(filterSelectorStart), noErr);
    EXPECT_EQ(toolInDialog, kToolBrush);
    ASSERT_EQ(call(filterSelectorFinish), noErr);
    b = handleBlock();
    EXPECT_EQ(b.bandHeight, 48);
    EXPECT_EQ(b.parametersRan, 0) << "Start clears the flag";
    EXPECT_EQ(b.tool, kToolHand);
    EXPECT_EQ(b.pressureRecord, 0u);
    EXPECT_EQ(dataRecord().values[0], filterSelectorFinish);
    EXPECT_EQ(dataRecord().values[1], noErr);
}

TEST_F(GrainEdition, AStoredBlockIsHeldToItsRangesAndGivesTheTool) {
    GrainParams stored;
    createGrainBlock(stored);
    stored.tool = 1;
    stored.bandHeight = -7;
    stored.sizeSource = 9;
    stored.uniform = 0;
    host.record.parameters = makeFakeHandle(&stored, sizeof stored, kHandleTag);
    ASSERT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(gPlugin.currentTool, kToolHand);
    EXPECT_EQ(gGrainParams.block.bandHeight, 1);
    EXPECT_EQ(gGrainParams.block.sizeSource, 2);
    EXPECT_EQ(gGrainParams.block.uniform, 0);
    EXPECT_EQ(gGrainParams.block.parametersRan, 1);
    // A band already as tall as the picture stays there; a host offering less than one
    // band's row gets no larger promise back.
    gGrainParams.block.bandHeight = 200;
    host.record.maxSpace = 100;
    ASSERT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_EQ(gGrainParams.block.bandHeight, 48);
    EXPECT_LE(host.record.maxSpace, 100);
}

TEST_F(GrainEdition, PrepareWithoutParametersStartsFromTheStoredBand) {
    GrainParams stored;
    createGrainBlock(stored);
    // A stored band beyond what the host now offers room for stays (the band only
    // grows), where one started afresh would stop at 25 rows.
    stored.bandHeight = 30;
    stored.tool = 0;
    host.record.parameters = makeFakeHandle(&stored, sizeof stored, kHandleTag);
    host.record.maxSpace = 448 * 25;
    ASSERT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_EQ(gGrainParams.block.bandHeight, 30);
    EXPECT_EQ(host.record.maxSpace, 448 * 25) << "never more than the host offered";
    int toolInDialog = -1;
    gFake.dialog = [&] { toolInDialog = gPlugin.currentTool; };
    ASSERT_EQ(call(filterSelectorStart), noErr);
    EXPECT_EQ(toolInDialog, kToolZoom) << "the stored block, read once";
    ASSERT_EQ(call(filterSelectorFinish), noErr);
    EXPECT_EQ(handleBlock().bandHeight, 30);
}

TEST_F(GrainEdition, NoDataRecordMeansOutOfMemoryAndNothingElse) {
    gFake.failAllocationNumber = 0;
    EXPECT_EQ(call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(data, 0);
    EXPECT_EQ(Handle(host.record.parameters), nullptr) << "the selector did not run";
    // Today's edition leaves data alone.
    intptr_t untouched = 0;
    EXPECT_TRUE(enterEdition(kSpotcleanModule, &untouched));
    EXPECT_EQ(untouched, 0);
}

TEST(GrainSettings, MissingKeysTakeFixedDefaultsAndTheCrossedKeysSwapValues) {
    resetFake(kGrainwashModule);
    useGrainStrings();
    // Values that differ from every default, so a key read with the current value as
    // its default would show.
    gGrainParams.beside = GrainBeside{5, 6, 0};
    gGrainParams.block.sizeSource = 2;
    gGrainParams.block.amountSource = 2;
    gGrainParams.block.uniform = 0;
    gGrainParams.block.monochrome = 1;
    gPlugin.currentTool = 0;
    gFake.ini["Kestrix.ini"]["Grain Wash"]["Buildup"] = "-3";
    gFake.ini["Kestrix.ini"]["Grain Wash"]["Pressure Amount"] = "40";
    gFake.ini["Kestrix.ini"]["Grain Wash"]["Brush Size"] = "2";
    loadSettings(kGrainwashModule);
    EXPECT_EQ(gGrainParams.beside.buildup, 1) << "any non-zero value is set";
    EXPECT_EQ(gGrainParams.beside.brushSize, 40) << "\"Pressure Amount\" holds the size";
    EXPECT_EQ(gGrainParams.block.amountSource, 2) << "\"Brush Size\" holds the amount source";
    EXPECT_EQ(gGrainParams.beside.amount, 99);
    EXPECT_EQ(gGrainParams.block.sizeSource, 0);
    EXPECT_EQ(gGrainParams.block.uniform, 1);
    EXPECT_EQ(gGrainParams.block.monochrome, 0);
    EXPECT_EQ(gPlugin.currentTool, kToolBrush);

    gFake.profileWrites.clear();
    saveSettings(kGrainwashModule);
    const std::vector<std::string> expected = {
        "Kestrix.ini|Grain Wash|Current Tool=2",  "Kestrix.ini|Grain Wash|Pressure Size=0",
        "Kestrix.ini|Grain Wash|Pressure Amount=40", "Kestrix.ini|Grain Wash|Brush Size=2",
        "Kestrix.ini|Grain Wash|Amount=99",       "Kestrix.ini|Grain Wash|Buildup=1",
        "Kestrix.ini|Grain Wash|Monochromatic=0", "Kestrix.ini|Grain Wash|Uniform=1",
    };
    EXPECT_EQ(gFake.profileWrites, expected);
}

TEST(GrainRandomState, ItsNumberBringsAFreshGeneratorToTheSameStream) {
    // States after uniform draws only, after a Gaussian pair with one deviate saved,
    // and after the saved one was used: each continues identically from its number.
    for (int gaussians : {0, 1, 2, 7}) {
        GrainRandom first{};
        for (int i = 0; i < 1000; ++i) grainUniform(first);
        for (int i = 0; i < gaussians; ++i) grainGaussian(first);
        const uint32_t number = grainStateNumber(first);
        EXPECT_EQ(number & 1u, gaussians % 2 == 1 ? 1u : 0u);
        GrainRandom second{};
        grainUniform(second);  // a generator already in use is set back, not continued
        setGrainStateNumber(second, number);
        for (int i = 0; i < 50; ++i) {
            ASSERT_EQ(grainGaussian(first), grainGaussian(second)) << gaussians << " at " << i;
            ASSERT_EQ(grainUniform(first), grainUniform(second)) << gaussians << " at " << i;
        }
    }
    GrainRandom fresh{};
    EXPECT_EQ(grainStateNumber(fresh), 0u);
}

class GrainStep : public ::testing::Test {
protected:
    FakeHost host;
    StrokeState state{nullptr, 0, 0, true};
    StrokeSurface surface{};
    std::vector<Box> invalidated;

    void SetUp() override {
        resetFake(kGrainwashModule);
        host.setUp(40, 30, plugInModeRGBColor, 3);
        gPlugin.record = &host.record;
        ASSERT_TRUE(openWorkSession());
        kGrainwashModule.hooks->setDefaults();
        gGrainParams.block.sizeSource = kGrainFixed;
        gGrainParams.block.amountSource = kGrainFixed;
        gGrainParams.beside.brushSize = 5;
        gDevice = DeviceRanges{1023, 1023, 0, 0, 0, 0};
        resetModuleStroke(state, kGrainwashModule);
        surface.context = &invalidated;
        surface.geometry = PreviewGeometry{1.0f, 0, 0, {0, 0, 400, 300}, {0, 0, 40, 30}, {0, 0, 40, 30}};
        surface.penDown = true;
        surface.invalidate = [](void* c, const Box& b) { static_cast<std::vector<Box>*>(c)->push_back(b); };
        surface.updateNow = [](void*) {};
        surface.setCursor = [](void*, bool) {};
        surface.enableRevert = [](void*) {};
    }
    void TearDown() override {
        resetModuleStroke(state, kGrainwashModule);
        closeWorkSession();
        EXPECT_EQ(gFake.liveBlocks, 0) << "every sample freed";
    }
    void feed(int x, int y, uint16_t pressure, bool eraser = false, uint16_t wheel = 0) {
        auto* r = static_cast<GrainRecord*>(allocFixed(sizeof(GrainRecord)));
        r->base = TabletSample{int16_t(x), int16_t(y), 1, 1, pressure, uint8_t(eraser)};
        r->wheel = wheel;
        runStrokeStep(state, &r->base, kGrainwashModule, surface);
    }
    int changed() {
        int n = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                for (int c = 0; c < 3; ++c) n += host.outAt(x, y, c) != host.documentAt(x, y, c);
        return n;
    }
};

TEST_F(GrainStep, StartsAtTwoDrawsTheLiftingSampleAndEndsOnLeaving) {
    feed(10, 10, 1);
    EXPECT_EQ(changed(), 0) << "pressure 1 starts nothing";
    EXPECT_TRUE(invalidated.empty());
    feed(10, 10, 2);
    const int afterStart = changed();
    EXPECT_GT(afterStart, 0);
    ASSERT_EQ(invalidated.size(), 1u);
    EXPECT_EQ(gGrainParams.block.currentSize, 5);
    EXPECT_EQ(gGrainParams.block.currentAmount, 99);
    feed(20, 10, 0);  // lifted over the picture: still drawn, and the stroke ends
    EXPECT_EQ(invalidated.size(), 2u);
    feed(25, 10, 0);
    EXPECT_EQ(invalidated.size(), 2u) << "no stroke after the lift";
    // Leaving the picture or the button's release end a stroke undrawn.
    feed(5, 20, 800);
    feed(-3, 20, 0);
    feed(5, 25, 800);
    feed(10, 25, kEndOfStroke);
    EXPECT_EQ(invalidated.size(), 4u);
}

TEST_F(GrainStep, TheEraserWithAFixedAmountRestoresTheStroke) {
    gGrainParams.block.uniform = 0;
    feed(8, 8, 600);
    feed(30, 20, 600);
    feed(30, 20, 0);
    ASSERT_GT(changed(), 0);
    feed(8, 8, 600, true);
    feed(30, 20, 600, true);
    feed(30, 20, 0, true);
    EXPECT_EQ(changed(), 0);
    EXPECT_EQ(gGrainParams.block.eraser, 1);
    EXPECT_EQ(gGrainParams.block.currentAmount, 0) << "the eraser keeps its pressure there";
}

}  // namespace
