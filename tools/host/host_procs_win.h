// Host callbacks that don't depend on the filter session: displayPixels and colorServices.
#pragma once
#include <windows.h>

#include "filter_api.h"
#include "image_file.h"

// Window that owns the colour picker (the host's main window).
void setHostProcsOwner(HWND owner);

OSErr KX_CDECL hostDisplayPixels(const PSPixelMap* source, const VRect* srcRect, int32_t dstRow,
                                 int32_t dstCol, void* platformContext);
OSErr KX_CDECL hostColorServices(ColorServicesInfo* info);

// Draws a whole host image into dst (scaled with StretchDIBits), converted as displayPixels does.
void drawImage(HDC dc, const Image& img, const RECT& dst);
