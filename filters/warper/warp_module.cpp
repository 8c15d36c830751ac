#include "filters/warper/warp_module.h"

#include <cstddef>

#include "framework/brush/restore.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/host/module.h"
#include "framework/host/param_field.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/packet_filter.h"
#include "resources/warper/warper_text.h"

WarpParams gWarpParams;

namespace {

// The stroke in progress; the framework's own StrokeState keeps only the repaint
// counter and the cursor for this module.
WarpStroke gWarpStroke;

void setDefaults() { setWarpDefaults(gWarpParams); }

// The segment's buffers are made and freed per segment; nothing lives longer.
bool initBuffers() { return true; }
void freeBuffers() {}

constexpr int16_t kSizeField = int16_t(offsetof(WarpParams, brushSize));
constexpr int16_t kDistortionField = int16_t(offsetof(WarpParams, distortion));
constexpr int16_t kSizeSourceField = int16_t(offsetof(WarpParams, sizeSource));
constexpr int16_t kDistortionSourceField = int16_t(offsetof(WarpParams, distortionSource));

const SettingKey kKeys[] = {
    {10008, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    {10009, nullptr, kSizeSourceField, 4, true, 0, 2},   // "Pressure Size"
    {10010, nullptr, kDistortionSourceField, 4, true, 0, 2},  // "Pressure Distort"
    {10011, nullptr, kSizeField, 2, true, kWarpSizeMin, kWarpSizeMax},  // "Brush Size"
    {10012, nullptr, kDistortionField, 2, true, kWarpDistortionMin, kWarpDistortionMax},  // "Distortion"
};

const SettingsLayout kSettings = {
    "Kestrix.ini", 10001, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]), 10002, nullptr, 10003, nullptr,
};

const SliderBinding kSliders[] = {
    {1006, 12, kSizeField, kWarpSizeMin, kWarpSizeMax},
    {1005, 3, kDistortionField, kWarpDistortionMin, kWarpDistortionMax},
};
const SourceBinding kSources[] = {
    {1000, 0, 3, kSizeSourceField},
    {1017, 0, 3, kDistortionSourceField},
};

const DialogControls kDialog = {5, kSliders, 2, kSources, 2, nullptr, 0, setDefaults};

const SampleFields kSample = {kSizeField, kSizeSourceField, kDistortionField, kDistortionSourceField, false};

const SampleRule kSampleRule = {sizeof(TabletSample), buildWarpSample, nullptr, 0, false, nullptr, nullptr};

const StrokeRule kStrokeRule = {warpStep, resetWarpStroke, 0, nullptr};

// "Unable to set tablet queue size.": asked from 40 down to 5, as every module does.
const QueueRule kQueue = {40, false, WARPER_STR_NO_QUEUE};

// Dialog 101; everything else keeps the shared numbering.
const ModuleIds kIds = {
    101, nullptr, "DlgWndClass", "ProxyWndClass", false, 301, 302, 303, nullptr, nullptr, nullptr,
    10000, 10004, 10005, 10006, 10007, 16000, 16001,
};

// The dabs run from warper's own segment walk; the framework's hooks have none to call.
// There is no finalApply: the transparency plane is warped with the colour and must
// reach the host as painted.
const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

void buildWarpSample(const Packet& packet, const PacketContext& context, const ModuleInfo& module,
                     TabletSample* out) {
    TabletSample s = buildSample(packet, context, module);
    const bool inverted = s.inverted != 0;
    s.size = warpSampleSize(sourcedValue(gWarpParams.brushSize, gWarpParams.sizeSource, inverted, packet, context.ranges));
    s.amount = warpSampleDistortion(
        sourcedValue(gWarpParams.distortion, gWarpParams.distortionSource, inverted, packet, context.ranges));
    *out = s;
}

WarpImage warpImageOf(const WorkView& v) {
    WarpImage im{};
    im.source = v.in;
    im.sourceRow = int(v.inRow);
    im.sourcePixel = v.inStride;
    im.result = v.out;
    im.resultRow = int(v.outRow);
    im.mask = v.mask;
    im.maskRow = int(v.maskRow);
    im.planes = v.planes;
    im.width = v.width;
    im.height = v.height;
    im.transparency = v.alpha >= 0;
    return im;
}

void warpStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface) {
    WorkView view;
    if (!viewWorkImage(view)) {
        freeFixed(sample);
        return;
    }
    const WarpStepOutcome step = warpStrokeStep(gWarpStroke, *sample, warpImageOf(view));
    freeFixed(sample);
    if (step.outOfMemory) {
        // The segment drew nothing; the host hears of it unless the session ends
        // another way first.
        gPlugin.result = memFullErr;
        return;
    }
    if (step.segment) finishSegment(state, surface, Box{step.left, step.top, step.right, step.bottom});
}

void resetWarpStroke() { gWarpStroke = WarpStroke{}; }

const ModuleInfo kWarperModule = {
    "warper", &kHooks, &gWarpParams, sizeof(WarpParams), &kSettings, "Kestrix Warper %x", &kDialog, &kSample,
    false,         // evenSpans: not walked by the shared walker
    &kIds,         // dialog 101
    &kSampleRule,  // size + 5, distortion as is
    &kStrokeRule,  // thinning, one segment's maps, its own walk
    nullptr,       // no dialog hooks
    &kQueue,       // "Unable to set tablet queue size."
    false,         // undo as every module has it
    true,          // Reset selects the Brush tool
};
