// Pen packets through the filter: which become samples, and what the samples hold.
#include <gtest/gtest.h>

#include <vector>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "framework/host/module.h"
#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/packet_filter.h"
#include "framework/tablet/sample_queue.h"
#include "tests/native/fake_platform.h"

namespace {

struct Sink {
    std::vector<TabletSample> samples;
    bool full = false;  // no memory for samples
};
bool collect(void* c, const TabletSample* record, uint32_t) {
    const TabletSample& s = *record;
    auto* sink = static_cast<Sink*>(c);
    if (sink->full) return false;
    sink->samples.push_back(s);
    return true;
}

class Packets : public ::testing::Test {
protected:
    PacketFilterState state{};
    Sink sink;
    PacketContext context{};

    void SetUp() override {
        resetFake(kSpotcleanModule);
        kSpotcleanModule.hooks->setDefaults();
        context.painting = true;
        context.hookInstalled = true;
        // A 200 x 100 image centred at zoom 2 in a 400 x 300 preview: frame (0,50)-(400,250).
        context.geometry = PreviewGeometry{2.0f, 0, 0, {0, 0, 400, 300}, {}, {0, 0, 200, 100}};
        context.geometry.imageFrame = computeImageFrame(context.geometry.client, 200, 100, 2.0f);
        context.cursorClass = 0x0802;
        context.ranges = DeviceRanges{1000, 500, 0, 3600, -900, 900};
    }
    void packet(int cx, int cy, uint32_t pressure, uint32_t buttons = 1, int altitude = 600,
                uint32_t wheel = 0, const ModuleInfo& module = kSpotcleanModule) {
        Packet p{0, buttons, 0, 0, pressure, wheel, 0, altitude, 0};
        context.clientX = cx;
        context.clientY = cy;
        handlePacket(state, p, context, module, collect, &sink);
    }
};

TEST_F(Packets, EverySecondPacketOverTheImageBecomesASample) {
    for (int i = 0; i < 6; ++i) packet(100 + i, 100, 500);
    ASSERT_EQ(sink.samples.size(), 3u);
    EXPECT_EQ(sink.samples[0].x, 50);  // client 100 at zoom 2
    EXPECT_EQ(sink.samples[0].y, 25);  // (100 - 50) / 2
    EXPECT_EQ(sink.samples[1].x, 51);
    EXPECT_TRUE(state.penDown);
}

TEST_F(Packets, PressingPacketsNeedTheBrushDragButHoveringOnesPass) {
    context.painting = false;
    packet(100, 100, 500);
    packet(101, 100, 500);
    EXPECT_TRUE(sink.samples.empty());
    packet(100, 100, 0, 0);
    packet(101, 100, 0, 0);
    packet(102, 100, 0, 0);
    ASSERT_EQ(sink.samples.size(), 2u);
    EXPECT_EQ(sink.samples[0].pressure, 0);
}

TEST_F(Packets, NothingWhileTheDialogIsInactive) {
    context.hookInstalled = false;
    packet(100, 100, 0, 0);
    packet(100, 100, 0, 0);
    EXPECT_TRUE(sink.samples.empty());
}

TEST_F(Packets, LeavingTheImagePostsOneLiftedSampleAtTheFirstPacketOutside) {
    packet(100, 100, 500);  // inside: sample
    packet(100, 40, 500);   // outside (above the frame): leaving sample
    packet(100, 30, 500);   // still outside: nothing
    ASSERT_EQ(sink.samples.size(), 2u);
    EXPECT_EQ(sink.samples[1].pressure, 0);
    EXPECT_EQ(sink.samples[1].y, -5);
    EXPECT_FALSE(state.insideView);
}

TEST_F(Packets, ALeavingSampleThatCannotBeAllocatedIsTriedAgain) {
    packet(100, 100, 500);
    sink.full = true;
    packet(100, 40, 500);
    EXPECT_TRUE(state.insideView);
    sink.full = false;
    packet(100, 30, 500);
    ASSERT_EQ(sink.samples.size(), 2u);
    EXPECT_EQ(sink.samples[1].y, -10);
}

TEST_F(Packets, TheFrameEdgesCountAsInside) {
    packet(400, 250, 500);
    EXPECT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].x, 200);
}

