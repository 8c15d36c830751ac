// Host callbacks that don't depend on the filter session: displayPixels and colorServices.
#pragma once
#include <windows.h>

#include "filter_api.h"
#include "image_file.h"

// Window that owns the colour picker (the host's main window).
void setHostProcsOwner(HWND owner);

// Makes displayPixels behave like hosts that ignore srcRect's top and left: they draw the
// srcRect-sized block at the pixel map's origin (bounds.top, bounds.left), whatever part
// of the map was asked for. Such a host, in grayscale, also copies rows into a bitmap
// only as high as the rectangle starting at srcRect.top, writing past its end whenever
// top > 0; this host counts those calls (report key displayPixels.rowOverruns) instead of
// corrupting its memory.
void setDisplayIgnoresOrigin(bool ignore);
// ConvertColor and GetSpecialColor answer -30900 (unsupported) when `unsupported`.
void setColorConversionUnsupported(bool unsupported);
// ChooseColor answers `rgb` without showing a picker (null: the system's colour box).
void setChosenColor(const int* rgb);

// Reports its calls, errors and the largest bitmap selected into a device context it drew
// into (displayPixels.calls, .errors, .lastError, .largestTarget "width,height").
OSErr KX_CDECL hostDisplayPixels(const PSPixelMap* source, const VRect* srcRect, int32_t dstRow,
                                 int32_t dstCol, void* platformContext);
OSErr KX_CDECL hostColorServices(ColorServicesInfo* info);

// Draws a whole host image into dst (scaled with StretchDIBits), converted as displayPixels does.
void drawImage(HDC dc, const Image& img, const RECT& dst);
