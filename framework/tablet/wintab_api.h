// The Wintab functions the plug-ins use, resolved at run time so that a machine without
// a tablet driver still loads the module.
#pragma once
#include "framework/tablet/wintab.h"

struct WintabApi {
    WTInfoAProc info;
    WTOpenAProc open;
    WTCloseProc close;
    WTPacketsGetProc packetsGet;
    WTPacketProc packet;
    WTOverlapProc overlap;
    WTQueueSizeGetProc queueSizeGet;
    WTQueueSizeSetProc queueSizeSet;
};

// The driver's functions, loading it on first use; null when there is no driver or it
// lacks one of the functions above.
const WintabApi* wintab();
// Lets the driver go at the end of an invocation.
void releaseWintab();
