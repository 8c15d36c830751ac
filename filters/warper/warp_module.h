// warper as a module of the framework: its parameters, settings keys, dialog controls,
// sample builder and stroke step.
#pragma once
#include <cstdint>

#include "filters/warper/warp_core.h"
#include "filters/warper/warp_params.h"
#include "framework/brush/stroke.h"

struct ModuleInfo;
struct Packet;
struct PacketContext;
struct WorkView;

extern WarpParams gWarpParams;
extern const ModuleInfo kWarperModule;

// A pen packet's sample: position and pressure as every module has them; the size
// mapped by its source, kept to 0..99 and biased by 5; the distortion mapped by its
// source and kept to 0..100, without the shared builder's clamp or scaling.
void buildWarpSample(const Packet& packet, const PacketContext& context, const ModuleInfo& module,
                     TabletSample* out);

// The framework's working image as the warp dabs address it.
WarpImage warpImageOf(const WorkView& view);

// The stroke step the framework runs for every sample (it owns and frees `sample`).
void warpStep(StrokeState& state, TabletSample* sample, StrokeSurface& surface);
// Back to "no stroke" (dialog open and close).
void resetWarpStroke();
