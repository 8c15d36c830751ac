#include "framework/tablet/tablet_context.h"

#include <cstdio>

#include "framework/tablet/wintab_api.h"

LOGCONTEXTA buildTabletContext(const LOGCONTEXTA& systemDefault, const char* name,
                               const VirtualScreen& screen) {
    LOGCONTEXTA c = systemDefault;
    std::snprintf(c.lcName, sizeof c.lcName, "%s", name);
    c.lcOptions |= CXO_SYSTEM | CXO_MESSAGES | CXO_CSRMESSAGES;
    c.lcPktData = kPacketData;
    c.lcPktMode = 0;
    c.lcMoveMask = kPacketData;
    c.lcBtnUpMask = c.lcBtnDnMask;
    c.lcOutOrgX = screen.left;
    c.lcOutOrgY = screen.top;
    c.lcOutExtX = screen.width;
    c.lcOutExtY = -screen.height;  // y grows downwards, as on the screen
    return c;
}

HCTX openTabletContext(const WintabApi& api, void* window, LOGCONTEXTA& context,
                       int firstQueueSize, bool once, int* granted) {
    HCTX handle = api.open(window, &context, 1);
    if (!handle) return nullptr;
    // A deep queue keeps bursts of packets while slow dabs run; drivers differ in what
    // they grant, so step down until one size is accepted (or keep the default).
    for (int size = firstQueueSize; size >= 5; size -= 5)
        if (api.queueSizeSet(handle, size) || once) break;
    const int size = api.queueSizeGet(handle);
    if (granted) *granted = size;
    return handle;
}