TEST_F(Packets, PressureAndWheelScaleSizeAndAmountWithRounding) {
    gSpotParams.brushSize = 25;
    gSpotParams.amount = 15;
    gSpotParams.sizeSource = kSourcePressure;
    gSpotParams.amountSource = kSourceWheel;
    packet(100, 100, 500, 1, 600, 250);
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].size, 13);         // 25 * 500 / 1000 = 12.5, rounded away
    EXPECT_EQ(sink.samples[0].amount, 2 * 8 + 1);  // 15 * 250 / 500 = 7.5 -> 8, odd side
    EXPECT_EQ(sink.samples[0].pressure, 500);
    EXPECT_EQ(sink.samples[0].inverted, 0);
}

TEST_F(Packets, FixedSourcesKeepTheSliderAndTinySizesBecomeOne) {
    gSpotParams.brushSize = 40;
    gSpotParams.sizeSource = kSourceFixed;
    gSpotParams.amount = 3;
    gSpotParams.amountSource = kSourcePressure;
    packet(100, 100, 1);  // amount 3 * 1 / 1000 rounds to 0
    EXPECT_EQ(sink.samples[0].size, 40);
    EXPECT_EQ(sink.samples[0].amount, 1);
    gSpotParams.sizeSource = kSourcePressure;
    packet(101, 100, 1);
    packet(102, 100, 1);
    EXPECT_EQ(sink.samples[1].size, 1);
}

TEST_F(Packets, TheEraserFollowsTipPressureAndIsNotDoubled) {
    gSpotParams.amount = 10;
    gSpotParams.amountSource = kSourceWheel;  // no wheel on the eraser end: pressure
    packet(100, 100, 500, 1, -600, 999);
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].inverted, 1);
    EXPECT_EQ(sink.samples[0].amount, 5);
}

TEST_F(Packets, APuckPaintsAtTenOnlyWithAButtonHeld) {
    context.cursorClass = kCursorPuck;
    gSpotParams.sizeSource = kSourceFixed;
    gSpotParams.amountSource = kSourceFixed;
    packet(100, 100, 0, 2);
    EXPECT_EQ(sink.samples[0].pressure, 10);
    EXPECT_TRUE(state.penDown);
    packet(101, 100, 700, 0);
    packet(102, 100, 700, 0);
    EXPECT_EQ(sink.samples[1].pressure, 0);
    EXPECT_FALSE(state.penDown);
}

TEST_F(Packets, BothOnTheWheelTheSideButtonTogglesHoverPainting) {
    context.cursorClass = kCursorAirbrush;
    gSpotParams.sizeSource = kSourceWheel;
    gSpotParams.amountSource = kSourceWheel;
    packet(100, 100, 0, 0, 600, 250);  // hovering: nothing painted
    EXPECT_EQ(sink.samples.back().pressure, 0);
    packet(101, 100, 0, 2, 600, 250);  // side button clicked: latch on
    packet(102, 100, 0, 0, 600, 250);
    EXPECT_EQ(sink.samples.back().pressure, 10);
    EXPECT_TRUE(state.penDown);
    packet(103, 100, 0, 2, 600, 250);  // second click: latch off
    packet(104, 100, 0, 0, 600, 250);
    EXPECT_EQ(sink.samples.back().pressure, 0);
}

TEST_F(Packets, AHeldSideButtonTogglesOnlyOnce) {
    context.cursorClass = kCursorAirbrush;
    packet(100, 100, 0, 2);
    packet(101, 100, 0, 2);
    packet(102, 100, 0, 2);
    EXPECT_TRUE(state.sideButtonLatch);
}

