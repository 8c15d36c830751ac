// The selector protocol as a host drives it: set-up, dispatch, result codes, clean-up
// and the parameters handle.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "framework/host/entry.h"
#include "framework/host/plugin_globals.h"
#include "framework/tablet/device.h"
#include "tests/native/fake_host.h"
#include "tests/native/fake_platform.h"

namespace {

class Entry : public ::testing::Test {
protected:
    FakeHost host;
    void SetUp() override {
        resetFake(kSpotcleanModule);
        host.setUp(5, 4, plugInModeRGBColor, 3);
    }
    void TearDown() override { freeFakeHandles(); }

    int16_t call(int16_t selector, void* record = nullptr) {
        int16_t result = 12345;
        pluginMain(selector, record ? record : &host.record, &result);
        return result;
    }
    SpotParams handleParams() const {
        SpotParams p;
        std::memcpy(&p, host.record.parameters->data, sizeof p);
        return p;
    }
};

TEST_F(Entry, SelectorsOutsideTheProtocolAreBadParametersAndCleanUp) {
    for (int16_t selector : {int16_t(6), int16_t(-1), int16_t(200)}) {
        EXPECT_EQ(call(selector), filterBadParameters);
        EXPECT_EQ(gPlugin.initialized, 0);
        EXPECT_EQ(gFake.liveBlocks, 0) << "work buffers freed by the clean-up";
    }
}

TEST_F(Entry, FullInvocationRunsTheDialogAndHandsBackTheImage) {
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_EQ(call(filterSelectorStart), noErr);
    EXPECT_EQ(gFake.dialogRuns, 1);
    EXPECT_EQ(host.advanceCalls, 1);
    // The result buffer holds the source and the request rectangles are emptied.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 3; ++c) ASSERT_EQ(host.outAt(x, y, c), host.documentAt(x, y, c));
    const Rect16& o = host.record.outRect;
    EXPECT_EQ(o.top | o.left | o.bottom | o.right, 0);
    EXPECT_EQ(host.record.inRect.right, 0);
    EXPECT_EQ(host.record.maskRect.right, 0);
    EXPECT_EQ(call(filterSelectorFinish), noErr);
    EXPECT_EQ(gPlugin.initialized, 0);
    EXPECT_EQ(gFake.liveBlocks, 0) << "work blocks and undo buffer all freed";
}

TEST_F(Entry, ParametersCreateATaggedHandleWithTheDefaults) {
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    ASSERT_NE(Handle(host.record.parameters), nullptr);
    EXPECT_EQ(host.record.parameters->tag, fourCC("FOTO"));
    SpotParams p = handleParams();
    EXPECT_EQ(p.brushSize, 25);
    EXPECT_EQ(p.amount, 2);
    EXPECT_EQ(p.sizeSource, 1);
    EXPECT_EQ(p.amountSource, 1);
    EXPECT_EQ(p.buildup, 1);
    EXPECT_EQ(gPlugin.zoom, 1.0f);
}

TEST_F(Entry, RepeatRunReadsTheHandleAndFinishStoresTheLastParams) {
    call(filterSelectorParameters);
    gSpotParams.brushSize = 70;  // as the dialog would leave it
    call(filterSelectorFinish);
    EXPECT_EQ(handleParams().brushSize, 70);

    // Next invocation: the host passes its handle back; Start alone loads it.
    std::memset(&gSpotParams, 0, sizeof gSpotParams);
    EXPECT_EQ(call(filterSelectorStart), noErr);
    EXPECT_EQ(gSpotParams.brushSize, 70);
    EXPECT_EQ(gSpotParams.amount, 2);
    EXPECT_EQ(gFake.handles.size(), 1u) << "no second handle";
}

TEST_F(Entry, ParamsFromAHandleAreKeptInRange) {
    call(filterSelectorParameters);
    call(filterSelectorFinish);
    SpotParams wild{500, -3, 9, -1, 7};
    std::memcpy(host.record.parameters->data, &wild, sizeof wild);
    call(filterSelectorParameters);
    EXPECT_EQ(gSpotParams.brushSize, 99);
    EXPECT_EQ(gSpotParams.amount, 1);
    EXPECT_EQ(gSpotParams.sizeSource, 2);
    EXPECT_EQ(gSpotParams.amountSource, 0);
    EXPECT_EQ(gSpotParams.buildup, 1);
}

TEST_F(Entry, HandleAllocationFailureGoesOnWithoutOne) {
    gFake.failHandles = true;
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(Handle(host.record.parameters), nullptr);
    EXPECT_EQ(gSpotParams.brushSize, 25);
    EXPECT_EQ(call(filterSelectorStart), noErr);
}

TEST_F(Entry, AboutShowsTheStringsOwnedByTheHostWindowAndCleansUp) {
    PlatformData platform{0x1234};
    AboutRecord about{};
    about.platformData = &platform;
    // Junk where a FilterRecord would keep its parameters handle: About must not use it.
    std::memset(about.reserved, 0xAB, sizeof about.reserved);
    EXPECT_EQ(call(filterSelectorAbout, &about), noErr);
    ASSERT_EQ(gFake.messages.size(), 1u);
    EXPECT_EQ(gFake.messages[0].owner, 0x1234);
    EXPECT_EQ(gFake.messages[0].text, "About text");
    EXPECT_EQ(gFake.messages[0].caption, "About caption");
    EXPECT_EQ(gFake.messages[0].kind, MessageKind::information);
    EXPECT_EQ(gPlugin.initialized, 0);
    EXPECT_TRUE(gFake.handles.empty());
    EXPECT_EQ(gFake.liveBlocks, 0);
}

TEST_F(Entry, AboutWithoutACaptionStringShowsAnEmptyCaption) {
    gFake.strings.erase(16001);
    AboutRecord about{};
    call(filterSelectorAbout, &about);
    ASSERT_EQ(gFake.messages.size(), 1u);
    EXPECT_EQ(gFake.messages[0].caption, "");
    EXPECT_EQ(gFake.messages[0].owner, 0);
}

TEST_F(Entry, WorkBufferFailureIsMemFullAndFreesWhatWasAllocated) {
    gFake.failAllocationNumber = 2;  // the third of the four blocks
    EXPECT_EQ(call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(gPlugin.initialized, 0);
    EXPECT_EQ(gFake.liveBlocks, 0);
    EXPECT_EQ(gFake.dialogRuns, 0);
}

TEST_F(Entry, DustcleanNeedsItsFifthBlockToo) {
    resetFake(kDustcleanModule);
    gFake.failAllocationNumber = 4;
    EXPECT_EQ(call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(gFake.liveBlocks, 0);
    resetFake(kDustcleanModule);
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(gFake.liveBlocks, 5);
    EXPECT_EQ(gDustParams.radius, 2);
    EXPECT_EQ(gDustParams.level, 50);
    EXPECT_EQ(gDustParams.buildup, 0);
    call(filterSelectorFinish);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

TEST_F(Entry, StartWithoutDisplayPixelsFailsWithoutADialog) {
    host.record.displayPixels = nullptr;
    EXPECT_EQ(call(filterSelectorStart), -1);
    EXPECT_EQ(gFake.dialogRuns, 0);
    EXPECT_EQ(host.advanceCalls, 0);
    EXPECT_EQ(gPlugin.initialized, 0);
}

TEST_F(Entry, StartWithoutAdvanceStateSaysTheHostLacksServices) {
    host.record.advanceState = nullptr;
    host.record.filterRect = {0, 0, 4, 5};
    EXPECT_EQ(call(filterSelectorStart), errPlugInHostInsufficient);
    EXPECT_EQ(gFake.dialogRuns, 0);
}

TEST_F(Entry, AdvanceStateErrorIsStartsResultAndNoBufferIsTouched) {
    host.advanceAnswer = -50;
    EXPECT_EQ(call(filterSelectorStart), -50);
    EXPECT_EQ(host.advanceCalls, 1);
    EXPECT_TRUE(host.out.empty());
    EXPECT_EQ(static_cast<void*>(host.record.outData), nullptr);
    EXPECT_EQ(gFake.liveBlocks, 0) << "no undo buffer was made";
}

TEST_F(Entry, CancelStillStoresTheParamsInTheHandle) {
    call(filterSelectorParameters);
    gFake.dialog = [] {
        gSpotParams.amount = 9;
        gPlugin.result = 1;
    };
    EXPECT_EQ(call(filterSelectorStart), 1);
    EXPECT_EQ(gPlugin.initialized, 0);
    EXPECT_EQ(handleParams().amount, 9);
}

TEST_F(Entry, StartClearsModifiedAndParametersSeen) {
    call(filterSelectorParameters);
    gPlugin.modified = 1;
    gFake.dialog = [] { EXPECT_EQ(gPlugin.modified, 0); };
    call(filterSelectorStart);
    EXPECT_EQ(gPlugin.parametersSeen, 0);
}

TEST_F(Entry, ContinueEmptiesTheRequest) {
    call(filterSelectorParameters);
    host.record.inRect = {1, 2, 3, 4};
    host.record.outRect = {1, 2, 3, 4};
    host.record.maskRect = {1, 2, 3, 4};
    EXPECT_EQ(call(filterSelectorContinue), noErr);
    EXPECT_EQ(host.record.inRect.bottom, 0);
    EXPECT_EQ(host.record.outRect.right, 0);
    EXPECT_EQ(host.record.maskRect.left, 0);
}

TEST_F(Entry, SetUpSelectsTheBrushAndClearsTheFlags) {
    gPlugin.currentTool = kToolZoom;
    gPlugin.appliedOnce = 1;
    gPlugin.unappliedStroke = 1;
    call(filterSelectorParameters);
    EXPECT_EQ(gPlugin.currentTool, kToolBrush);
    EXPECT_EQ(gPlugin.appliedOnce, 0);
    EXPECT_EQ(gPlugin.unappliedStroke, 0);
}

TEST_F(Entry, ALaterCallFollowsTheRecordItIsGiven) {
    call(filterSelectorParameters);
    FakeHost other;
    other.setUp(3, 3, plugInModeGrayScale, 1);
    EXPECT_EQ(call(filterSelectorStart, &other.record), noErr);
    EXPECT_EQ(other.advanceCalls, 1);
}

// The parameters handle: only one of ours, large enough for the record, is read or
// written; anything else gives the defaults in a new handle.
const SpotParams kStored{70, 9, 2, 0, 0};

TEST_F(Entry, AHandleWithoutOurTagGivesDefaultsInANewHandle) {
    Handle foreign = makeFakeHandle(&kStored, sizeof kStored, 0);
    host.record.parameters = foreign;
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(gSpotParams.brushSize, 25) << "the defaults, not the foreign bytes";
    ASSERT_NE(Handle(host.record.parameters), foreign);
    EXPECT_EQ(host.record.parameters->tag, kHandleTag);
    EXPECT_EQ(handleParams().brushSize, 25);
    call(filterSelectorFinish);
    EXPECT_EQ(std::memcmp(foreign->data, &kStored, sizeof kStored), 0) << "never written";
}

TEST_F(Entry, OurTagOnASmallerRecordGivesDefaultsAndIsNeverWritten) {
    // An older version's record: four bytes. Reading ours from it would run past its end.
    const uint8_t old[4] = {40, 0, 7, 0};
    Handle small = makeFakeHandle(old, sizeof old, kHandleTag);
    host.record.parameters = small;
    EXPECT_EQ(call(filterSelectorParameters), noErr);
    EXPECT_EQ(gSpotParams.brushSize, 25);
    EXPECT_EQ(gSpotParams.amount, 2);
    EXPECT_NE(Handle(host.record.parameters), small);
    // Even when the host hands the small handle back at Finish, it is not written.
    host.record.parameters = small;
    gSpotParams.brushSize = 80;
    EXPECT_EQ(call(filterSelectorFinish), noErr);
    EXPECT_EQ(std::memcmp(small->data, old, sizeof old), 0);
}

TEST_F(Entry, AHandleOfUnknownSizeIsNotTrusted) {
    host.record.parameters = makeFakeHandle(&kStored, sizeof kStored, kHandleTag, false);
    call(filterSelectorParameters);
    EXPECT_EQ(gSpotParams.brushSize, 25);
}

TEST_F(Entry, ALargerHandleOfOursIsRead) {
    uint8_t bigger[40] = {};
    std::memcpy(bigger, &kStored, sizeof kStored);
    host.record.parameters = makeFakeHandle(bigger, sizeof bigger, kHandleTag);
    call(filterSelectorParameters);
    EXPECT_EQ(gSpotParams.brushSize, 70);
    EXPECT_EQ(gSpotParams.amount, 9);
}

// A host's handle suite answers for the size when it is offered.
std::map<Handle, int32_t> gHostSizes;
int gSizeQueries;
int32_t KX_CDECL hostHandleSize(Handle h) {
    ++gSizeQueries;
    auto it = gHostSizes.find(h);
    return it == gHostSizes.end() ? 0 : it->second;
}

TEST_F(Entry, TheHostsHandleProceduresTellTheSizeWhenOffered) {
    HandleProcs procs{};
    procs.handleProcsVersion = kCurrentHandleProcsVersion;
    procs.numHandleProcs = 8;
    procs.getSizeProc = hostHandleSize;
    host.record.handleProcs = &procs;
    gSizeQueries = 0;
    // The system would say 16 bytes; the host, which made the block, says 4.
    Handle h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    gHostSizes = {{h, 4}};
    host.record.parameters = h;
    call(filterSelectorParameters);
    EXPECT_EQ(gSpotParams.brushSize, 25);
    EXPECT_GE(gSizeQueries, 1);
    call(filterSelectorFinish);
    EXPECT_EQ(std::memcmp(h->data, &kStored, sizeof kStored), 0);

    // The other way round: the system does not know the block, the host does.
    h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag, false);
    gHostSizes = {{h, int32_t(sizeof kStored)}};
    host.record.parameters = h;
    call(filterSelectorParameters);
    EXPECT_EQ(gSpotParams.brushSize, 70);

    // A suite too short to hold getSizeProc is not called.
    call(filterSelectorFinish);
    procs.numHandleProcs = 2;
    gSizeQueries = 0;
    host.record.parameters = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    call(filterSelectorParameters);
    EXPECT_EQ(gSizeQueries, 0);
    EXPECT_EQ(gSpotParams.brushSize, 70);
}

// Parameters never loaded in this invocation never overwrite the stored ones.
TEST_F(Entry, FinishAsTheFirstCallLeavesTheHandleByteIdentical) {
    Handle h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    host.record.parameters = h;
    EXPECT_EQ(call(filterSelectorFinish), noErr);
    EXPECT_EQ(std::memcmp(h->data, &kStored, sizeof kStored), 0);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

TEST_F(Entry, AFailedSetUpLeavesTheHandleByteIdentical) {
    Handle h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    host.record.parameters = h;
    gFake.failAllocationNumber = 1;
    EXPECT_EQ(call(filterSelectorParameters), memFullErr);
    EXPECT_EQ(std::memcmp(h->data, &kStored, sizeof kStored), 0);
    // Prepare as the first call fails the same way.
    resetFake(kSpotcleanModule);
    h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    host.record.parameters = h;
    EXPECT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_EQ(call(6), filterBadParameters);
    EXPECT_EQ(std::memcmp(h->data, &kStored, sizeof kStored), 0);
}

// A host that drops an invocation after Parameters and Prepare and frees its record.
TEST_F(Entry, AboutAfterADroppedInvocationNeverTouchesItsRecord) {
    Handle h = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    host.record.parameters = h;
    call(filterSelectorParameters);
    call(filterSelectorPrepare);
    gSpotParams.brushSize = 99;  // what the clean-up would write through the old record
    // The host frees the record; what was its parameters field now points elsewhere.
    SpotParams victim{};
    HandleCell stale{&victim, kHandleTag};
    host.record.parameters = &stale;

    AboutRecord about{};
    EXPECT_EQ(call(filterSelectorAbout, &about), noErr);
    EXPECT_EQ(gFake.messages.size(), 1u);
    EXPECT_EQ(victim.brushSize, 0) << "nothing written through the dropped record";
    EXPECT_EQ(gPlugin.initialized, 0);
    EXPECT_EQ(gPlugin.record, nullptr);
    EXPECT_EQ(gFake.liveBlocks, 0) << "the dropped invocation's buffers are freed";
}

TEST_F(Entry, TheFirstCallOfANewInvocationStartsClean) {
    call(filterSelectorParameters);
    call(filterSelectorPrepare);
    // The dropped invocation's dialog had left its marks.
    gPlugin.appliedOnce = 1;
    gPlugin.unappliedStroke = 1;
    gPlugin.currentTool = kToolHand;
    const int blocks = gFake.liveBlocks;

    FakeHost next;
    next.setUp(3, 3, plugInModeGrayScale, 1);
    next.record.parameters = makeFakeHandle(&kStored, sizeof kStored, kHandleTag);
    EXPECT_EQ(call(filterSelectorParameters, &next.record), noErr);
    EXPECT_EQ(gPlugin.record, &next.record);
    EXPECT_EQ(gPlugin.appliedOnce, 0);
    EXPECT_EQ(gPlugin.unappliedStroke, 0);
    EXPECT_EQ(gPlugin.currentTool, kToolBrush);
    EXPECT_EQ(gSpotParams.brushSize, 70);
    EXPECT_EQ(gFake.liveBlocks, blocks) << "the old buffers freed, new ones made";
    EXPECT_EQ(handleParams().brushSize, 25) << "the dropped record's handle left alone";

    call(filterSelectorPrepare, &next.record);  // goes on
    EXPECT_EQ(gPlugin.paramsValid, 1);
    // Prepare again, without Parameters (a repeated filter): a new invocation too.
    gPlugin.appliedOnce = 1;
    call(filterSelectorPrepare, &next.record);
    EXPECT_EQ(gPlugin.appliedOnce, 0);
    EXPECT_EQ(gPlugin.paramsValid, 0) << "nothing loaded in the newest invocation yet";
}

TEST_F(Entry, AnInvocationInOrderIsOneInvocation) {
    call(filterSelectorParameters);
    gPlugin.appliedOnce = 1;
    call(filterSelectorPrepare);
    EXPECT_EQ(gPlugin.appliedOnce, 1);
    gFake.dialog = [] { EXPECT_EQ(gPlugin.appliedOnce, 1); };
    call(filterSelectorStart);
    EXPECT_EQ(call(filterSelectorContinue), noErr);
    EXPECT_EQ(call(filterSelectorContinue), noErr);
    EXPECT_EQ(gPlugin.initialized, 1);
}

// Prepare: the tablet's ranges, and the driver's tilt switch when it has no tilt.
TEST_F(Entry, PrepareWithoutATabletDriverSwitchesTiltOff) {
    EXPECT_EQ(call(filterSelectorPrepare), noErr);
    ASSERT_EQ(gFake.profileWrites.size(), 1u);
    EXPECT_EQ(gFake.profileWrites[0], "vorla.ini|Parameters|NoTilt=1");
}

TEST_F(Entry, PrepareLeavesASwitchAlreadySetAlone) {
    gFake.ini["vorla.ini"]["Parameters"]["NoTilt"] = "1";
    call(filterSelectorPrepare);
    EXPECT_TRUE(gFake.profileWrites.empty());
}

TEST_F(Entry, PrepareReadsTheRangesOfATabletWithTilt) {
    gFake.tablet.present = true;
    gFake.tablet.pressure.axMax = 1023;
    gFake.tablet.wheel.axMax = 511;
    EXPECT_EQ(call(filterSelectorPrepare), noErr);
    EXPECT_TRUE(gFake.profileWrites.empty());
    EXPECT_EQ(gDevice.pressureMax, 1023);
    EXPECT_EQ(gDevice.wheelMax, 511);
    EXPECT_EQ(gDevice.altitudeMin, -900);
    EXPECT_EQ(gDevice.azimuthMax, 3600);
}

TEST_F(Entry, PrepareKeepsRangesPast16Bits) {
    gFake.tablet.present = true;
    gFake.tablet.pressure.axMax = 65535;
    gFake.tablet.wheel.axMax = 100000;
    gFake.tablet.orientation[0].axMax = 36000;
    gFake.tablet.orientation[1].axMin = -90000;
    call(filterSelectorPrepare);
    EXPECT_EQ(gDevice.pressureMax, 65535);
    EXPECT_EQ(gDevice.wheelMax, 100000);
    EXPECT_EQ(gDevice.azimuthMax, 36000);
    EXPECT_EQ(gDevice.altitudeMin, -90000);
}

TEST_F(Entry, PrepareCountsCoarseOrFailedTiltAsNone) {
    gFake.tablet.present = true;
    gFake.tablet.orientation[0].axResolution = 0x0000FFFF;  // below 1.0
    call(filterSelectorPrepare);
    EXPECT_EQ(gFake.ini["vorla.ini"]["Parameters"]["NoTilt"], "1");
    call(filterSelectorFinish);

    resetFake(kSpotcleanModule);
    gFake.tablet.present = true;
    gFake.tablet.orientationFails = true;
    call(filterSelectorPrepare);
    EXPECT_EQ(gFake.ini["vorla.ini"]["Parameters"]["NoTilt"], "1");
    EXPECT_EQ(gDevice.pressureMax, 1023) << "pressure is read even without tilt";
}

}  // namespace
