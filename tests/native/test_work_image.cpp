// The whole-image request, the working copy, Apply/Revert copies, Done's transparency
// fix-up and the one-step undo.
#include <gtest/gtest.h>

#include <vector>

#include "filters/spotclean/spot_params.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/undo.h"
#include "tests/native/fake_host.h"
#include "tests/native/fake_platform.h"

namespace {

class WorkImage : public ::testing::Test {
protected:
    FakeHost host;
    void SetUp() override { resetFake(kSpotcleanModule); }
    void TearDown() override {
        if (gPlugin.undoOwn) freeFixed(gPlugin.undoOwn);
        gPlugin.undoOwn = gPlugin.undoBuffer = nullptr;
        releaseApplied();
    }
    void open(int w, int h, int16_t mode, int16_t planes, bool mask = false) {
        host.setUp(w, h, mode, planes, mask);
        gPlugin.record = &host.record;
        ASSERT_TRUE(openWorkSession());
    }
    // Paints the result so it differs from the source everywhere.
    void paint(uint8_t value) {
        for (int y = 0; y < host.height; ++y)
            for (int x = 0; x < host.width; ++x)
                for (int c = 0; c < host.planes; ++c) host.outAt(x, y, c) = value;
    }
    bool resultIs(uint8_t value, int channels) {
        for (int y = 0; y < host.height; ++y)
            for (int x = 0; x < host.width; ++x)
                for (int c = 0; c < channels; ++c)
                    if (host.outAt(x, y, c) != value) return false;
        return true;
    }
    uint8_t shown(int x, int y, int c) {
        auto* out = static_cast<uint8_t*>(host.record.outData);
        return out[y * host.record.outRowBytes + x * host.planes + c];
    }
    // The unpainted image the effects read: the applied one after an Apply.
    uint8_t source(int x, int y, int c) {
        const SourcePlanes s = sourcePlanes(host.record);
        return s.data[y * s.rowBytes + x * s.stride + c];
    }
    // The host's source buffer still holds the document, byte for byte.
    bool hostSourceUntouched() {
        for (int y = 0; y < host.height; ++y)
            for (int x = 0; x < host.width; ++x)
                for (int c = 0; c < host.planes; ++c)
                    if (host.inAt(x, y, c) != host.documentAt(x, y, c)) return false;
        return true;
    }
};

TEST(TransparencyRule, OnlyTheThreeKindsWithAnExtraPlane) {
    EXPECT_TRUE(hasTransparencyPlane(plugInModeGrayScale, 2));
    EXPECT_TRUE(hasTransparencyPlane(plugInModeRGBColor, 4));
    EXPECT_TRUE(hasTransparencyPlane(plugInModeCMYKColor, 5));
    EXPECT_FALSE(hasTransparencyPlane(plugInModeGrayScale, 1));
    EXPECT_FALSE(hasTransparencyPlane(plugInModeRGBColor, 3));
    EXPECT_FALSE(hasTransparencyPlane(plugInModeCMYKColor, 4));
    EXPECT_FALSE(hasTransparencyPlane(plugInModeCMYKColor, 4 + 2));
    EXPECT_FALSE(hasTransparencyPlane(plugInModeMultichannel, 4));
}

TEST_F(WorkImage, RequestAsksForEverythingAtOnceWithEdgePadding) {
    host.setUp(6, 3, plugInModeCMYKColor, 5, true);
    host.record.filterRect = {1, 2, 3, 6};
    host.record.maskPadding = 77;
    gPlugin.zoom = 4.0f;
    ASSERT_TRUE(requestImage(host.record));
    const FilterRecord& r = host.record;
    EXPECT_EQ(r.inRect.top, 1);
    EXPECT_EQ(r.inRect.left, 2);
    EXPECT_EQ(r.outRect.bottom, 3);
    EXPECT_EQ(r.outRect.right, 6);
    EXPECT_EQ(r.maskRect.left, 2);
    EXPECT_EQ(r.inLoPlane, 0);
    EXPECT_EQ(r.inHiPlane, 4);
    EXPECT_EQ(r.outHiPlane, 4);
    EXPECT_EQ(r.inputRate, 0x10000);
    EXPECT_EQ(r.maskRate, 0x10000);
    EXPECT_EQ(r.inputPadding, -1);
    EXPECT_EQ(r.outputPadding, -1);
    EXPECT_EQ(r.maskPadding, 77) << "the mask is padded only for a floating selection";
    EXPECT_EQ(gPlugin.zoom, 1.0f);
    EXPECT_EQ(host.advanceCalls, 1);
}

TEST_F(WorkImage, FloatingSelectionMaskIsEdgePadded) {
    host.setUp(4, 4, plugInModeRGBColor, 3, true);
    host.record.isFloating = 1;
    ASSERT_TRUE(requestImage(host.record));
    EXPECT_EQ(host.record.maskPadding, -1);
}

TEST_F(WorkImage, NoMaskNoMaskRate) {
    host.setUp(4, 4, plugInModeRGBColor, 3);
    host.record.maskRate = 5;
    ASSERT_TRUE(requestImage(host.record));
    EXPECT_EQ(host.record.maskRate, 5);
}

// Issue 18, item 8: a host that answers success without the buffers must not get a
// success back from Start, though the dialog never painted anything.
int sDropBuffer;            // which buffer the host below leaves out: 0 in, 1 out, 2 mask
AdvanceStateProc sFullHost;  // the fake host's own advanceState

TEST_F(WorkImage, SuccessWithoutBuffersBecomesAnError) {
    for (sDropBuffer = 0; sDropBuffer < 3; ++sDropBuffer) {
        SCOPED_TRACE(sDropBuffer);
        resetFake(kSpotcleanModule);
        host.setUp(4, 4, plugInModeRGBColor, 3, sDropBuffer == 2);
        sFullHost = host.record.advanceState;
        host.record.advanceState = [] {
            const OSErr e = sFullHost();
            FilterRecord& r = gHost->record;
            (sDropBuffer == 0 ? r.inData : sDropBuffer == 1 ? r.outData : r.maskData) = nullptr;
            return e;
        };
        gPlugin.record = &host.record;
        EXPECT_FALSE(requestImage(host.record));
        EXPECT_EQ(gPlugin.result, filterBadParameters);
    }
}

// A host whose rows are shorter than their pixels gets an error before anything reads them.
TEST_F(WorkImage, RowsShorterThanTheirPixelsAreRefused) {
    static int sShorten;  // 0 source, 1 result, 2 mask
    static OSErr (*sFullHost)();
    for (sShorten = 0; sShorten < 3; ++sShorten) {
        SCOPED_TRACE(sShorten);
        resetFake(kSpotcleanModule);
        host.setUp(4, 4, plugInModeRGBColor, 3, sShorten == 2);
        sFullHost = host.record.advanceState;
        host.record.advanceState = [] {
            const OSErr e = sFullHost();
            FilterRecord& r = gHost->record;
            if (sShorten == 0) r.inRowBytes = 4 * 3 - 1;
            if (sShorten == 1) r.outRowBytes = -12;
            if (sShorten == 2) r.maskRowBytes = 3;
            return e;
        };
        gPlugin.record = &host.record;
        EXPECT_FALSE(requestImage(host.record));
        EXPECT_EQ(gPlugin.result, filterBadParameters);
    }
}

TEST_F(WorkImage, OpeningWithoutAnImageAlwaysLeavesAnError) {
    host.setUp(4, 4, plugInModeGrayScale, 1);
    host.record.advanceState = [] { return OSErr(noErr); };  // success, no buffers
    gPlugin.record = &host.record;
    EXPECT_FALSE(openWorkSession());
    EXPECT_EQ(gPlugin.result, filterBadParameters);
    gPlugin.result = noErr;
    gPlugin.record = nullptr;
    EXPECT_FALSE(openWorkSession());
    EXPECT_NE(gPlugin.result, noErr);
}

TEST_F(WorkImage, AnEarlierErrorStopsTheRequestBeforeTheHostIsCalled) {
    host.setUp(4, 4, plugInModeRGBColor, 3);
    gPlugin.result = -108;
    EXPECT_FALSE(requestImage(host.record));
    EXPECT_EQ(host.advanceCalls, 0);
}

TEST_F(WorkImage, OpeningCopiesTheSourceIntoTheJunkResult) {
    open(5, 3, plugInModeRGBColor, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 4; ++c) ASSERT_EQ(host.outAt(x, y, c), host.documentAt(x, y, c));
    // Bytes past each row's pixels belong to the host and stay as they were.
    EXPECT_EQ(host.out[5 * 4], 0xEE);
}

TEST_F(WorkImage, ApplyThenRevertReturnsToTheAppliedState) {
    open(4, 3, plugInModeGrayScale, 1);
    paint(9);
    ASSERT_TRUE(applyWork());
    paint(200);
    revertWork();
    EXPECT_TRUE(resultIs(9, 1));
    EXPECT_EQ(source(3, 2, 0), 9) << "the effects read the applied image";
}

// Issue 18, item 6: Apply goes into a buffer of our own. A host that hands its own
// image as inData keeps it, whatever the dialog did, when the user cancels.
TEST_F(WorkImage, ApplyNeverWritesTheHostsSourceBuffer) {
    open(5, 4, plugInModeRGBColor, 4, true);
    const int before = gFake.liveBlocks;  // the undo block
    paint(9);
    ASSERT_TRUE(applyWork());
    EXPECT_EQ(gFake.liveBlocks, before + 1) << "our copy, allocated at the first Apply";
    paint(33);
    ASSERT_TRUE(applyWork());
    EXPECT_EQ(gFake.liveBlocks, before + 1) << "and only then";
    paint(200);
    revertWork();
    EXPECT_TRUE(resultIs(33, 4));
    EXPECT_TRUE(hostSourceUntouched());
    closeWorkSession();  // Cancel
    EXPECT_TRUE(hostSourceUntouched());
    EXPECT_EQ(gPlugin.applied, nullptr);
    EXPECT_EQ(gFake.liveBlocks, 0);
    EXPECT_EQ(static_cast<void*>(host.record.inData), host.in.data());
}

TEST_F(WorkImage, ApplyWithoutMemoryChangesNothing) {
    open(4, 3, plugInModeCMYKColor, 5);
    paint(70);
    gFake.failAllocationNumber = gFake.allocations;  // the next allocation fails
    EXPECT_FALSE(applyWork());
    EXPECT_EQ(gPlugin.applied, nullptr);
    EXPECT_TRUE(resultIs(70, 5)) << "the painting stays";
    EXPECT_TRUE(hostSourceUntouched());
    EXPECT_EQ(source(2, 1, 3), host.documentAt(2, 1, 3));
    revertWork();  // Revert still returns to the image as opened
    for (int c = 0; c < 5; ++c) EXPECT_EQ(host.outAt(3, 2, c), host.documentAt(3, 2, c));
    paint(71);
    ASSERT_TRUE(applyWork()) << "a later Apply may find the memory";
    EXPECT_EQ(source(0, 0, 0), 71);
}

// The dialog controller and undo after an Apply into our own buffer: Revert returns to the
// applied image, Z still exchanges with the image from before the last stroke, and
// Apply takes what is on screen, also when that is the undo block.
TEST_F(WorkImage, RevertAndZAfterApplyBehaveAsBefore) {
    open(4, 3, plugInModeGrayScale, 1);
    snapshotUndo(host.record);
    paint(40);  // first stroke
    ASSERT_TRUE(applyWork());
    snapshotUndo(host.record);
    paint(50);  // second stroke
    revertWork();
    EXPECT_EQ(shown(1, 1, 0), 40);
    swapUndo(host.record);  // Z: the image before the second stroke
    EXPECT_EQ(shown(1, 1, 0), 40);
    swapUndo(host.record);
    snapshotUndo(host.record);
    paint(60);              // third stroke
    swapUndo(host.record);  // Z: before it, shown from the undo block
    EXPECT_NE(static_cast<void*>(host.record.outData), host.out.data());
    ASSERT_TRUE(applyWork()) << "Apply commits what is on screen";
    EXPECT_EQ(source(2, 2, 0), 40);
    swapUndo(host.record);  // redo: the third stroke is back, not applied
    EXPECT_EQ(shown(2, 2, 0), 60);
    revertWork();
    EXPECT_EQ(shown(2, 2, 0), 40);
    EXPECT_TRUE(hostSourceUntouched());
}

// The end of every kept session: the host's own buffer holds what is on screen, the
// effect's finalApply ran on it, result 0, nothing of ours left.
TEST_F(WorkImage, KeepingTheImageHandsTheShownImageToTheHostAndRunsFinalApply) {
    open(3, 2, plugInModeRGBColor, 4);
    uint8_t* hostBuffer = host.out.data();
    snapshotUndo(host.record);
    paint(77);
    ASSERT_TRUE(applyWork());
    snapshotUndo(host.record);
    paint(99);
    swapUndo(host.record);  // Z: the applied 77s on screen, from the undo block
    gPlugin.result = 1;
    keepWork();
    EXPECT_EQ(gPlugin.result, noErr);
    EXPECT_EQ(static_cast<void*>(host.record.outData), hostBuffer);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            for (int c = 0; c < 3; ++c) EXPECT_EQ(host.outAt(x, y, c), 77);
            EXPECT_EQ(host.outAt(x, y, 3), host.documentAt(x, y, 3)) << "finalApply ran";
        }
    EXPECT_EQ(gPlugin.applied, nullptr);
    EXPECT_EQ(gPlugin.undoBuffer, nullptr);
    EXPECT_EQ(gFake.liveBlocks, 0);
    closeWorkSession();  // the dialog's destruction after it: nothing more happens
    EXPECT_EQ(static_cast<void*>(host.record.outData), hostBuffer);
    EXPECT_TRUE(hostSourceUntouched());
}