TEST_F(Packets, ZeroMaximaGiveTheFullSliderValue) {
    context.ranges.pressureMax = 0;
    context.ranges.wheelMax = -5;
    gSpotParams.brushSize = 30;
    gSpotParams.amount = 7;
    gSpotParams.sizeSource = kSourcePressure;
    gSpotParams.amountSource = kSourceWheel;
    packet(100, 100, 400, 1, 600, 100);
    EXPECT_EQ(sink.samples[0].size, 30);
    EXPECT_EQ(sink.samples[0].amount, 15);
}

// Devices counting pressure past 32767: ranges in 32 bits, readings scaled into the
// sample's range, which never reaches the end-of-stroke value or a negative pressure.
TEST_F(Packets, PressureRangesPast32767ScaleSizeAndSamplePressure) {
    context.ranges.pressureMax = 65535;
    gSpotParams.brushSize = 25;
    gSpotParams.sizeSource = kSourcePressure;
    gSpotParams.amountSource = kSourceFixed;
    packet(100, 100, 32768);
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].size, 13) << "25 * 32768 / 65535, not the full 25";
    EXPECT_EQ(sink.samples[0].pressure, 16384);
    packet(101, 100, 65535);
    packet(102, 100, 65535);
    EXPECT_EQ(sink.samples[1].size, 25);
    EXPECT_EQ(sink.samples[1].pressure, kSamplePressureLimit) << "full pressure, not 0xFFFF";
    packet(103, 100, 1);
    packet(104, 100, 1);
    EXPECT_EQ(sink.samples[2].pressure, 1) << "a touch stays a touch";
    EXPECT_EQ(sink.samples[2].size, 1);
}

TEST_F(Packets, AWheelPast32767ScalesTheAmount) {
    context.ranges.wheelMax = 100000;
    gSpotParams.amount = 15;
    gSpotParams.amountSource = kSourceWheel;
    gSpotParams.sizeSource = kSourceFixed;
    packet(100, 100, 500, 1, 600, 50000);
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].amount, 2 * 8 + 1);  // 15 * 50000 / 100000 = 7.5 -> 8
}

TEST_F(Packets, ReadingsPastTheDevicesOwnMaximumCountAsTheMaximum) {
    gSpotParams.brushSize = 25;
    gSpotParams.sizeSource = kSourcePressure;
    packet(100, 100, 40000);  // the device says 1000 at most
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].size, 25);
    EXPECT_EQ(sink.samples[0].pressure, kSamplePressureLimit);
}

