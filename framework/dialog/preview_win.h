// The preview window (ProxyView): shows the result buffer through the host's
// displayPixels, zoomed and scrolled, framed, on a checkerboard, with marching ants.
#pragma once
#include <windows.h>

#include "framework/dialog/preview_map.h"

constexpr int kPreviewId = 1012;
constexpr int kVScrollId = 1013;
constexpr int kHScrollId = 1015;

bool registerPreviewClass();
void unregisterPreviewClass();

// Replaces the template's placeholder control 1012 by the preview.
HWND createPreview(HWND dialog);
HWND previewWindow();

// The selection outline, once per dialog; starts the ants timer when there is a mask.
void buildSelectionOutline();

// Current mapping state (zoom, scroll positions, client, image frame, output rectangle).
PreviewGeometry previewGeometry();
bool pointInImageFrame(int cx, int cy);

void zoomAt(int cx, int cy, float newZoom);
// Scroll-bar handling; `thumb` is the 32-bit thumb position for SB_THUMB*.
void previewScrollBy(bool horizontal, int code, int thumb);
// Scroll to an absolute position (hand tool), clamped into the range.
void previewScrollTo(bool horizontal, int position);
void updateScrollRanges();
// Repaint an image rectangle (relative coordinates) at the next WM_PAINT.
void invalidateImageRect(const Box& image);
void invalidatePreview(bool erase);
