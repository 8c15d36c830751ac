// Pen packets to TabletSamples: which packets count, and what a sample holds.
#pragma once
#include <cstdint>

#include "framework/dialog/preview_map.h"
#include "framework/tablet/device.h"
#include "framework/tablet/tablet_sample.h"
#include "framework/tablet/wintab.h"

struct ModuleInfo;
struct PacketContext;

// Where a module's sample values come from in its EffectParams.
struct SampleFields {
    int16_t sizeOffset;          // int16 brush size
    int16_t sizeSourceOffset;    // int32 source of the size
    int16_t amountOffset;        // int16 amount, or -1 when the effect has none
    int16_t amountSourceOffset;  // int32 source of the amount, or -1
    bool oddAmount;              // the tip's amount becomes 2 * amount + 1
};

// A sample field kept after the six shared ones in a module's own record; the sample
// log writes it as one more decimal number.
struct SampleExtraField {
    uint16_t offset;  // in the record
    uint8_t bytes;    // 1, 2 or 4
    bool isSigned;
};

// A module's own sample record: a TabletSample followed by fields of its own.
struct SampleRule {
    uint32_t sampleBytes;  // >= sizeof(TabletSample)
    // Fills `out` (sampleBytes, zeroed) for a packet at a client point; null: the
    // shared buildSample into the TabletSample part.
    void (*build)(const Packet& packet, const PacketContext& context, const ModuleInfo& module,
                  TabletSample* out);
    const SampleExtraField* extras;
    int extraCount;
    bool everyPacket;  // every packet over the image is a sample, not every second one
    // The module's random state: logged when a session starts, set back by a replay.
    uint32_t (*seed)();
    void (*setSeed)(uint32_t seed);
    // The tip pressure as the tablet reports it: no puck or finger-wheel substitute.
    bool rawPressure = false;
};

struct PacketFilterState {
    uint32_t lastButtons;
    bool sideButtonLatch;  // airbrush: toggled by each click of the first side button
    bool penDown;          // the last packet pressed, after the adjustments
    int packetParity;      // 0/1: every second packet over the image becomes a sample
    bool insideView;       // the last sample was over the image
};

struct PacketContext {
    bool painting;       // the brush drag is on (a tool button press in the preview)
    bool hookInstalled;  // the dialog is the active window
    int clientX, clientY;  // the packet's position in preview client coordinates
    PreviewGeometry geometry;
    int32_t cursorClass;
    DeviceRanges ranges;
    bool shiftHeld = false;  // the Shift key was down when the packet was handled
};

// Hands a built sample record (`bytes` long) on; false when no block could be had for it.
using SampleSink = bool (*)(void* context, const TabletSample* record, uint32_t bytes);

// One packet through the filter; its pressure is adjusted in place (puck, side button).
void handlePacket(PacketFilterState& state, Packet& packet, const PacketContext& context,
                  const ModuleInfo& module, SampleSink sink, void* sinkContext);

// The sample of an (adjusted) packet at a client point.
TabletSample buildSample(const Packet& packet, const PacketContext& context, const ModuleInfo& module);
// The module's whole record for it into `out` (sampleBytes(module)): its own builder or
// the shared one.
void buildRecord(const Packet& packet, const PacketContext& context, const ModuleInfo& module,
                 TabletSample* out);

// A slider value through its source (0 finger wheel, 1 pressure, 2 fixed) for a packet:
// scaled by the reading over the device's maximum; the eraser end reads the wheel as
// pressure. No clamp: a module's own builder decides the range.
int sourcedValue(int value, int32_t source, bool inverted, const Packet& packet, const DeviceRanges& ranges);

// value * number / divisor rounded to the nearest integer, halves away from zero, with a
// 64-bit intermediate; -1 for a zero divisor (as the system's MulDiv).
int mulDiv(int value, int number, int divisor);
