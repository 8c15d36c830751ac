// The tablet context we ask for, the queue we negotiate, and the tool in proximity.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/tablet_context.h"
#include "framework/tablet/wintab_api.h"
#include "tests/native/fake_platform.h"

namespace {

struct FakeDriver {
    bool refuseOpen = false;
    std::set<int> refused;
    std::vector<int> asked;
    int queue = 8;
    LOGCONTEXTA opened{};
    void* window = nullptr;
};
FakeDriver gDriver;
int gHandle;

HCTX KX_WINAPI fakeOpen(void* window, LOGCONTEXTA* c, int) {
    if (gDriver.refuseOpen) return nullptr;
    gDriver.opened = *c;
    gDriver.window = window;
    return &gHandle;
}
int KX_WINAPI fakeQueueSet(HCTX, int n) {
    gDriver.asked.push_back(n);
    if (gDriver.refused.count(n)) return 0;
    gDriver.queue = n;
    return 1;
}
int KX_WINAPI fakeQueueGet(HCTX) { return gDriver.queue; }

WintabApi api() {
    WintabApi a{};
    a.open = fakeOpen;
    a.queueSizeSet = fakeQueueSet;
    a.queueSizeGet = fakeQueueGet;
    return a;
}

class TabletContext : public ::testing::Test {
protected:
    void SetUp() override { gDriver = FakeDriver{}; }
    LOGCONTEXTA context() {
        LOGCONTEXTA def{};
        std::strcpy(def.lcName, "System");
        def.lcOptions = CXO_PEN;
        def.lcBtnDnMask = 0x5;
        def.lcBtnUpMask = 0x1;
        def.lcPktData = 0xFFFF;
        def.lcPktMode = 0x80;
        def.lcInExtX = 12345;
        return buildTabletContext(def, "Kestrix Warper 10000000", {-1280, 0, 2560, 1024});
    }
};

TEST_F(TabletContext, BuiltFromTheSystemDefault) {
    LOGCONTEXTA c = context();
    EXPECT_STREQ(c.lcName, "Kestrix Warper 10000000");
    EXPECT_EQ(c.lcOptions, CXO_PEN | 13u);
    EXPECT_EQ(c.lcPktData, 0x1DE0u);
    EXPECT_EQ(c.lcMoveMask, 0x1DE0u);
    EXPECT_EQ(c.lcPktMode, 0u);
    EXPECT_EQ(c.lcBtnUpMask, 0x5u) << "button releases reported for every pressable button";
    EXPECT_EQ(c.lcInExtX, 12345) << "input extents stay the driver's";
    EXPECT_EQ(c.lcOutOrgX, -1280);
    EXPECT_EQ(c.lcOutOrgY, 0);
    EXPECT_EQ(c.lcOutExtX, 2560);
    EXPECT_EQ(c.lcOutExtY, -1024) << "y grows downwards";
}

TEST_F(TabletContext, QueueStepsDownUntilTheDriverAccepts) {
    gDriver.refused = {40, 35, 30, 25, 20, 15, 10};
    LOGCONTEXTA c = context();
    int window;
    EXPECT_NE(openTabletContext(api(), &window, c), nullptr);
    EXPECT_EQ(gDriver.window, &window);
    EXPECT_EQ(gDriver.asked, (std::vector<int>{40, 35, 30, 25, 20, 15, 10, 5}));
    EXPECT_EQ(gDriver.queue, 5);
}

TEST_F(TabletContext, FirstAcceptedSizeEndsTheNegotiation) {
    LOGCONTEXTA c = context();
    openTabletContext(api(), nullptr, c);
    EXPECT_EQ(gDriver.asked, std::vector<int>{40});
    EXPECT_EQ(gDriver.queue, 40);
}

TEST_F(TabletContext, AllSizesRefusedKeepsTheDefaultQueue) {
    for (int n = 5; n <= 40; n += 5) gDriver.refused.insert(n);
    LOGCONTEXTA c = context();
    EXPECT_NE(openTabletContext(api(), nullptr, c), nullptr);
    EXPECT_EQ(gDriver.asked.size(), 8u);
    EXPECT_EQ(gDriver.queue, 8);
}

TEST_F(TabletContext, OneSizeOnlyWhenAskedOnceAndTheGrantedSizeIsReported) {
    gDriver.refused = {40};
    gDriver.queue = 0;
    LOGCONTEXTA c = context();
    int granted = -1;
    EXPECT_NE(openTabletContext(api(), nullptr, c, 40, true, &granted), nullptr);
    EXPECT_EQ(gDriver.asked, std::vector<int>{40}) << "no smaller sizes";
    EXPECT_EQ(granted, 0) << "the driver's answer, for the module to judge";
    gDriver = FakeDriver{};
    c = context();
    EXPECT_NE(openTabletContext(api(), nullptr, c, 80, false, &granted), nullptr);
    EXPECT_EQ(gDriver.asked, std::vector<int>{80});
    EXPECT_EQ(granted, 80);
}

TEST_F(TabletContext, RefusedContextAsksNothingMore) {
    gDriver.refuseOpen = true;
    LOGCONTEXTA c = context();
    EXPECT_EQ(openTabletContext(api(), nullptr, c), nullptr);
    EXPECT_TRUE(gDriver.asked.empty());
}

TEST(CursorClass, MaskedTypeWithSixMeaningPuck) {
    EXPECT_EQ(classifyCursor(0x0802), 0x0802);       // pen
    EXPECT_EQ(classifyCursor(0x080A), 0x0802);       // eraser end: same class as the pen
    EXPECT_EQ(classifyCursor(0x0902), kCursorAirbrush);
    EXPECT_EQ(classifyCursor(0x0006), kCursorPuck);
    EXPECT_EQ(classifyCursor(0x0004), kCursorPuck);
    EXPECT_EQ(classifyCursor(0xF0902), kCursorAirbrush);  // bits outside the mask ignored
}

TEST(CursorSources, PuckFixesBothAndAPenAfterwardsChangesNothingBack) {
    resetFake(kSpotcleanModule);
    kSpotcleanModule.hooks->setDefaults();
    gSpotParams.amountSource = kSourceWheel;
    EXPECT_TRUE(adaptSources(kSpotcleanModule, kCursorPuck));
    EXPECT_EQ(gSpotParams.sizeSource, kSourceFixed);
    EXPECT_EQ(gSpotParams.amountSource, kSourceFixed);
    EXPECT_FALSE(sourcesFor(kCursorPuck).pressure);
    EXPECT_FALSE(sourcesFor(kCursorPuck).wheel);
    EXPECT_FALSE(adaptSources(kSpotcleanModule, 0x0802));
    EXPECT_EQ(gSpotParams.sizeSource, kSourceFixed);
    EXPECT_TRUE(sourcesFor(0x0802).pressure);
}

TEST(CursorSources, OnlyTheAirbrushKeepsTheWheel) {
    resetFake(kSpotcleanModule);
    gSpotParams.sizeSource = kSourceWheel;
    gSpotParams.amountSource = kSourceFixed;
    EXPECT_FALSE(adaptSources(kSpotcleanModule, kCursorAirbrush));
    EXPECT_EQ(gSpotParams.sizeSource, kSourceWheel);
    EXPECT_TRUE(sourcesFor(kCursorAirbrush).wheel);
    EXPECT_TRUE(adaptSources(kSpotcleanModule, 0x0802));
    EXPECT_EQ(gSpotParams.sizeSource, kSourcePressure);
    EXPECT_EQ(gSpotParams.amountSource, kSourceFixed);
}

TEST(CursorSources, DustcleanHasOnlyItsSizeSource) {
    resetFake(kDustcleanModule);
    kDustcleanModule.hooks->setDefaults();
    gDustParams.level = 77;
    EXPECT_TRUE(adaptSources(kDustcleanModule, kCursorPuck));
    EXPECT_EQ(gDustParams.sizeSource, kSourceFixed);
    EXPECT_EQ(gDustParams.level, 77) << "other fields untouched";
}

}  // namespace
