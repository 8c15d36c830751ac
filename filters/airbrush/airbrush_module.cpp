#include "filters/airbrush/airbrush_module.h"

#include <cstddef>
#include <cstring>

#include "filters/airbrush/spray_colour.h"
#include "framework/brush/restore.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/dialog/preview_map.h"
#include "framework/host/image_access.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"

AirbrushParams gAirbrushParams;

namespace {

// The three tables (made at filter start) and the spray mask, in fixed blocks.
SprayTables* sTables;
SprayMask* sMask;
SprayRandom sRandom;
SprayStroke sStroke;

const uint16_t kBlack[3] = {0, 0, 0};

void setDefaults() {
    setAirbrushDefaults(gAirbrushParams, kBlack);
    if (gPlugin.record) takeHostColour(gAirbrushParams, *gPlugin.record);
}

void resetParams() {
    resetAirbrushParams(gAirbrushParams, kBlack);
    if (gPlugin.record) takeHostColour(gAirbrushParams, *gPlugin.record);
}

void freeBuffers() {
    if (sTables) freeFixed(sTables);
    if (sMask) freeFixed(sMask);
    sTables = nullptr;
    sMask = nullptr;
}

bool initBuffers() {
    sTables = static_cast<SprayTables*>(allocFixed(sizeof(SprayTables)));
    sMask = static_cast<SprayMask*>(allocFixed(sizeof(SprayMask)));
    if (!sTables || !sMask) return false;
    buildSprayTables(*sTables);
    return true;
}

// Before the dialog: whatever the parameters handle held is brought into range (a
// nativeHalf above 127 would wrap the splatter's sum).
bool startBuffers() {
    sanitizeAirbrushParams(gAirbrushParams);
    return true;
}

// ---- settings ----

const SettingKey kKeys[] = {
    {10008, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    {10009, nullptr, int16_t(offsetof(AirbrushParams, sizeSource)), 4, true, 0, 2, false, false, kSourcePressure},
    {10010, nullptr, int16_t(offsetof(AirbrushParams, flowSource)), 4, true, 0, 2, false, false, kSourcePressure},
    {10011, nullptr, int16_t(offsetof(AirbrushParams, brushSize)), 2, true, 1, 99},
    {10012, nullptr, int16_t(offsetof(AirbrushParams, inkFlow)), 2, true, 1, 100},
    {10013, nullptr, int16_t(offsetof(AirbrushParams, softSpray)), 1, false, 0, 1, true},  // "Splatter Brush"
    {10014, nullptr, int16_t(offsetof(AirbrushParams, splatterSize)), 2, true, 1, 99},
    // The high byte of each colour component (little-endian: the second byte).
    {10015, nullptr, int16_t(offsetof(AirbrushParams, color) + 1), 1, false, 0, 255, false, true},
    {10016, nullptr, int16_t(offsetof(AirbrushParams, color) + 3), 1, false, 0, 255, false, true},
    {10017, nullptr, int16_t(offsetof(AirbrushParams, color) + 5), 1, false, 0, 255, false, true},
};

const SettingsLayout kSettings = {
    "Kestrix.ini", 10001, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]),
    10002,         nullptr, 10003, nullptr,
};

// ---- dialog controls ----

const SliderBinding kSliders[] = {
    {1006, 12, int16_t(offsetof(AirbrushParams, brushSize)), 1, 99},
    {1005, 3, int16_t(offsetof(AirbrushParams, inkFlow)), 1, 100},
    {1007, 5, int16_t(offsetof(AirbrushParams, splatterSize)), 1, 99},
};
const SourceBinding kSources[] = {
    {1002, kSourceWheel, 3, int16_t(offsetof(AirbrushParams, sizeSource))},
    {1017, kSourceWheel, 3, int16_t(offsetof(AirbrushParams, flowSource))},
};
const int kSplatterControls[] = {1007, 5};
const CheckBinding kChecks[] = {
    {kSplatterCheckId, int16_t(offsetof(AirbrushParams, softSpray)), true, kSplatterControls, 2},
};

const DialogControls kDialog = {
    kApplyId, kSliders, 3, kSources, 2, kChecks, 1, resetParams,
};

const SampleFields kSample = {
    int16_t(offsetof(AirbrushParams, brushSize)), int16_t(offsetof(AirbrushParams, sizeSource)),
    int16_t(offsetof(AirbrushParams, inkFlow)), int16_t(offsetof(AirbrushParams, flowSource)), false,
};

const ModuleIds kIds = [] {
    ModuleIds ids = kDefaultModuleIds;
    ids.dialogId = kAirbrushDialogId;
    return ids;
}();

// ---- samples ----

