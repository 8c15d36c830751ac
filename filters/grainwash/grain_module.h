// grainwash as a module of the framework: its params, its own sample record and stroke
// step, its settings, dialog controls and the older edition it shows hosts.
#pragma once
#include <cstdint>

#include "filters/grainwash/grain_core.h"
#include "filters/grainwash/grain_params.h"
#include "framework/host/filter_api.h"
#include "framework/tablet/tablet_sample.h"

struct ModuleInfo;
struct Packet;
struct PacketContext;

extern const ModuleInfo kGrainwashModule;

// The params: the 64-byte block the host keeps, then what lives beside it.
extern GrainEffectParams gGrainParams;

// A sample: the shared record, then the finger wheel's reading (in 0..32767).
struct GrainRecord {
    TabletSample base;
    uint16_t wheel;
};

// The current sample's pressure readings and the device's maxima.
struct GrainPressure {
    int16_t pressure, pressureMax, wheel, wheelMax;
};
extern GrainPressure gGrainPressure;

// The entry's data record as the module keeps it between calls.
extern GrainDataRecord gGrainData;

// The stroke the step is in (a module static, reset when the dialog opens and closes).
extern GrainStroke gGrainStroke;

// What the sample builder puts into a record for a packet.
void buildGrainRecord(const Packet& packet, const PacketContext& context,
                      const ModuleInfo& module, TabletSample* out);

// The brush from the params.
GrainBrush grainBrush(const GrainEffectParams& params);

// Prepare: bufferSpace 0, the band height and maxSpace.
void prepareGrainMemory(FilterRecord& record);
