#pragma once
#include <windows.h>

#include <cstdint>

#include "framework/tablet/tablet_sample.h"
#include "framework/tablet/wintab.h"

void beginStrokes();  // dialog opens
void endStrokes(HWND dialog);  // dialog ends: a stroke in progress is dropped
// WT_PACKET: the packet with this serial, then whatever else is queued.
void onPacketMessage(HWND dialog, HCTX context, WPARAM serial, int32_t cursorClass);
// Everything queued at the driver, oldest first; before each stroke step too.
void drainPackets(HWND dialog, HCTX context, int32_t cursorClass);
// SampleMessage: the stroke step takes the sample.
void onSampleMessage(HWND dialog, TabletSample* sample);
void clearSideButtonLatch();
// The module's stroke timer (id 1) ticked.
void onStrokeTimer(HWND dialog);
constexpr UINT_PTR kStrokeTimerId = 1;
// "# <name>" in the sample log, when one is kept: the session events that change what
// later strokes paint on (apply, revert, snapshot, swap), so that kx_replay can follow.
void logSessionEvent(const char* name);
// A "# params" line now, when the parameters differ from the last one logged: for a
// change that repaints at once rather than with the next sample.
void logCurrentParams();
