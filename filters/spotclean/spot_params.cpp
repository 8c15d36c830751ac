#include "filters/spotclean/spot_params.h"

#include <cstddef>

#include "filters/spotclean/spot_dabs.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/tablet/packet_filter.h"
#include "framework/host/image_access.h"
#include "framework/host/settings.h"

SpotParams gSpotParams;
uint8_t* gSpotBlocks[kSpotBlocks];

namespace {

void setDefaults() {
    gSpotParams.brushSize = 25;
    gSpotParams.amount = 2;
    gSpotParams.sizeSource = kSourcePressure;
    gSpotParams.amountSource = kSourcePressure;
    gSpotParams.buildup = 1;
}

void freeBuffers() {
    for (uint8_t*& block : gSpotBlocks) {
        if (block) freeFixed(block);
        block = nullptr;
    }
}

bool initBuffers() {
    for (uint8_t*& block : gSpotBlocks) {
        block = static_cast<uint8_t*>(allocFixed(kSpotBlockBytes));
        if (!block) return false;
    }
    return true;
}

const SettingKey kKeys[] = {
    {10008, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    {10009, nullptr, int16_t(offsetof(SpotParams, sizeSource)), 4, true, 0, 2},
    {10010, nullptr, int16_t(offsetof(SpotParams, amountSource)), 4, true, 0, 2},
    {10011, nullptr, int16_t(offsetof(SpotParams, brushSize)), 2, true, 1, 99},
    {10012, nullptr, int16_t(offsetof(SpotParams, amount)), 2, true, 1, 15},
    {10013, nullptr, int16_t(offsetof(SpotParams, buildup)), 1, false, 0, 1},
};

const SettingsLayout kSettings = {
    "Kestrix.ini", 10001, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]),
    10002,         nullptr, 10003, nullptr,
};

const SliderBinding kSliders[] = {
    {1006, 12, int16_t(offsetof(SpotParams, brushSize)), 1, 99},
    {1005, 3, int16_t(offsetof(SpotParams, amount)), 1, 15},
};
const SourceBinding kSources[] = {
    {1002, kSourceWheel, 3, int16_t(offsetof(SpotParams, sizeSource))},
    {1007, kSourceWheel, 3, int16_t(offsetof(SpotParams, amountSource))},
};
const CheckBinding kChecks[] = {{1001, int16_t(offsetof(SpotParams, buildup))}};

const DialogControls kDialog = {
    5, kSliders, 2, kSources, 2, kChecks, 1, setDefaults,
};

const SampleFields kSample = {
    int16_t(offsetof(SpotParams, brushSize)), int16_t(offsetof(SpotParams, sizeSource)),
    int16_t(offsetof(SpotParams, amount)), int16_t(offsetof(SpotParams, amountSource)), true,
};

const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, finalApplyTransparency,
    spotCapDab, spotStepDab, spotRestoreDab,
};

}  // namespace

const ModuleInfo kSpotcleanModule = {
    "spotclean", &kHooks, &gSpotParams, sizeof(SpotParams), &kSettings, "Kestrix Warper %x",
    &kDialog,
    &kSample,
    false,
};
