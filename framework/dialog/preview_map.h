// The preview's geometry: where the zoomed image lies in the client area, how client
// points map to image pixels and back, scroll ranges and what a paint must fetch.
// Pure arithmetic, so that the window code stays thin and the numbers are tested.
#pragma once

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
// Image rectangle (relative coordinates) -> client rectangle.
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
