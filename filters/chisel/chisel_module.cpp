#include "filters/chisel/chisel_module.h"

#include <cstddef>
#include <cstring>

#include "framework/brush/stroke.h"
#include "framework/dialog/dialog_controls.h"
#include "framework/host/image_access.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"
#include "framework/tablet/device.h"
#include "framework/tablet/packet_filter.h"
#include "resources/chisel/chisel_ids.h"

ChiselParams gChiselParams;

namespace {

ReliefField gField;
ShadeTables gTables;  // the light and intensity the result was last shaded with
ChiselStroke gStroke;
bool gOpen;  // a work image is open and the field matches it

int imageWidth(const FilterRecord& r) { return r.filterRect.right - r.filterRect.left; }
int imageHeight(const FilterRecord& r) { return r.filterRect.bottom - r.filterRect.top; }

// The host's buffers as chisel reads them: the unpainted image is the last applied one.
ChiselImage workImage() {
    const FilterRecord& r = *gPlugin.record;
    const SourcePlanes source = sourcePlanes(r);
    const bool masked = r.haveMask && r.maskData;
    return ChiselImage{source.data,
                       int(source.rowBytes),
                       static_cast<uint8_t*>(r.outData),
                       int(r.outRowBytes),
                       masked ? static_cast<const uint8_t*>(r.maskData) : nullptr,
                       masked ? int(r.maskRowBytes) : 0,
                       r.planes,
                       imageWidth(r),
                       imageHeight(r),
                       hasTransparencyPlane(r.imageMode, r.planes)};
}

void setDefaults() { setChiselDefaults(gChiselParams); }
bool noBuffers() { return true; }
void nothing() {}

bool startBuffers() {
    // The block came from the host's handle or the settings file: keep it in range and
    // its derived profile in step before anything reads it.
    sanitizeChiselParams(gChiselParams);
    gOpen = false;
    const FilterRecord* r = gPlugin.record;
    return r && gField.allocate(imageWidth(*r), imageHeight(*r));
}

void freeStartBuffers() {
    gOpen = false;
    gField.release();
}

void onOpen() {
    const FilterRecord* r = gPlugin.record;
    gOpen = r && r->outData && gField.pixels && gField.width == imageWidth(*r) &&
            gField.height == imageHeight(*r) && sourcePlanes(*r).stride == r->planes;
    if (!gOpen) return;
    resetChiselStroke(gStroke);
    gField.clear();
    displayCopy(workImage());
    // Unknown light: the first sample (or Done) shades the whole image with the light
    // then in force, in the dialog and in a replay of its log alike.
    gTables.light = -1;
}

void onRevert() {
    if (!gOpen) return;
    gField.clear();
    displayCopy(workImage());
}

// Apply has copied the result into the applied image: what it keeps is the picture the
// host would get on Done, transparent pixels whole as the host's source has them.
void onApply() {
    if (!gOpen) return;
    gField.clear();
    const FilterRecord& r = *gPlugin.record;
    ChiselImage applied = workImage();
    applied.source = static_cast<const uint8_t*>(r.inData);
    applied.sourceRow = int(r.inRowBytes);
    applied.result = const_cast<uint8_t*>(sourcePlanes(r).data);
    applied.resultRow = int(sourcePlanes(r).rowBytes);
    restoreTransparency(applied);
}

void finalApply() {
    if (!gOpen) return;
    refreshShading();
    restoreTransparency(workImage());
}

void chiselStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface) {
    ChiselRecord record{};
    std::memcpy(&record, sample, sizeof record);
    freeFixed(sample);
    if (!gOpen) return;
    ChiselImage image = workImage();
    if (refreshShading())
        surface.invalidate(surface.context,
                           imageToClient(surface.geometry, Box{0, 0, image.width, image.height}));
    CarveTarget target{&image, &gField, &gTables, nullptr, nullptr};
    const CarveStep step = carveSample(gStroke, chiselSampleOf(record), gChiselParams, target);
    if (step.accepted) finishSegment(state, surface, step.swept ? step.changed : Box{0, 0, 0, 0});
}

void resetStrokeRule() { resetChiselStroke(gStroke); }

void buildRecord(const Packet& packet, const PacketContext& c, const ModuleInfo&,
                 TabletSample* out) {
    ChiselRecord record{};
    int ix, iy;
    clientToImage(c.geometry, c.clientX, c.clientY, ix, iy);
    record.base.x = int16_t(ix);
    record.base.y = int16_t(iy);
    const int reading = packet.pkNormalPressure > 0x7FFFFFFFu ? 0x7FFFFFFF : int(packet.pkNormalPressure);
    record.base.size = int16_t(grooveWidth(gChiselParams, reading, c.ranges.pressureMax));
    record.base.pressure = samplePressure(packet.pkNormalPressure, c.ranges);
    record.base.inverted = packet.orAltitude < 0;
    record.screenX = int16_t(packet.pkX);
    record.screenY = int16_t(packet.pkY);
    record.shift = c.shiftHeld ? 1 : 0;
    std::memcpy(out, &record, sizeof record);
}

const SampleExtraField kExtras[] = {
    {uint16_t(offsetof(ChiselRecord, screenX)), 2, true},
    {uint16_t(offsetof(ChiselRecord, screenY)), 2, true},
    {uint16_t(offsetof(ChiselRecord, shift)), 1, false},
};

const SampleRule kSampleRule = {
    uint32_t(sizeof(ChiselRecord)), buildRecord, kExtras, 3, true, nullptr, nullptr, true,
};