TEST_F(WorkImage, CopiesHonourASourceStrideWiderThanThePixel) {
    // A host may deliver more interleaved planes in the source than the result has.
    host.setUp(3, 2, plugInModeGrayScale, 1);
    host.record.outRect = {0, 0, 2, 3};
    host.record.planes = 1;
    host.record.inLoPlane = 0;
    host.record.inHiPlane = 1;  // stride 2
    std::vector<uint8_t> in = {10, 0, 11, 0, 12, 0, 20, 0, 21, 0, 22, 0};
    std::vector<uint8_t> out(6, 0);
    host.record.inData = in.data();
    host.record.inRowBytes = 6;
    host.record.outData = out.data();
    host.record.outRowBytes = 3;
    resetResult(host.record);
    EXPECT_EQ(out, (std::vector<uint8_t>{10, 11, 12, 20, 21, 22}));
    out = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(commitResult(host.record));
    EXPECT_EQ(in, (std::vector<uint8_t>{10, 0, 11, 0, 12, 0, 20, 0, 21, 0, 22, 0}))
        << "the host's source is never written";
    out.assign(6, 0);
    resetResult(host.record);
    EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(sourcePlanes(host.record).stride, 1) << "our copy is packed";
}

TEST_F(WorkImage, CopiesDoNothingWithoutRowsOrBuffers) {
    host.setUp(3, 2, plugInModeGrayScale, 1);
    host.record.outRect = {2, 0, 2, 3};
    resetResult(host.record);  // no buffers at all: must not crash
    std::vector<uint8_t> in(6, 1), out(6, 2);
    host.record.inData = in.data();
    host.record.outData = out.data();
    host.record.inHiPlane = 0;
    host.record.inRowBytes = host.record.outRowBytes = 3;
    resetResult(host.record);
    EXPECT_EQ(out, std::vector<uint8_t>(6, 2));
}

