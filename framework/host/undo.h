// One-step undo: a second whole-image buffer that is exchanged with the host's result
// buffer by swapping the record's outData pointer, never by copying pixels.
#pragma once
#include "framework/host/filter_api.h"

constexpr int kUndoMemoryMessage = 17007;

void createUndo(FilterRecord& record);    // allocate and take the first snapshot
void snapshotUndo(FilterRecord& record);  // result -> undo buffer, at each stroke's start
void swapUndo(FilterRecord& record);      // Z: exchange outData and the undo buffer
void releaseUndo(FilterRecord& record);   // hand the latest image to the host's buffer
