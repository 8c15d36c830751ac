// The dialog's tablet context: what we ask the driver for, and the queue we negotiate.
#pragma once
#include "framework/tablet/wintab.h"

struct WintabApi;

struct VirtualScreen {
    int left, top, width, height;
};

// The default system context adapted to our packets: messages to the dialog, absolute
// fields, output in virtual-screen pixels with y growing downwards.
LOGCONTEXTA buildTabletContext(const LOGCONTEXTA& systemDefault, const char* name,
                               const VirtualScreen& screen);

// Opens the context on `window` and asks for the largest queue the driver accepts,
// from `firstQueueSize` down to 5 in steps of 5 (only `firstQueueSize` when `once`).
// `granted`, when given, receives the driver's answer to the size query afterwards.
// Null when the driver refuses the context.
HCTX openTabletContext(const WintabApi& api, void* window, LOGCONTEXTA& context,
                       int firstQueueSize = 40, bool once = false, int* granted = nullptr);

