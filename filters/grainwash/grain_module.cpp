#include "filters/grainwash/grain_module.h"

#include <cstddef>
#include <cstring>

#include "framework/brush/restore.h"
#include "framework/brush/stroke.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/host/edition.h"
#include "framework/host/image_access.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"

GrainEffectParams gGrainParams;
GrainPressure gGrainPressure;
GrainDataRecord gGrainData;
GrainStroke gGrainStroke;

#define GRAIN_FIELD(member) int16_t(offsetof(GrainEffectParams, member))

namespace {

GrainParams& block() { return gGrainParams.block; }

void setDefaults() {
    createGrainBlock(block());
    gGrainParams.beside.amount = 99;
    gGrainParams.beside.brushSize = 25;
    gGrainParams.beside.buildup = 0;
}

// Alt+Cancel: sizes on pressure, the amount fixed (the tool goes to Brush).
void resetParams() {
    gGrainParams.beside.amount = 99;
    gGrainParams.beside.brushSize = 25;
    gGrainParams.beside.buildup = 0;
    block().sizeSource = kGrainPressure;
    block().amountSource = kGrainFixed;
    block().monochrome = 0;
    block().uniform = 1;
}

bool initBuffers() { return true; }
void freeBuffers() {}

// Never called: the module's own stroke step paints, not the shared walk.
void noDab(const Dab&) {}
void noSpan(const Dab&, int, int) {}

const EffectHooks kHooks = {
    initBuffers, freeBuffers, setDefaults, finalApplyTransparency, noDab, noSpan, noSpan,
};

// The settings keys of grain_params.cpp as the framework reads them; the tool is the
// dialog's current tool, which goes into the block when the dialog ends.
struct Keys {
    SettingKey keys[kGrainSettingKeyCount];
    Keys() {
        for (int i = 0; i < kGrainSettingKeyCount; ++i) {
            const GrainSettingKey& g = kGrainSettingKeys[i];
            SettingKey& k = keys[i];
            k.stringId = g.stringId;
            k.fixedName = nullptr;
            k.offset = g.offset == GRAIN_FIELD(block.tool) ? kCurrentToolField : g.offset;
            k.width = g.width;
            k.isSigned = g.width != 1;
            k.minimum = g.minimum;
            k.maximum = g.maximum;
            k.fixedMissing = true;
            k.missing = g.missing;
            k.nonZeroIsOne = g.anyNonZeroIsOne;
        }
    }
};
const Keys kKeys;

const SettingsLayout kSettings = {
    "Kestrix.ini", kGrainSettingsSection, nullptr, kKeys.keys, kGrainSettingKeyCount,
    10005, nullptr, 10004, nullptr,
};

const SliderBinding kSliders[] = {
    {1006, 12, GRAIN_FIELD(beside.brushSize), 1, 99},
    {1005, 3, GRAIN_FIELD(beside.amount), 1, 99},
};
const SourceBinding kSources[] = {
    {1100, kGrainFingerwheel, 3, GRAIN_FIELD(block.sizeSource)},
    {1103, kGrainFingerwheel, 3, GRAIN_FIELD(block.amountSource)},
};
CheckBinding manualCheck(int id, int16_t offset) {
    CheckBinding c{id, offset};
    c.manual = true;
    return c;
}
const CheckBinding kChecks[] = {
    manualCheck(11, GRAIN_FIELD(block.monochrome)),
    manualCheck(13, GRAIN_FIELD(beside.buildup)),
};
const int kDistributionIds[] = {7, 8};
const int32_t kDistributionValues[] = {1, 0};  // Uniform, Gaussian
RadioBinding distribution() {
    RadioBinding r{kDistributionIds, kDistributionValues, 2, GRAIN_FIELD(block.uniform)};
    r.width = 1;
    return r;
}
const RadioBinding kRadios[] = {distribution()};

DialogControls dialogControls() {
    DialogControls d{5, kSliders, 2, kSources, 2, kChecks, 2, resetParams};
    d.radios = kRadios;
    d.radioCount = 1;
    return d;
}
const DialogControls kDialog = dialogControls();

const SampleFields kSample = {
    GRAIN_FIELD(beside.brushSize), GRAIN_FIELD(block.sizeSource), GRAIN_FIELD(beside.amount),
    GRAIN_FIELD(block.amountSource), false,
};

const SampleExtraField kExtras[] = {{uint16_t(offsetof(GrainRecord, wheel)), 2, false}};

uint32_t seed() { return grainStateNumber(moduleGrainRandom()); }
void setSeed(uint32_t number) { setGrainStateNumber(moduleGrainRandom(), number); }

const SampleRule kSampleRule = {
    uint32_t(sizeof(GrainRecord)), buildGrainRecord, kExtras, 1, false, seed, setSeed,
};

bool outsideImage(const TabletSample& s, const GrainImage& image) {
    return s.x < 0 || s.y < 0 || s.x >= image.width || s.y >= image.height;
}

int16_t upTo32767(int32_t v) { return int16_t(v < 0 ? 0 : v > 32767 ? 32767 : v); }

void grainStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface) {
    GrainRecord record{};
    std::memcpy(&record, sample, sizeof record);
    freeFixed(sample);
    WorkView v;
    if (!viewWorkImage(v)) {
        resetGrainStroke(gGrainStroke);
        return;
    }
    GrainImage image{v.in, int(v.inRow), v.out, int(v.outRow), v.mask, int(v.maskRow),
                     v.planes, v.width, v.height, v.alpha >= 0};
    image.sourceStride = v.inStride;
    const TabletSample& s = record.base;
    // The button's release, or the pen leaving the picture: the stroke ends undrawn.
    if (s.pressure == kEndOfStroke || (s.pressure == 0 && outsideImage(s, image))) {
        resetGrainStroke(gGrainStroke);
        return;
    }
    GrainSample g{};
    g.x = s.x;
    g.y = s.y;
    g.pressure = upTo32767(s.pressure);
    g.pressureMax = upTo32767(samplePressureMax(gDevice));
    g.wheel = upTo32767(record.wheel);
    g.wheelMax = upTo32767(gDevice.wheelMax);
    g.eraser = s.inverted != 0;
    gGrainPressure = GrainPressure{g.pressure, g.pressureMax, g.wheel, g.wheelMax};

    const GrainBrush brush = grainBrush(gGrainParams);
    const GrainCurrent current = grainCurrent(brush, g);
    block().currentAmount = int16_t(current.amount);
    block().currentSize = int16_t(current.size);
    block().eraser = g.eraser ? 1 : 0;
    const GrainChange change = grainSample(gGrainStroke, g, brush, image, moduleGrainRandom());
    if (change.drawn)
        finishSegment(state, surface, Box{change.left, change.top, change.right, change.bottom});
}

