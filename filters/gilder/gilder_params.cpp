#include <cstddef>
#include <utility>

#include "filters/gilder/gilder_module.h"
#include "filters/texture_common/texture_source.h"
#include "filters/texture_common/texture_stroke.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "resources/common/art_ids.h"

GilderParams gGilderParams;

namespace {

struct GilderState {
    DecodedBitmap bitmaps[kGilderTextureCount];
    bool loaded;
    GreyTexture texture;
    int fromIndex, fromScale;  // what the texture was prepared from
    GildColours colours;       // of the segment being painted
};
GilderState gState;

void setDefaults() { gGilderParams = gilderDefaults(); }
bool initBuffers() { return true; }
void freeBuffers() { gilderRelease(); }

bool beginGild(const PaintView& v) {
    // Painting always uses the texture of the parameters on screen: the dialog prepares
    // it when they change, and a replay of the session prepares it here.
    if (!gilderTextureCurrent()) gilderPrepare();
    const bool cmyk = gPlugin.record && gPlugin.record->imageMode == plugInModeCMYKColor && v.colours >= 4;
    gState.colours = gildColours(gGilderParams.metal, cmyk, gGilderParams.lightLevel, gGilderParams.darkLevel);
    return gState.texture.ready();
}
void gild(const PaintView& v, const Dab& d) { gildDab(v, gState.texture, gState.colours, d.x, d.y, d.size); }
void erase(const PaintView& v, const Dab& d) {
    restoreGild(v, d.x, d.y, d.size, d.pressure, samplePressureMax(gDevice));
}

const TextureStrokeOps kOps = {walkSteppedSegment, beginGild, gild, erase};

void strokeStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface) {
    textureStrokeStep(state, sample, surface, kOps);
}

void stepDab(const Dab& d, int, int) {
    PaintView v;
    if (workPaintView(v) && beginGild(v)) gild(v, d);
}
void restoreDab(const Dab& d, int, int) {
    PaintView v;
    if (workPaintView(v)) erase(v, d);
}

#define FIELD(f) int16_t(offsetof(GilderParams, f))

const SettingKey kKeys[] = {
    {10008, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    // Anything but pressure (1) is the fixed size (3).
    {10009, nullptr, FIELD(sizeSource), 4, true, kGilderSizePressure, kGilderSizePressure, false, false, kGilderSizeFixed},
    {10010, nullptr, FIELD(brushSize), 2, true, 1, 99},
    {10011, nullptr, FIELD(scale), 2, true, 50, 150},
    {10012, nullptr, FIELD(metal), 4, true, 0, 1},
    {10013, nullptr, FIELD(textureIndex), 1, false, 0, kGilderTextureCount - 1, false, false, 0},
    {10014, nullptr, FIELD(lightLevel), 2, true, 0, 255},
    {10015, nullptr, FIELD(darkLevel), 2, true, 0, 255},
};
const SettingsLayout kSettings = {
    "Kestrix.ini", 10000, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]), 10002, nullptr, 10003, nullptr,
};

const SliderBinding kSliders[] = {
    {1006, 12, FIELD(brushSize), 1, 99},
    {1005, 3, FIELD(scale), 50, 150, false, true},
    {1010, 13, FIELD(darkLevel), 0, 255},
    {1008, 14, FIELD(lightLevel), 0, 255},
};
// Pressure 1014 (value 1) and Fixed 1016 (value 3); 1015 between them is the preview's
// scroll bar, which no value names.
const SourceBinding kSources[] = {{1014, kGilderSizePressure, 3, FIELD(sizeSource)}};
const int kMetalIds[] = {1001, 1002};
const int32_t kMetalValues[] = {0, 1};
const RadioBinding kRadios[] = {{kMetalIds, kMetalValues, 2, FIELD(metal)}};
const DialogControls kDialog = [] {
    DialogControls d{6, kSliders, int(sizeof kSliders / sizeof kSliders[0]), kSources, 1, nullptr, 0, setDefaults};
    d.radios = kRadios;
    d.radioCount = 1;
    return d;
}();
const SampleFields kSample = {FIELD(brushSize), FIELD(sizeSource), -1, -1, false};
const StrokeRule kStrokeRule = {strokeStep, nullptr, 0, nullptr};
const QueueRule kQueue = {40, true, 0};

const ModuleIds kIds = [] {
    ModuleIds ids{101, nullptr, "DlgWndClass", "ProxyWndClass", false,
                  301, 302, 303, nullptr, nullptr, nullptr,
                  // 10000 is the settings section here: the range message has its own string.
                  10001, 10004, 10005, 10006, 10007, 16000, 16001};
    ids.checkerBitmapId = KX_BMP_CHECKER_GILDER;  // 122 is a texture here
    return ids;
}();

const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, finalApplyTransparency, nullptr, stepDab, restoreDab,
};

}  // namespace

void gilderLoadBitmaps() {
    if (gState.loaded) return;
    for (int i = 0; i < kGilderTextureCount; ++i) {
        const GilderTextureEntry& e = kGilderTextures[i];
        loadTextureBitmap("gilder", e.resourceId, e.file, gState.bitmaps[i]);
    }
    gState.loaded = true;
}

bool gilderPrepare() {
    gilderLoadBitmaps();
    gState.fromIndex = gGilderParams.textureIndex;
    gState.fromScale = gGilderParams.scale;
    const int index = gGilderParams.textureIndex < kGilderTextureCount ? gGilderParams.textureIndex : 0;
    return prepareGreyTexture(gState.bitmaps[index], gGilderParams.scale, gState.texture);
}

bool gilderTextureCurrent() {
    return gState.loaded && gState.fromIndex == gGilderParams.textureIndex && gState.fromScale == gGilderParams.scale;
}

const GreyTexture& gilderTexture() { return gState.texture; }

void gilderRelease() {
    GilderState empty{};
    std::swap(gState, empty);
}

const ModuleInfo kGilderModule = [] {
    ModuleInfo m{"gilder", &kHooks, &gGilderParams, sizeof(GilderParams), &kSettings,
                 "Kestrix Warper %x", &kDialog, &kSample, false};
    m.ids = &kIds;
    m.strokeRule = &kStrokeRule;
    m.queue = &kQueue;
    m.resetSelectsBrush = true;
    return m;
}();
