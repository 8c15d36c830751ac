// wintab32.dll is loaded on demand and its functions found at run time (by ordinal or by
// name, as wintab.h says for this width): a static import would keep the module from
// loading on a machine without a tablet driver.
#include <windows.h>

#include "framework/tablet/wintab_api.h"

namespace {

HMODULE gLibrary;
WintabApi gApi;
bool gLoaded;

template <typename Proc>
bool resolve(Proc& proc, const WintabExport& e) {
    LPCSTR key = kWintabByOrdinal ? MAKEINTRESOURCEA(e.ordinal) : e.name;
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(gLibrary, key)));
    return proc != nullptr;
}

}  // namespace

const WintabApi* wintab() {
    if (gLoaded) return &gApi;
    if (!gLibrary) gLibrary = LoadLibraryA("wintab32.dll");
    if (!gLibrary) return nullptr;
    gLoaded = resolve(gApi.info, kWTInfoA) && resolve(gApi.open, kWTOpenA) &&
              resolve(gApi.close, kWTClose) && resolve(gApi.packetsGet, kWTPacketsGet) &&
              resolve(gApi.packet, kWTPacket) && resolve(gApi.overlap, kWTOverlap) &&
              resolve(gApi.queueSizeGet, kWTQueueSizeGet) && resolve(gApi.queueSizeSet, kWTQueueSizeSet);
    if (!gLoaded) releaseWintab();
    return gLoaded ? &gApi : nullptr;
}

void releaseWintab() {
    if (gLibrary) FreeLibrary(gLibrary);
    gLibrary = nullptr;
    gApi = WintabApi{};
    gLoaded = false;
}
