#include <algorithm>
#include <cstddef>

#include "filters/texture_common/texture_source.h"
#include "filters/texture_common/texture_stroke.h"
#include "filters/texturer/texturer_module.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/settings.h"
#include "framework/tablet/packet_filter.h"

TexturerParams gTexturerParams;

namespace {

// What the prepared texture was made from.
struct PreparedFrom {
    int textureIndex, scale, hue, intensity;
    bool operator==(const PreparedFrom& o) const {
        return textureIndex == o.textureIndex && scale == o.scale && hue == o.hue && intensity == o.intensity;
    }
};

struct TexturerState {
    DecodedBitmap bitmaps[kTexturerTextureCount];
    bool loaded;
    PreparedTexture texture;
    PreparedFrom from;
    TextureWalk walk;
};
TexturerState gState;

PreparedFrom currentChoice() {
    const TexturerParams& p = gTexturerParams;
    return {p.textureIndex, p.scale, p.hue, p.intensity};
}

void setDefaults() { gTexturerParams = texturerDefaults(); }
void resetParams() { gTexturerParams = texturerResetParams(); }
bool initBuffers() { return true; }
void freeBuffers() { texturerRelease(); }

bool beginStamp(const PaintView&) {
    // Painting always uses the texture of the parameters on screen: the dialog prepares
    // it when they change, and a replay of the session prepares it here.
    if (!texturerTextureCurrent()) texturerPrepare();
    return gState.texture.ready();
}
void stamp(const PaintView& v, const Dab& d) { stampTexture(v, gState.texture, d.x, d.y, d.size, d.amount); }
void erase(const PaintView& v, const Dab& d) { restoreTexture(v, d.x, d.y, d.size, d.amount); }

void walk(const Dab& prev, const Dab& sample, int width, int height, WalkDab dab, void* context) {
    walkTextureSegment(gState.walk, prev, sample, width, height, dab, context);
}

const TextureStrokeOps kOps = {walk, beginStamp, stamp, erase};

void strokeStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface) {
    textureStrokeStep(state, sample, surface, kOps);
}
void resetWalk() { gState.walk = TextureWalk{}; }

// The framework's hooks for the dab operations, outside a stroke step (no span).
void stepDab(const Dab& d, int, int) {
    PaintView v;
    if (workPaintView(v) && beginStamp(v)) stamp(v, d);
}
void restoreDab(const Dab& d, int, int) {
    PaintView v;
    if (workPaintView(v)) erase(v, d);
}

// The shared sample, its amount a quarter of the opacity: a dab deposits at most a
// quarter of the texture, so strokes build up.
void buildTexturerSample(const Packet& packet, const PacketContext& context, const ModuleInfo& module,
                         TabletSample* out) {
    *out = buildSample(packet, context, module);
    out->amount = int16_t(std::clamp<int>(out->amount, 0, 100) / 4);
}

#define FIELD(f) int16_t(offsetof(TexturerParams, f))

const SettingKey kKeys[] = {
    {10008, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    {10009, nullptr, FIELD(sizeSource), 4, true, 0, 2},
    {10010, nullptr, FIELD(brushSize), 2, true, 1, 99},
    {10011, nullptr, FIELD(opacitySource), 4, true, 0, 2},
    {10012, nullptr, FIELD(opacity), 2, true, 0, 100},
    {10013, nullptr, FIELD(textureIndex), 1, false, 0, kTexturerTextureCount - 1, false, false, 0},
    {10014, nullptr, FIELD(scale), 2, true, 50, 150},
    {10015, nullptr, FIELD(hue), 2, true, 0, 360},
    {10016, nullptr, FIELD(intensity), 2, true, 0, 100},
};
const SettingsLayout kSettings = {
    "Kestrix.ini", 10000, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]), 10002, nullptr, 10003, nullptr,
};

const SliderBinding kSliders[] = {
    {1006, 12, FIELD(brushSize), 1, 99},
    {1007, 13, FIELD(opacity), 0, 100},
    // "1" on the way to "120" waits for the field to lose the focus.
    {1005, 3, FIELD(scale), 50, 150, false, true},
    {1008, 5, FIELD(hue), 0, 360},
    {1011, 7, FIELD(intensity), 0, 100},
};
const SourceBinding kSources[] = {
    {1001, 0, 3, FIELD(sizeSource)},
    {1017, 0, 3, FIELD(opacitySource)},
};
const DialogControls kDialog = {
    6, kSliders, int(sizeof kSliders / sizeof kSliders[0]), kSources, 2, nullptr, 0, resetParams,
};
const SampleFields kSample = {FIELD(brushSize), FIELD(sizeSource), FIELD(opacity), FIELD(opacitySource), false};
const SampleRule kSampleRule = {sizeof(TabletSample), buildTexturerSample, nullptr, 0, false, nullptr, nullptr};
const StrokeRule kStrokeRule = {strokeStep, resetWalk, 0, nullptr};

const ModuleIds kIds = {
    101, nullptr, "DlgWndClass", "ProxyWndClass", false,
    301, 120, 303, nullptr, nullptr, nullptr,
    // 10000 is the settings section here: the range message has its own string.
    10001, 10004, 10005, 10006, 10007, 16000, 16001,
};

const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, finalApplyTransparency, nullptr, stepDab, restoreDab,
};

}  // namespace

void texturerLoadBitmaps() {
    if (gState.loaded) return;
    for (int i = 0; i < kTexturerTextureCount; ++i) {
        const TextureEntry& e = kTexturerTextures[i];
        loadTextureBitmap("texturer", e.resourceId, e.file, gState.bitmaps[i]);
    }
    gState.loaded = true;
}

bool texturerPrepare() {
    texturerLoadBitmaps();
    gState.from = currentChoice();
    // An index from anywhere (a handle, a file, a log) is brought into range before use.
    const int index = gTexturerParams.textureIndex < kTexturerTextureCount ? gTexturerParams.textureIndex : 0;
    return prepareTexture(gState.bitmaps[index], gTexturerParams.scale, gTexturerParams.hue,
                          gTexturerParams.intensity, gState.texture);
}

bool texturerTextureCurrent() { return gState.loaded && gState.from == currentChoice(); }

const PreparedTexture& texturerTexture() { return gState.texture; }

void texturerRelease() {
    // Swapped out rather than cleared: the memory goes back now.
    TexturerState empty{};
    empty.walk = gState.walk;
    std::swap(gState, empty);
}

const ModuleInfo kTexturerModule = [] {
    ModuleInfo m{"texturer", &kHooks, &gTexturerParams, sizeof(TexturerParams), &kSettings,
                 "Kestrix Warper %x", &kDialog, &kSample, false};
    m.ids = &kIds;
    m.sampleRule = &kSampleRule;
    m.strokeRule = &kStrokeRule;
    m.resetSelectsBrush = true;
    return m;
}();