void buildRecord(const Packet& packet, const PacketContext& c, const ModuleInfo&, TabletSample* out) {
    int x, y;
    clientToImage(c.geometry, c.clientX, c.clientY, x, y);
    const SprayPacket p{x, y, packet.orAltitude, packet.orAzimuth,
                        int(samplePressure(packet.pkNormalPressure, c.ranges)), int(packet.pkTangentPressure)};
    const SprayRanges r{c.ranges.altitudeMin, c.ranges.altitudeMax, c.ranges.azimuthMin, c.ranges.azimuthMax,
                        samplePressureMax(c.ranges), c.ranges.wheelMax};
    const AirbrushSample s = buildSpraySample(p, r, gAirbrushParams);
    std::memcpy(out, &s, sizeof s);
}

// Logged after the six shared fields; the two reals as their bits, so a replay is exact.
const SampleExtraField kExtras[] = {
    {uint16_t(offsetof(AirbrushSample, tilt)), 2, true},
    {uint16_t(offsetof(AirbrushSample, wheel)), 2, true},
    {uint16_t(offsetof(AirbrushSample, elongation)), 4, false},
    {uint16_t(offsetof(AirbrushSample, azimuth)), 4, false},
    {uint16_t(offsetof(AirbrushSample, repeat)), 4, true},
};

uint32_t seed() { return sRandom.state; }
void setSeed(uint32_t s) { sRandom.state = s; }

const SampleRule kSampleRule = {
    uint32_t(sizeof(AirbrushSample)), buildRecord, kExtras, int(sizeof kExtras / sizeof kExtras[0]), false,
    seed, setSeed,
};

// ---- strokes ----

void step(StrokeState& state, TabletSample* record, StrokeSurface& surface) {
    AirbrushSample s;
    std::memcpy(&s, record, sizeof s);
    freeFixed(record);
    SprayCanvas canvas;
    if (!airbrushCanvas(canvas)) return;
    const SprayStepResult r = sprayStep(sStroke, s, canvas);
    if (!r.painted) return;
    // The airbrush brings the preview up to date every third segment, not every fifth.
    state.segmentCounter = r.updateNow ? 4 : 0;
    finishSegment(state, surface, r.invalid);
}

// Dialog open and close: no stroke, and the generator seeded with 1.
void reset() {
    resetSprayStroke(sStroke);
    sRandom = SprayRandom{};
}

TabletSample* onTimer(StrokeState&, bool painting) {
    AirbrushSample repeat;
    if (!sprayTimerTick(sStroke, painting, repeat)) return nullptr;
    // Without a block the repeat is skipped; the next tick tries again.
    void* block = allocFixed(sizeof repeat);
    if (block) std::memcpy(block, &repeat, sizeof repeat);
    return static_cast<TabletSample*>(block);
}

const StrokeRule kStrokeRule = {step, reset, 300, onTimer};

const EffectHooks kHooks = [] {
    EffectHooks h{initBuffers, freeBuffers, setDefaults, finalApplyTransparency, nullptr, nullptr, nullptr};
    h.startBuffers = startBuffers;
    return h;
}();

const QueueRule kQueue = {80, false, 0};

}  // namespace

bool airbrushCanvas(SprayCanvas& canvas) {
    const FilterRecord* r = gPlugin.record;
    WorkView w;
    if (!sTables || !sMask || !viewWorkImage(w)) return false;
    const bool cmyk = r->imageMode == plugInModeCMYKColor;
    if (r->imageMode != plugInModeRGBColor && !cmyk) return false;
    if (w.colours != (cmyk ? 4 : 3)) return false;
    SprayImage im{};
    im.source = w.in;
    im.sourceRow = int(w.inRow);
    im.sourceStride = w.inStride;
    im.result = w.out;
    im.resultRow = int(w.outRow);
    im.mask = w.mask;
    im.maskRow = int(w.maskRow);
    im.planes = w.planes;
    im.width = w.width;
    im.height = w.height;
    im.transparency = w.alpha >= 0;
    canvas = SprayCanvas{im, &gAirbrushParams, sTables, sMask, &sRandom};
    return true;
}

ModuleInfo airbrushModule(const DialogHooks* hooks) {
    ModuleInfo m{"airbrush", &kHooks, &gAirbrushParams, sizeof(AirbrushParams), &kSettings,
                 "Kestrix Spray Studio %x", &kDialog, &kSample, false};
    m.ids = &kIds;
    m.sampleRule = &kSampleRule;
    m.strokeRule = &kStrokeRule;
    m.dialogHooks = hooks;
    m.queue = &kQueue;
    m.resetSelectsBrush = true;
    m.rgbWithoutDisplay = true;
    return m;
}