TEST(SamplePressure, FitsTheSampleWhateverTheDevice) {
    DeviceRanges small{1023, 0, 0, 0, 0, 0}, large{65535, 0, 0, 0, 0, 0}, huge{0x7FFFFFFF, 0, 0, 0, 0, 0};
    EXPECT_EQ(samplePressure(600, small), 600) << "readings of common tablets pass unchanged";
    EXPECT_EQ(samplePressureMax(small), 1023);
    EXPECT_EQ(samplePressureMax(large), kSamplePressureLimit);
    EXPECT_EQ(samplePressureMax(DeviceRanges{}), 0);
    for (const DeviceRanges& r : {small, large, huge})
        for (uint32_t reading : {0u, 1u, 2u, 1000u, 32767u, 32768u, 65534u, 65535u, 65536u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            const uint16_t p = samplePressure(reading, r);
            EXPECT_LE(p, kSamplePressureLimit) << reading;
            EXPECT_EQ(p == 0, reading == 0) << reading;
        }
    EXPECT_EQ(samplePressure(0x7FFFFFFF, huge), kSamplePressureLimit);
    EXPECT_EQ(samplePressure(0x40000000, huge), 16384);
}

TEST_F(Packets, DustcleanScalesOnlyItsSize) {
    resetFake(kDustcleanModule);
    kDustcleanModule.hooks->setDefaults();
    packet(100, 100, 400, 1, 600, 0, kDustcleanModule);
    ASSERT_EQ(sink.samples.size(), 1u);
    EXPECT_EQ(sink.samples[0].size, 10);
    EXPECT_EQ(sink.samples[0].amount, 0);
}

// Sample blocks and the dialog's queue: a block the queue refuses (a full message
// queue) is freed by the sender, as nobody else ever sees it.
struct Queue {
    bool refuse = false;
    int offered = 0;
    std::vector<TabletSample*> taken;
};
bool toQueue(void* c, TabletSample* block) {
    auto* q = static_cast<Queue*>(c);
    ++q->offered;
    if (q->refuse) return false;
    q->taken.push_back(block);
    return true;
}
bool viaQueue(void* c, const TabletSample* record, uint32_t bytes) {
    return queueRecord(SampleQueue{c, toQueue}, record, bytes);
}

TEST(SampleQueueing, ARefusedBlockIsFreed) {
    resetFake(kSpotcleanModule);
    Queue q;
    q.refuse = true;
    TabletSample s{3, 4, 5, 6, 700, 0};
    EXPECT_FALSE(queueSample(SampleQueue{&q, toQueue}, s));
    EXPECT_EQ(q.offered, 1);
    EXPECT_EQ(gFake.liveBlocks, 0);
}

TEST(SampleQueueing, AnAcceptedBlockIsTheReceiversToFree) {
    resetFake(kSpotcleanModule);
    Queue q;
    TabletSample s{3, 4, 5, 6, 700, 1};
    EXPECT_TRUE(queueSample(SampleQueue{&q, toQueue}, s));
    ASSERT_EQ(q.taken.size(), 1u);
    EXPECT_EQ(gFake.liveBlocks, 1);
    EXPECT_EQ(q.taken[0]->x, 3);
    EXPECT_EQ(q.taken[0]->pressure, 700);
    EXPECT_EQ(q.taken[0]->inverted, 1);
    freeFixed(q.taken[0]);
}

TEST(SampleQueueing, NoBlockNothingOffered) {
    resetFake(kSpotcleanModule);
    gFake.failAllocationNumber = 0;
    Queue q;
    EXPECT_FALSE(queueSample(SampleQueue{&q, toQueue}, TabletSample{}));
    EXPECT_EQ(q.offered, 0);
}

TEST_F(Packets, AFullQueueLeaksNoSampleAndTheLeavingSampleIsTriedAgain) {
    Queue q;
    q.refuse = true;
    auto send = [&](int cx, int cy, uint32_t pressure) {
        Packet p{0, 1, 0, 0, pressure, 0, 0, 600, 0};
        context.clientX = cx;
        context.clientY = cy;
        handlePacket(state, p, context, kSpotcleanModule, viaQueue, &q);
    };
    send(100, 100, 500);  // over the image, refused
    EXPECT_EQ(q.offered, 1);
    EXPECT_FALSE(state.insideView);
    q.refuse = false;
    send(101, 100, 500);
    send(102, 100, 500);  // this one is taken
    EXPECT_TRUE(state.insideView);
    q.refuse = true;
    send(100, 10, 500);  // leaving: refused, so tried again at the next packet outside
    EXPECT_TRUE(state.insideView);
    q.refuse = false;
    send(100, 11, 500);
    EXPECT_FALSE(state.insideView);
    ASSERT_EQ(q.taken.size(), 2u);
    EXPECT_EQ(q.taken[1]->pressure, 0);
    EXPECT_EQ(gFake.liveBlocks, 2) << "only the two taken blocks are alive";
    for (TabletSample* b : q.taken) freeFixed(b);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    EXPECT_EQ(mulDiv(25, 500, 1000), 13);
    EXPECT_EQ(mulDiv(1, 1, 2), 1);
    EXPECT_EQ(mulDiv(-1, 1, 2), -1);
    EXPECT_EQ(mulDiv(3, 1, 3), 1);
    EXPECT_EQ(mulDiv(7, 0, 100), 0);
    EXPECT_EQ(mulDiv(5, 5, 0), -1);
    EXPECT_EQ(mulDiv(2000000000, 3, 4), 1500000000);  // 64-bit product
}

}  // namespace
