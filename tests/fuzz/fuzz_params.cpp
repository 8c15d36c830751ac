// A parameters handle of any bytes and size for each module: Parameters must keep every
// value within its range (or fall back to the defaults), and a stroke painted with what
// it kept must stay inside the image's buffers.
#include <cstring>

#include "framework/host/entry.h"
#include "framework/tablet/packet_filter.h"
#include "tests/fuzz/fuzz_canvas.h"
#include "tests/fuzz/fuzz_modules.h"
#include "tests/native/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput f{data, size};
    const ModuleInfo& module = *kFuzzModules[f.below(kFuzzModuleCount)];
    resetFake(module);
    useFuzzTextures();
    const bool tagged = f.u8() & 1;
    const size_t bytes = f.below(int(module.paramsSize) + 9);
    // The host's own handle: a block of exactly `bytes`, so a read or write past its
    // end is seen.
    Handle handle = newHostHandle(bytes);
    FUZZ_CHECK(handle != nullptr);
    for (size_t i = 0; i < bytes; ++i) static_cast<uint8_t*>(handle->data)[i] = f.u8();
    if (!tagged) handle->tag = 0;

    FuzzCanvas canvas;
    canvas.setUp(f);
    canvas.record.parameters = handle;
    int16_t result = 0;
    pluginMain(filterSelectorParameters, &canvas.record, &result);
    FUZZ_CHECK(result == noErr);
    checkParamsInRange(module);

    // Samples as the pen builds them from these parameters.
    PacketContext c{};
    c.geometry.zoom = 1.0f;
    c.geometry.outRect = c.geometry.client = c.geometry.imageFrame = Box{0, 0, canvas.width, canvas.height};
    c.ranges.pressureMax = 1023;
    c.ranges.wheelMax = 1023;
    const int samples = f.below(12);
    for (int i = 0; i < samples; ++i) {
        Packet p{};
        p.pkNormalPressure = f.below(4) * 341;
        p.pkTangentPressure = f.below(4) * 341;
        p.orAltitude = (f.u8() & 1) ? -450 : 450;
        c.clientX = f.below(canvas.width);
        c.clientY = f.below(canvas.height);
        alignas(8) uint8_t record[kMaxSampleBytes] = {};
        buildRecord(p, c, module, reinterpret_cast<TabletSample*>(record));  // the module's own rule
        TabletSample s;
        std::memcpy(&s, record, sizeof s);
        if (f.u8() % 5 == 0) s.pressure = kEndOfStroke;
        canvas.step(module, s);
    }
    canvas.finish();
    gPlugin.record = &canvas.record;
    pluginMain(filterSelectorFinish, &canvas.record, &result);
    FUZZ_CHECK(gFake.liveBlocks == 0);
    freeFakeHandles();
    return 0;
}