TEST_F(WorkImage, DoneRestoresTransparencyFromTheSourceOnly) {
    struct Kind {
        int16_t mode, planes;
        bool alpha;
    } kinds[] = {{plugInModeGrayScale, 2, true}, {plugInModeRGBColor, 4, true},
                 {plugInModeCMYKColor, 5, true}, {plugInModeCMYKColor, 4, false},
                 {plugInModeRGBColor, 3, false}};
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.planes);
        resetFake(kSpotcleanModule);
        open(3, 2, k.mode, k.planes);
        paint(255);
        gPlugin.record = &host.record;
        kSpotcleanModule.hooks->finalApply();
        int last = k.planes - 1;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(host.outAt(x, y, last), k.alpha ? host.documentAt(x, y, last) : 255);
                for (int c = 0; c < last; ++c) EXPECT_EQ(host.outAt(x, y, c), 255);
            }
        releaseUndo(host.record);
    }
}

// Undo: a pointer exchange in the host's record, the host's buffer returned at the end.
TEST_F(WorkImage, ZBeforeAnyStrokeShowsTheSameImage) {
    open(4, 3, plugInModeRGBColor, 3);
    uint8_t* hostBuffer = host.out.data();
    swapUndo(host.record);
    EXPECT_NE(static_cast<void*>(host.record.outData), hostBuffer);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(shown(3, 2, c), host.documentAt(3, 2, c));
}

