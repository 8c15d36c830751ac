// airbrush as a module of the framework: its parameters, its hooks and its description.
#pragma once
#include "filters/airbrush/airbrush_params.h"
#include "filters/airbrush/spray_stroke.h"
#include "framework/host/module.h"

extern AirbrushParams gAirbrushParams;

// Dialog control ids of the airbrush's own controls.
constexpr int kSwatchId = 1000;
constexpr int kSplatterCheckId = 1001;
constexpr int kApplyId = 6;
constexpr int kAirbrushDialogId = 107;
constexpr int kPickerPromptId = 17012;  // "Select airbrush color"

// The description with the dialog's own hooks (null where there is no dialog: kx_replay
// and the native tests).
ModuleInfo airbrushModule(const DialogHooks* hooks);

// The canvas over the current record's buffers; false when the image cannot be painted
// (no buffers, or channels that are neither RGB nor CMYK).
bool airbrushCanvas(SprayCanvas& canvas);
