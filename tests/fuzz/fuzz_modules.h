// The modules the fuzzers drive, and the ranges their settings tables promise.
#pragma once
#include <string>

#include "filters/gilder/gilder_module.h"
#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/spot_params.h"
#include "filters/texture_common/texture_source.h"
#include "filters/texturer/texturer_module.h"
#include "filters/warper/warp_module.h"
#include "framework/host/module.h"
#include "framework/host/settings.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/native/fake_platform.h"

inline const ModuleInfo* const kFuzzModules[] = {&kSpotcleanModule, &kDustcleanModule, &kWarperModule,
                                                 &kTexturerModule, &kGilderModule};
constexpr int kFuzzModuleCount = int(sizeof kFuzzModules / sizeof kFuzzModules[0]);

// The texture effects read their bitmaps from the repository's files.
inline void useFuzzTextures() {
    static const bool once = (useTextureFiles(KX_SOURCE_DIR), true);
    (void)once;
}

// warper moves the transparency plane with the colour and writes wherever the selection
// lets it; every other module keeps the transparency rule.
inline bool movesTransparency(const ModuleInfo& module) { return &module == &kWarperModule; }

// The largest sample size a module's builder makes from its largest brush.
inline int32_t largestSampleSize(const ModuleInfo& module, int32_t largestBrush) {
    return largestBrush + (&module == &kWarperModule ? kWarpSizeBias : 0);
}

// The fake's string table is spotclean's: a key of another module whose id it lacks gets
// a name of its own, so that no two keys share one.
inline void nameEveryKey(const ModuleInfo& module) {
    const SettingsLayout& layout = *module.settings;
    for (int i = 0; i < layout.keyCount; ++i) {
        const int id = layout.keys[i].stringId;
        if (id && !gFake.strings.count(id)) gFake.strings[id] = "Key " + std::to_string(id);
    }
}

// Every parameter the settings table describes lies within its range (or is the value
// a number outside it reads as).
inline void checkParamsInRange(const ModuleInfo& module) {
    const SettingsLayout& layout = *module.settings;
    for (int i = 0; i < layout.keyCount; ++i) {
        const SettingKey& key = layout.keys[i];
        if (key.offset == kCurrentToolField) continue;
        const int32_t v = readField(module, key);
        FUZZ_CHECK((v >= key.minimum && v <= key.maximum) || (key.outside != kClampToRange && v == key.outside));
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