TEST_F(WorkImage, OddNumberOfExchangesHandsTheShownImageToTheHostBuffer) {
    open(4, 3, plugInModeRGBColor, 3);
    uint8_t* hostBuffer = host.out.data();
    snapshotUndo(host.record);  // stroke starts
    paint(77);                  // the stroke
    swapUndo(host.record);      // Z: back to before the stroke
    swapUndo(host.record);      // Z: redo
    swapUndo(host.record);      // Z: before again
    EXPECT_EQ(shown(1, 1, 0), host.documentAt(1, 1, 0));
    releaseUndo(host.record);
    EXPECT_EQ(static_cast<void*>(host.record.outData), hostBuffer);
    EXPECT_EQ(host.outAt(1, 1, 0), host.documentAt(1, 1, 0));
    EXPECT_EQ(gPlugin.undoBuffer, nullptr);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

TEST_F(WorkImage, EvenNumberOfExchangesKeepsTheStroke) {
    open(4, 3, plugInModeRGBColor, 3);
    snapshotUndo(host.record);
    paint(77);
    swapUndo(host.record);
    swapUndo(host.record);
    releaseUndo(host.record);
    EXPECT_EQ(static_cast<void*>(host.record.outData), host.out.data());
    EXPECT_TRUE(resultIs(77, 3));
}

TEST_F(WorkImage, RevertThenZBringsBackTheImageBeforeTheLastStroke) {
    open(4, 3, plugInModeGrayScale, 1);
    snapshotUndo(host.record);
    paint(40);  // first stroke
    snapshotUndo(host.record);
    paint(50);  // second stroke
    resetResult(host.record);  // Revert (after its question)
    swapUndo(host.record);
    EXPECT_EQ(shown(2, 2, 0), 40);
    // Painting continues on the exchanged buffer: snapshots copy whatever is shown.
    snapshotUndo(host.record);
    swapUndo(host.record);
    EXPECT_EQ(shown(2, 2, 0), 40);
}

TEST_F(WorkImage, NoMemoryForUndoSaysSoAndTheFilterWorksWithoutIt) {
    host.setUp(4, 3, plugInModeRGBColor, 3);
    gPlugin.record = &host.record;
    gFake.failAllocationNumber = 0;
    ASSERT_TRUE(openWorkSession());
    ASSERT_EQ(gFake.messages.size(), 1u);
    EXPECT_EQ(gFake.messages[0].owner, 0);
    EXPECT_EQ(gFake.messages[0].caption, "VORLA Kestrix");
    EXPECT_EQ(gFake.messages[0].kind, MessageKind::stop);
    EXPECT_EQ(gFake.messages[0].text, gFake.strings[17007]);
    void* before = host.record.outData;
    swapUndo(host.record);
    snapshotUndo(host.record);
    releaseUndo(host.record);
    EXPECT_EQ(static_cast<void*>(host.record.outData), before);
}

// Records whose result rows are degenerate: no undo (and no block), so Z never swaps a
// buffer smaller than the image in as the output.
class UndoSize : public ::testing::Test {
protected:
    FilterRecord record{};
    std::vector<uint8_t> out = std::vector<uint8_t>(64, 0x5A);
    void SetUp() override {
        resetFake(kSpotcleanModule);
        record.filterRect = {0, 0, 3, 4};  // 4 x 3
        record.planes = 3;
        record.outLoPlane = 0;
        record.outHiPlane = 2;
        record.outData = out.data();
        gPlugin.record = &record;
    }
    void TearDown() override {
        if (gPlugin.undoOwn) freeFixed(gPlugin.undoOwn);
        gPlugin.undoOwn = gPlugin.undoBuffer = nullptr;
    }
    void expectNoUndo() {
        createUndo(record);
        EXPECT_EQ(gPlugin.undoBuffer, nullptr);
        EXPECT_EQ(gFake.liveBlocks, 0) << "no block, not even an empty one";
        EXPECT_TRUE(gFake.messages.empty()) << "memory is not what is missing";
        swapUndo(record);
        EXPECT_EQ(static_cast<void*>(record.outData), out.data()) << "Z leaves the host's buffer in place";
        snapshotUndo(record);
        releaseUndo(record);
        EXPECT_EQ(static_cast<void*>(record.outData), out.data());
    }
};

TEST_F(UndoSize, RowBytesOfZeroOrLessRunWithoutUndo) {
    for (int32_t rowBytes : {0, -12, -1}) {
        record.outRowBytes = rowBytes;
        expectNoUndo();
    }
}

TEST_F(UndoSize, RowsShorterThanTheirPixelsAreRefused) {
    record.outRowBytes = 4 * 3 - 1;
    expectNoUndo();
}

TEST_F(UndoSize, AnEmptyRectangleRunsWithoutUndo) {
    record.outRowBytes = 12;
    record.filterRect = {0, 0, 0, 4};
    expectNoUndo();
    record.filterRect = {0, 4, 3, 4};
    expectNoUndo();
}

TEST_F(UndoSize, RowsOfExactlyTheirPixelsHaveUndo) {
    record.outRowBytes = 12;
    createUndo(record);
    ASSERT_NE(gPlugin.undoBuffer, nullptr);
    EXPECT_EQ(gFake.liveBlocks, 1);
    swapUndo(record);
    EXPECT_EQ(static_cast<uint8_t*>(record.outData)[35], 0x5A) << "a copy of all 36 bytes";
    releaseUndo(record);
}

}  // namespace
