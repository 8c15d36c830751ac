// The stroke step of each module with its dab operations over small images of every
// kind, from any sequence of samples: positions far outside, sizes and amounts out of
// range, pressures above the maximum, end-of-stroke markers anywhere. Parameters come
// from the input too, through the clamp every module applies.
#include "tests/fuzz/fuzz_canvas.h"
#include "tests/fuzz/fuzz_modules.h"
#include "tests/native/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput f{data, size};
    const ModuleInfo& module = *kFuzzModules[f.below(kFuzzModuleCount)];
    resetFake(module);
    useFuzzTextures();
    auto* params = static_cast<uint8_t*>(module.params);
    for (uint32_t i = 0; i < module.paramsSize; ++i) params[i] = f.u8();
    clampParams(module);
    FuzzCanvas canvas;
    canvas.setUp(f);
    FUZZ_CHECK(module.hooks->initBuffers());
    const int samples = f.below(24);
    for (int i = 0; i < samples; ++i) canvas.step(module, fuzzSample(f, canvas.width, canvas.height));
    canvas.finish();
    module.hooks->freeBuffers();
    canvas.checkProtectedPixels(movesTransparency(module));
    FUZZ_CHECK(gFake.liveBlocks == 0);
    return 0;
}
