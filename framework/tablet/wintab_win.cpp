// wintab32.dll is loaded on demand and its functions found by ordinal: a static
// import would keep the module from loading on a machine without a tablet driver.
#include <windows.h>

#include "framework/tablet/wintab_api.h"

namespace {

HMODULE gLibrary;
WintabApi gApi;
bool gLoaded;

template <typename Proc>
bool resolve(Proc& proc, WORD ordinal) {
    proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(
        GetProcAddress(gLibrary, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(ordinal)))));
    return proc != nullptr;
}

}  // namespace

const WintabApi* wintab() {
    if (gLoaded) return &gApi;
    if (!gLibrary) gLibrary = LoadLibraryA("wintab32.dll");
    if (!gLibrary) return nullptr;
    gLoaded = resolve(gApi.info, kOrdWTInfoA) && resolve(gApi.open, kOrdWTOpenA) &&
              resolve(gApi.close, kOrdWTClose) && resolve(gApi.packetsGet, kOrdWTPacketsGet) &&
              resolve(gApi.packet, kOrdWTPacket) && resolve(gApi.overlap, kOrdWTOverlap) &&
              resolve(gApi.queueSizeGet, kOrdWTQueueSizeGet) &&
              resolve(gApi.queueSizeSet, kOrdWTQueueSizeSet);
    if (!gLoaded) releaseWintab();
    return gLoaded ? &gApi : nullptr;
}

void releaseWintab() {
    if (gLibrary) FreeLibrary(gLibrary);
    gLibrary = nullptr;
    gApi = WintabApi{};
    gLoaded = false;
}
