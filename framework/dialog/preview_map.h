// The preview's geometry: where the zoomed image lies in the client area, how client
// points map to image pixels and back, scroll ranges and what a paint must fetch.
// Pure arithmetic, so that the window code stays thin and the numbers are tested.
#pragma once
#include <cstdint>

#include "framework/host/filter_api.h"

constexpr float kMinZoom = 0.0625f;
constexpr float kMaxZoom = 16.0f;

struct Box {
    int left, top, right, bottom;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct PreviewGeometry {
    float zoom;        // screen pixels per image pixel
    int hPos, vPos;    // scroll positions, screen pixels of the zoomed image
    Box client;        // the preview's client rectangle
    Box imageFrame;    // where the zoomed image lies in the client area
    Box outRect;       // the output rectangle, absolute image coordinates
    int imageWidth() const { return outRect.width(); }
    int imageHeight() const { return outRect.height(); }
};

// The zoomed image centred in each axis where it is smaller than the client area.
Box computeImageFrame(const Box& client, int imageWidth, int imageHeight, float zoom);

// Client point -> image point relative to the output rectangle's top-left corner.
void clientToImage(const PreviewGeometry& g, int cx, int cy, int& ix, int& iy);
// Image rectangle (relative coordinates) -> client rectangle: every screen pixel that
// shows a pixel of `image` lies inside. Left and top edges are truncated; right and
// bottom edges are rounded up, which only matters below zoom 1: there a screen pixel
// stands for several image pixels and must be repainted when any of them changes.
Box imageToClient(const PreviewGeometry& g, const Box& image);

struct ScrollRange {
    int maximum;   // range 0..maximum
    bool enabled;  // the bar is usable only when the zoomed image is larger than the view
};
ScrollRange scrollRange(int imageExtent, float zoom, int clientExtent);

// What one paint of `update` (client coordinates, already clipped to the frame) asks the
// host to draw into the off-screen bitmap, and where the result is stretched to.
struct PaintFetch {
    int x0, y0, x1, y1;  // absolute image coordinates, widened to 8-pixel boundaries + 8
    Box destination;     // client rectangle for the stretch
};
PaintFetch paintFetch(const PreviewGeometry& g, const Box& update);
// Where the image block x0..x1, y0..y1 (absolute coordinates) is stretched to.
Box fetchDestination(const PreviewGeometry& g, int x0, int y0, int x1, int y1);

// The largest block one paint fetches in a client area at `zoom`: the view divided by
// the zoom, plus the 8-pixel widening and margin, at most the image. The off-screen
// bitmap the host draws into is this large (or smaller, and the paint goes in tiles).
struct Extent {
    int width, height;
};
Extent fetchExtent(const Box& client, float zoom, int imageWidth, int imageHeight);

// The pixel map for one block of the output buffer (absolute image coordinates x0..x1,
// y0..y1 within outRect): baseAddr at the block's first pixel, bounds and `source` at
// (0, 0) with the block's size, rowBytes, colBytes and planeBytes as the buffer has
// them. A host that ignores srcRect's top and left draws the same pixels as one that
// honours them. The mask phase is the block's real position, so that a host's
// transparency checkerboard lines up between blocks.
PSPixelMap blockPixelMap(const FilterRecord& r, int x0, int y0, int x1, int y1, VRect& source);

// The selection outline's rectangles: each maximal run of non-zero mask bytes of row y
// as (x0, y, x1, y + 1), row by row and left to right, handed to emit(const Box&).
template <class Emit>
void forEachMaskRun(const uint8_t* mask, intptr_t rowBytes, int width, int height, Emit&& emit) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = mask + intptr_t(y) * rowBytes;
        for (int x = 0; x < width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < width && row[x]) ++x;
            emit(Box{x0, y, x, y + 1});
        }
    }
}

// An outline rectangle (unzoomed, relative to the output rectangle) at `zoom`, before
// the frame and scroll offset: each edge e goes to floor(e x zoom); a rectangle that
// would vanish when zoomed out keeps one screen pixel, so thin parts stay outlined.
Box zoomOutlineRect(const Box& r, float zoom);

// Scroll positions that put the image point under (cx, cy) at the centre of the view at
// `newZoom`, before they are clamped into the new ranges.
void zoomAtTarget(const PreviewGeometry& g, int cx, int cy, float newZoom, int& h, int& v);

// Scroll-bar notification -> new position (SB_* codes), clamped into [minimum, maximum].
// Returns `position` for SB_ENDSCROLL.
int scrollTarget(int code, int position, int minimum, int maximum, int thumb);

// Zoom tool: a click doubles (or, zooming out, halves) within 1/16..16.
float clickZoom(float zoom, bool zoomOut);
// A zoom-in drag fits the dragged image area to the view: a whole number 1..16 or 1/16.
float fitZoom(int anchorX, int anchorY, int x, int y, float zoom, int clientWidth,
              int clientHeight);
