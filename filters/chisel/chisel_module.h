// chisel as a module of the framework: its parameters, the relief field over the work
// image, the sample record and stroke rule, and the shading kept in step with the light.
#pragma once
#include <cstdint>

#include "filters/chisel/carve_stroke.h"
#include "framework/host/module.h"
#include "framework/tablet/tablet_sample.h"

// The sample record: the framework's sample (x, y, width as size, pressure, eraser as
// inverted) and what the stroke handler needs besides.
struct ChiselRecord {
    TabletSample base;
    int16_t screenX, screenY;  // the pen on screen, as the tablet context reports it
    uint8_t shift;             // Shift was held when the packet was handled
};

// String ids of chisel's own table where they differ from the shared numbering.
enum ChiselStrings : int {
    kChiselRangeMessage = 10000,
    kChiselWindowKey = 10001,
    kChiselMaximizedKey = 10002,
    kChiselSaveQuestion = 10003,
    kChiselDiscardQuestion = 10004,
    kChiselResetLabel = 10005,
    kChiselCancelLabel = 10006,
    kChiselSection = 10015,
};

extern ChiselParams gChiselParams;
extern const ModuleInfo kChiselModule;

// The record's fields as the stroke handler reads them, the width kept within 1..99.
ChiselSample chiselSampleOf(const ChiselRecord& record);

// Brings the result up to date with the light and intensity of the parameters: when
// they differ from those it was last shaded with (or `force`), the whole image is
// shaded again. True when it was. Nothing happens while no image is open.
bool refreshShading(bool force = false);
bool chiselImageOpen();
