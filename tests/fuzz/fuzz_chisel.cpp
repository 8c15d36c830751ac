// chisel's stroke rule over small images of every kind, from any sequence of its sample
// records (positions far outside, any width, pressure and Shift, repeated screen
// positions, end-of-stroke marks anywhere), with light and intensity changes, Apply and
// Revert between them, ended as Done ends it. Parameters come from the input through
// the clamp the module applies at Start.
#include <cstring>
#include <initializer_list>

#include "filters/chisel/chisel_module.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/host/image_access.h"
#include "tests/fuzz/fuzz_canvas.h"
#include "tests/fuzz/fuzz_modules.h"
#include "tests/native/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput f{data, size};
    const ModuleInfo& module = kChiselModule;
    resetFake(module);
    module.hooks->setDefaults();
    for (int16_t* field : {&gChiselParams.grooveSize, &gChiselParams.tipSize, &gChiselParams.tipDepth,
                           &gChiselParams.tipSharpness, &gChiselParams.intensity})
        *field = int16_t(f.u16());
    gChiselParams.lightDirection = f.i32();
    gChiselParams.pressureGroove = f.u8();
    FuzzCanvas canvas;
    canvas.setUp(f);
    FUZZ_CHECK(module.hooks->initBuffers());
    FUZZ_CHECK(startEffectBuffers());
    checkParamsInRange(module);
    openedWork();
    resetModuleStroke(canvas.state, module);
    const int events = f.below(40);
    for (int i = 0; i < events; ++i) {
        const uint8_t what = f.u8();
        if (what < 8) {
            FUZZ_CHECK(applyWork());
        } else if (what < 16) {
            revertWork();
        } else if (what < 24) {
            gChiselParams.lightDirection = what & 7;
            gChiselParams.intensity = int16_t(1 + f.below(10));
            refreshShading();
        } else {
            auto* r = static_cast<ChiselRecord*>(allocFixed(sizeof(ChiselRecord)));
            FUZZ_CHECK(r != nullptr);
            const TabletSample s = fuzzSample(f, canvas.width, canvas.height);
            std::memcpy(&r->base, &s, sizeof s);
            r->screenX = (what & 32) ? int16_t(f.u16()) : int16_t(s.x * 2);
            r->screenY = (what & 32) ? int16_t(f.u16()) : int16_t(s.y * 2);
            r->shift = what & 64 ? 1 : 0;
            runStrokeStep(canvas.state, &r->base, module, canvas.surface);
        }
    }
    resetModuleStroke(canvas.state, module);
    keepWork();
    freeEffectBuffers();
    module.hooks->freeBuffers();
    canvas.checkProtectedPixels();
    canvas.finish();
    FUZZ_CHECK(gFake.liveBlocks == 0);
    return 0;
}
