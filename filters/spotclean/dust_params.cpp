#include "filters/spotclean/dust_params.h"

#include <cstddef>

#include "filters/spotclean/dust_dabs.h"
#include "filters/spotclean/spot_params.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/tablet/packet_filter.h"
#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/settings.h"

DustParams gDustParams;
uint8_t* gDustBlocks[kDustBlocks];
uint8_t* gDustScratch;

namespace {

void setDefaults() {
    gDustParams.brushSize = 25;
    gDustParams.radius = 2;
    gDustParams.level = 50;
    gDustParams.sizeSource = kSourcePressure;
    gDustParams.buildup = 0;
}

// Alt+Cancel resets to a gentler radius than a first run, and picks the brush again.
void resetParams() {
    setDefaults();
    gDustParams.radius = 1;
    gPlugin.currentTool = kToolBrush;
}

void freeBuffers() {
    for (uint8_t*& block : gDustBlocks) {
        if (block) freeFixed(block);
        block = nullptr;
    }
    if (gDustScratch) freeFixed(gDustScratch);
    gDustScratch = nullptr;
}

bool initBuffers() {
    for (uint8_t*& block : gDustBlocks) {
        block = static_cast<uint8_t*>(allocFixed(kDustBlockBytes));
        if (!block) return false;
    }
    gDustScratch = static_cast<uint8_t*>(allocFixed(kDustBlockBytes));
    return gDustScratch != nullptr;
}

// dustclean keeps its settings under fixed English names in the tablet driver's file.
const SettingKey kKeys[] = {
    {0, "Current Tool", kCurrentToolField, 4, true, 0, 2},
    {0, "Pressure Size", int16_t(offsetof(DustParams, sizeSource)), 4, true, 1, 2},
    {0, "Brush Size", int16_t(offsetof(DustParams, brushSize)), 2, true, 1, 99},
    {0, "Radius", int16_t(offsetof(DustParams, radius)), 2, true, 1, 16},
    {0, "Level", int16_t(offsetof(DustParams, level)), 2, true, 1, 255},
    {0, "Buildup", int16_t(offsetof(DustParams, buildup)), 1, false, 0, 1},
};

const SettingsLayout kSettings = {
    "vorla.ini", 0, "Dustclean", kKeys, int(sizeof kKeys / sizeof kKeys[0]),
    0,           "Window", 0,  "Maximized",
};

const SliderBinding kSliders[] = {
    {1006, 12, int16_t(offsetof(DustParams, brushSize)), 1, 99},
    {1005, 3, int16_t(offsetof(DustParams, radius)), 1, 16},
    {1007, 5, int16_t(offsetof(DustParams, level)), 1, 255},
};
const SourceBinding kSources[] = {
    {1002, kSourcePressure, 2, int16_t(offsetof(DustParams, sizeSource))},
};
const CheckBinding kChecks[] = {{1001, int16_t(offsetof(DustParams, buildup))}};

const DialogControls kDialog = {
    6, kSliders, 3, kSources, 1, kChecks, 1, resetParams,
};

const SampleFields kSample = {
    int16_t(offsetof(DustParams, brushSize)), int16_t(offsetof(DustParams, sizeSource)), -1, -1, false,
};

// Done copies the transparency plane from the source as spotclean does. No dab writes
// it (the eraser blends colour channels only), so the copy is a guard, not a repair.
const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, finalApplyTransparency,
    dustCapDab, dustStepDab, dustRestoreDab,
};

}  // namespace

const ModuleInfo kDustcleanModule = {
    "dustclean", &kHooks, &gDustParams, sizeof(DustParams), &kSettings, "Kestrix Warper %x",
    &kDialog,
    &kSample,
    true,
};
