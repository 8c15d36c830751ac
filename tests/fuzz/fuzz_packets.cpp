// The packet filter and the sample builder with any packet fields, device ranges
// (zero and negative maxima included), cursor types, views and parameters.
#include <vector>

#include "framework/tablet/cursor_rules.h"
#include "framework/tablet/packet_filter.h"
#include "tests/fuzz/fuzz_modules.h"
#include "tests/native/fake_platform.h"

namespace {

struct Collected {
    std::vector<TabletSample> samples;
    bool refuse;
};

bool collect(void* context, const TabletSample* record, uint32_t) {
    const TabletSample& s = *record;
    auto* c = static_cast<Collected*>(context);
    if (c->refuse) return false;
    c->samples.push_back(s);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput f{data, size};
    const ModuleInfo& module = *kFuzzModules[f.below(kFuzzModuleCount)];
    resetFake(module);
    auto* params = static_cast<uint8_t*>(module.params);
    for (uint32_t i = 0; i < module.paramsSize; ++i) params[i] = f.u8();
    clampParams(module);

    PacketContext c{};
    c.painting = f.u8() & 1;
    c.hookInstalled = f.u8() & 1;
    const int32_t cursors[] = {0, 1, kCursorPuck, kCursorAirbrush, 0x0802, -1};
    c.cursorClass = cursors[f.below(6)];
    c.ranges.pressureMax = decltype(c.ranges.pressureMax)(f.i32());
    c.ranges.wheelMax = decltype(c.ranges.wheelMax)(f.i32());
    c.ranges.azimuthMin = decltype(c.ranges.azimuthMin)(f.i32());
    c.ranges.azimuthMax = decltype(c.ranges.azimuthMax)(f.i32());
    c.ranges.altitudeMin = decltype(c.ranges.altitudeMin)(f.i32());
    c.ranges.altitudeMax = decltype(c.ranges.altitudeMax)(f.i32());
    const float zooms[] = {1.0f / 16, 0.25f, 1.0f, 4.0f, 16.0f};
    c.geometry.zoom = zooms[f.below(5)];
    c.geometry.hPos = int(f.u16());
    c.geometry.vPos = int(f.u16());
    c.geometry.outRect = Box{0, 0, 1 + f.below(250) * 120, 1 + f.below(250) * 120};
    c.geometry.client = Box{0, 0, 1 + int(f.u16() % 4000), 1 + int(f.u16() % 4000)};
    c.geometry.imageFrame = Box{int(f.u16() % 100), int(f.u16() % 100), int(f.u16()), int(f.u16())};

    int32_t sizeLo, sizeHi, amountLo = 0, amountHi = 0;
    FUZZ_CHECK(paramRange(module, module.sample->sizeOffset, sizeLo, sizeHi));
    if (module.sample->amountOffset >= 0) FUZZ_CHECK(paramRange(module, module.sample->amountOffset, amountLo, amountHi));

    PacketFilterState state{};
    Collected got{{}, false};
    const int packets = f.below(32);
    for (int i = 0; i < packets; ++i) {
        Packet p{};
        p.pkCursor = f.u32();
        p.pkButtons = f.u32();
        p.pkX = f.i32();
        p.pkY = f.i32();
        p.pkNormalPressure = f.u32();
        p.pkTangentPressure = f.u32();
        p.orAzimuth = f.i32();
        p.orAltitude = f.i32();
        p.orTwist = f.i32();
        c.clientX = int(int16_t(f.u16()));
        c.clientY = int(int16_t(f.u16()));
        got.refuse = (f.u8() & 7) == 0;
        handlePacket(state, p, c, module, collect, &got);
        const TabletSample direct = buildSample(p, c, module);
        // A sample's brush never exceeds the largest size the effect allows, however hard
        // the pen presses, and its amount stays within what the tip can use.
        FUZZ_CHECK(direct.size >= 1 && direct.size <= sizeHi);
        FUZZ_CHECK(direct.amount >= 0 && direct.amount <= 2 * amountHi + 1);
    }
    // The module's own builder may bias the size (warper's smallest block is 5 x 5).
    const int32_t largest = largestSampleSize(module, sizeHi);
    for (const TabletSample& s : got.samples) FUZZ_CHECK(s.size >= 1 && s.size <= largest);
    return 0;
}
