// What one loaded plug-in keeps between the host's selector calls.
#pragma once
#include <cstdint>

#include "framework/host/filter_api.h"

enum Tool : int32_t { kToolZoom = 0, kToolHand = 1, kToolBrush = 2 };

struct PluginGlobals {
    uint8_t initialized;      // 1 from the first call of an invocation until clean-up
    FilterRecord* record;     // host record of the current invocation; null between them
    int16_t result;           // result code of the current call, copied to *result
    int32_t currentTool;      // Tool: 0 zoom, 1 hand, 2 brush
    uint8_t parametersSeen;   // 1 once this invocation has loaded or created the params
    uint8_t paramsValid;      // 1 once params hold this invocation's values (loaded from the
                              // handle or defaulted): only then do they go back into it
    int16_t lastSelector;     // the previous selector of this invocation
    uint8_t modified;         // 1 after any stroke since the dialog opened
    uint8_t appliedOnce;      // 1 after Apply was pressed
    uint8_t unappliedStroke;  // 1 after a stroke since the last Apply or Revert
    float zoom;               // preview scale, 1/16 .. 16
    uint8_t* undoBuffer;      // whichever of the two image buffers is not outData; null: no undo
    uint8_t* undoOwn;         // the block we allocated for undo
    uint8_t* applied;         // our copy of the last applied image; null until the first Apply
};

extern PluginGlobals gPlugin;