const StrokeRule kStrokeRule = {chiselStep, resetStrokeRule, 0, nullptr};

constexpr int16_t at(size_t offset) { return int16_t(offset); }

const SettingKey kKeys[] = {
    {10007, nullptr, kCurrentToolField, 4, true, 0, 2},  // "Current Tool"
    {10008, nullptr, at(offsetof(ChiselParams, pressureGroove)), 1, false, 0, 1},
    {10009, nullptr, at(offsetof(ChiselParams, grooveSize)), 2, true, 1, 99},
    {10010, nullptr, at(offsetof(ChiselParams, tipSize)), 2, true, 1, 99},
    {10011, nullptr, at(offsetof(ChiselParams, tipDepth)), 2, true, -99, 99},
    {10012, nullptr, at(offsetof(ChiselParams, tipSharpness)), 2, true, -100, 100},
    {10013, nullptr, at(offsetof(ChiselParams, intensity)), 2, true, 1, 10},
    {10014, nullptr, at(offsetof(ChiselParams, lightDirection)), 4, true, 0, 7},
};

const SettingsLayout kSettings = {
    "Kestrix.ini",    kChiselSection, nullptr, kKeys, int(sizeof kKeys / sizeof kKeys[0]),
    kChiselWindowKey, nullptr,        kChiselMaximizedKey, nullptr,
};

SliderBinding slider(int trackbar, int edit, size_t offset, int minimum, int maximum,
                     bool silent) {
    SliderBinding b{trackbar, edit, at(offset), int16_t(minimum), int16_t(maximum)};
    b.silent = silent;
    return b;
}

// Depth and sharpness take a leading minus sign while typing: refused without a word.
const SliderBinding kSliders[] = {
    slider(1006, 12, offsetof(ChiselParams, grooveSize), 1, 99, false),
    slider(1007, 5, offsetof(ChiselParams, tipSize), 1, 99, false),
    slider(1008, 6, offsetof(ChiselParams, tipDepth), -99, 99, true),
    slider(1010, 7, offsetof(ChiselParams, tipSharpness), -100, 100, true),
    slider(1011, 9, offsetof(ChiselParams, intensity), 1, 10, false),
};

// "Pressure" and "Fixed": the one-byte flag and the zero padding after it as one int32.
const int kGrooveRadios[] = {1004, 1005};
const int32_t kGrooveValues[] = {1, 0};
const RadioBinding kRadios[] = {
    {kGrooveRadios, kGrooveValues, 2, at(offsetof(ChiselParams, pressureGroove))},
};

DialogControls makeControls() {
    DialogControls d{8, kSliders, int(sizeof kSliders / sizeof kSliders[0]), nullptr, 0, nullptr, 0,
                     setDefaults};
    d.radios = kRadios;
    d.radioCount = 1;
    return d;
}
const DialogControls kDialog = makeControls();

// No size or amount sources: the width comes from the pressure flag in chisel's own
// builder. Only the shared builder and the puck and wheel stand-ins read these fields, and
// chisel uses none of them.
const SampleFields kSample = {
    at(offsetof(ChiselParams, grooveSize)), at(offsetof(ChiselParams, lightDirection)), -1, -1,
    false,
};

EffectHooks makeHooks() {
    EffectHooks h{noBuffers, nothing, setDefaults, finalApply, nullptr, nullptr, nullptr};
    h.startBuffers = startBuffers;
    h.freeStartBuffers = freeStartBuffers;
    h.onRevert = onRevert;
    h.onApply = onApply;
    h.onOpen = onOpen;
    return h;
}
const EffectHooks kHooks = makeHooks();

const ModuleIds kIds = {
    KX_CHISEL_DIALOG, nullptr, "DlgWndClass", "ProxyWndClass", false,
    301, 302, 303, nullptr, nullptr, nullptr,
    kChiselRangeMessage, kChiselSaveQuestion, kChiselDiscardQuestion, kChiselResetLabel,
    kChiselCancelLabel, 16000, 16001,
};

ModuleInfo makeModule() {
    ModuleInfo m{"chisel", &kHooks, &gChiselParams, uint32_t(sizeof(ChiselParams)), &kSettings,
                 "Kestrix Relief Carver %x", &kDialog, &kSample, false};
    m.ids = &kIds;
    m.sampleRule = &kSampleRule;
    m.strokeRule = &kStrokeRule;
    m.noUndo = true;
    m.resetSelectsBrush = true;
    m.rgbWithoutDisplay = true;
    return m;
}

}  // namespace

const ModuleInfo kChiselModule = makeModule();

ChiselSample chiselSampleOf(const ChiselRecord& r) {
    // The builder gives 1 .. tip size; a record read from a log may say anything.
    const int width = r.base.size < 1 ? 1 : r.base.size > kMaxGrooveWidth ? kMaxGrooveWidth : r.base.size;
    return ChiselSample{r.base.x, r.base.y, r.screenX, r.screenY, int16_t(width),
                        int16_t(r.base.pressure), r.shift, r.base.inverted};
}

bool chiselImageOpen() { return gOpen; }

bool refreshShading(bool force) {
    if (!gOpen) return false;
    const int light = gChiselParams.lightDirection, intensity = gChiselParams.intensity;
    if (!force && gTables.light == light && gTables.intensity == intensity) return false;
    prepareShading(gTables, light, intensity);
    const ChiselImage image = workImage();
    shadeArea(image, gField, gTables, Box{0, 0, image.width, image.height});
    return true;
}
