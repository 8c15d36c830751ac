// The texture bitmaps from the plug-in's own resources, decoded by the portable decoder
// (not by GDI), so the dialog prepares exactly what a native replay prepares.
#include <windows.h>

#include "filters/texture_common/texture_dialog_win.h"
#include "filters/texture_common/texture_source.h"
#include "framework/host/module_instance_win.h"

namespace {

bool fromResources(const char*, int resourceId, const char*, DecodedBitmap& out) {
    HINSTANCE instance = moduleInstance();
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (!found) return false;
    HGLOBAL loaded = LoadResource(instance, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return false;
    return decodeDib(static_cast<const uint8_t*>(data), SizeofResource(instance, found), out) ==
           BitmapError::none;
}

}  // namespace

void useModuleResources() { setBitmapLoader(fromResources); }
