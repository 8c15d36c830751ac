// The modules the fuzzers drive, and the ranges their settings tables promise.
#pragma once
#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "filters/warper/warp_module.h"
#include "framework/host/module.h"
#include "framework/host/settings.h"
#include "tests/fuzz/fuzz_input.h"

inline const ModuleInfo* const kFuzzModules[] = {&kSpotcleanModule, &kDustcleanModule, &kWarperModule};
constexpr int kFuzzModuleCount = int(sizeof kFuzzModules / sizeof kFuzzModules[0]);

// warper moves the transparency plane with the colour and writes wherever the selection
// lets it; every other module keeps the transparency rule.
inline bool movesTransparency(const ModuleInfo& module) { return &module == &kWarperModule; }

// The largest sample size a module's builder makes from its largest brush.
inline int32_t largestSampleSize(const ModuleInfo& module, int32_t largestBrush) {
    return largestBrush + (&module == &kWarperModule ? kWarpSizeBias : 0);
}

// Every parameter the settings table describes lies within its range.
inline void checkParamsInRange(const ModuleInfo& module) {
    const SettingsLayout& layout = *module.settings;
    for (int i = 0; i < layout.keyCount; ++i) {
        const SettingKey& key = layout.keys[i];
        if (key.offset == kCurrentToolField) continue;
        const int32_t v = readField(module, key);
        FUZZ_CHECK(v >= key.minimum && v <= key.maximum);
    }
}

// The range of the parameter stored at `offset`, from the settings table.
inline bool paramRange(const ModuleInfo& module, int offset, int32_t& lo, int32_t& hi) {
    const SettingsLayout& layout = *module.settings;
    for (int i = 0; i < layout.keyCount; ++i)
        if (layout.keys[i].offset == offset) {
            lo = layout.keys[i].minimum;
            hi = layout.keys[i].maximum;
            return true;
        }
    return false;
}