void resetStep() { resetGrainStroke(gGrainStroke); }

const StrokeRule kStrokeRule = {grainStep, resetStep, 0, nullptr};

// The classic storage around the framework's.
void copyIn(const void* record) { std::memcpy(&gGrainData, record, sizeof gGrainData); }
void copyOut(void* record, int16_t selector, int16_t result) {
    gGrainData.values[0] = selector;
    gGrainData.values[1] = result;
    gGrainData.values[2] = gPlugin.currentTool;
    gGrainData.values[3] = gPlugin.initialized;
    std::memcpy(record, &gGrainData, sizeof gGrainData);
}

// The Parameters step: a fresh pressure record and the flag that the step ran. Its
// address is not kept in the block (a static does not need finding, and a 64-bit
// address does not fit there); offset 32 stays 0.
void parametersStep() {
    gGrainPressure = GrainPressure{};
    block().pressureRecord = 0;
    block().parametersRan = 1;
}

void afterParameters(bool created) {
    if (!created) {
        const GrainParams stored = block();
        readGrainBlock(&stored, block());
    }
    gPlugin.currentTool = block().tool;
    parametersStep();
}

void beforeDialog() {
    if (!block().parametersRan) parametersStep();
    block().parametersRan = 0;
}

void afterDialog() { block().tool = gPlugin.currentTool; }

const Edition kEdition = {
    uint32_t(sizeof(GrainDataRecord)), copyIn, copyOut, uint32_t(sizeof(GrainParams)),
    afterParameters, beforeDialog, afterDialog, prepareGrainMemory, "GrainwashProc",
};

// Older edition: named dialog and icons, its own class names and button ids, strings
// 10000..10017.
const ModuleIds kIds = {
    0,     "GRAINWASHPARAM", "DlgWindClass", "ProxyWindClass", true,
    302,   301,              303,            "ZOOM",           "HAND", "BRUSH",
    10008, 10003,            10009,          10001,            10002,  16000, 16001,
};

ModuleInfo makeModule() {
    ModuleInfo m{"grainwash", &kHooks, &gGrainParams, uint32_t(sizeof(GrainEffectParams)),
                 &kSettings, "RevUzir Digitizing %x", &kDialog, &kSample, false};
    m.ids = &kIds;
    m.sampleRule = &kSampleRule;
    m.strokeRule = &kStrokeRule;
    m.resetSelectsBrush = true;
    m.edition = &kEdition;
    return m;
}

}  // namespace

#undef GRAIN_FIELD

const ModuleInfo kGrainwashModule = makeModule();

void buildGrainRecord(const Packet& packet, const PacketContext& context,
                      const ModuleInfo& module, TabletSample* out) {
    GrainRecord record{};
    record.base = buildSample(packet, context, module);
    // The wheel in the same 0..32767 as the pressure: a wider device is scaled into it.
    uint64_t wheel = packet.pkTangentPressure;
    const int32_t wheelMax = context.ranges.wheelMax;
    if (wheelMax > 32767) wheel = wheel * 32767 / uint64_t(wheelMax);
    record.wheel = uint16_t(wheel > 32767 ? 32767 : wheel);
    std::memcpy(out, &record, sizeof record);
}

GrainBrush grainBrush(const GrainEffectParams& p) {
    GrainBrush b{};
    b.amount = p.beside.amount;
    b.brushSize = p.beside.brushSize;
    b.sizeSource = p.block.sizeSource;
    b.amountSource = p.block.amountSource;
    b.monochrome = p.block.monochrome != 0;
    b.uniform = p.block.uniform != 0;
    b.buildup = p.beside.buildup != 0;
    return b;
}

void prepareGrainMemory(FilterRecord& record) {
    record.bufferSpace = 0;
    int32_t maxSpace = record.maxSpace;
    const int32_t width = record.filterRect.right - record.filterRect.left;
    const int32_t height = record.filterRect.bottom - record.filterRect.top;
    block().bandHeight = grainBandHeight(block().bandHeight, width, height, record.planes, maxSpace);
    record.maxSpace = maxSpace;
}
