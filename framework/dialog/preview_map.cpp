#include "framework/dialog/preview_map.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Scroll-bar notification codes, as the window system numbers them.
enum : int {
    kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbPosition = 4,
    kThumbTrack = 5, kTop = 6, kBottom = 7, kEndScroll = 8,
};

int trunc8(int v) { return v / 8 * 8; }

}  // namespace

Box computeImageFrame(const Box& client, int imageWidth, int imageHeight, float zoom) {
    Box frame = client;
    int zw = int(float(imageWidth) * zoom);
    int zh = int(float(imageHeight) * zoom);
    if (zw < client.width()) {
        frame.left = (client.left + client.right - zw) / 2;
        frame.right = frame.left + zw;
    }
    if (zh < client.height()) {
        frame.top = (client.top + client.bottom - zh) / 2;
        frame.bottom = frame.top + zh;
    }
    return frame;
}

void clientToImage(const PreviewGeometry& g, int cx, int cy, int& ix, int& iy) {
    ix = int(float(g.hPos + cx - g.imageFrame.left) / g.zoom);
    iy = int(float(g.vPos + cy - g.imageFrame.top) / g.zoom);
}

Box imageToClient(const PreviewGeometry& g, const Box& image) {
    const float dx = float(g.imageFrame.left - g.hPos), dy = float(g.imageFrame.top - g.vPos);
    auto lo = [&](int e, float d) { return int(float(e) * g.zoom + d); };
    auto hi = [&](int e, float d) { return int(std::ceil(float(e) * g.zoom + d)); };
    return Box{lo(image.left, dx), lo(image.top, dy), hi(image.right, dx), hi(image.bottom, dy)};
}

ScrollRange scrollRange(int imageExtent, float zoom, int clientExtent) {
    int d = int(float(imageExtent) * zoom) - clientExtent;
    return d >= 1 ? ScrollRange{d, true} : ScrollRange{0, false};
}

PaintFetch paintFetch(const PreviewGeometry& g, const Box& update) {
    const Box& o = g.outRect;
    const float z = g.zoom;
    int x0 = o.left + int(float(update.left - g.imageFrame.left) / z) + int(float(g.hPos) / z);
    int y0 = o.top + int(float(update.top - g.imageFrame.top) / z) + int(float(g.vPos) / z);
    int w = int(float(update.width()) / z + 1.0f);
    int h = int(float(update.height()) / z + 1.0f);
    int x1 = std::min(int(o.right), x0 + w);
    int y1 = std::min(int(o.bottom), y0 + h);
    PaintFetch f;
    f.x0 = std::max(int(o.left), trunc8(x0) - 8);
    f.y0 = std::max(int(o.top), trunc8(y0) - 8);
    f.x1 = std::min(int(o.right), trunc8(x1) + 8);
    f.y1 = std::min(int(o.bottom), trunc8(y1) + 8);
    f.destination = fetchDestination(g, f.x0, f.y0, f.x1, f.y1);
    return f;
}

Box fetchDestination(const PreviewGeometry& g, int x0, int y0, int x1, int y1) {
    const float z = g.zoom;
    int dx = g.imageFrame.left - g.hPos + int(float(-g.outRect.left) * z);
    int dy = g.imageFrame.top - g.vPos + int(float(-g.outRect.top) * z);
    return Box{int(float(x0) * z) + dx, int(float(y0) * z) + dy, int(float(x1) * z) + dx,
               int(float(y1) * z) + dy};
}

Extent fetchExtent(const Box& client, float zoom, int imageWidth, int imageHeight) {
    // An update of u pixels fetches trunc(u / zoom + 1) image pixels; t8() - 8 moves the
    // left edge out by up to 15, t8() + 8 the right edge by up to 8.
    auto extent = [&](int view, int image) {
        int e = int(float(std::max(view, 0)) / zoom + 1.0f) + 24;
        return std::max(1, std::min(e, image));
    };
    return Extent{extent(client.width(), imageWidth), extent(client.height(), imageHeight)};
}

PSPixelMap blockPixelMap(const FilterRecord& r, int x0, int y0, int x1, int y1, VRect& source) {
    PSPixelMap map{};
    map.version = 1;
    map.bounds = VRect{0, 0, y1 - y0, x1 - x0};
    map.imageMode = r.imageMode;
    map.rowBytes = r.outRowBytes;
    map.colBytes = r.outHiPlane - r.outLoPlane + 1;
    map.planeBytes = 1;
    map.baseAddr = static_cast<uint8_t*>(r.outData) + intptr_t(y0 - r.outRect.top) * r.outRowBytes +
                   intptr_t(x0 - r.outRect.left) * map.colBytes;
    map.maskPhaseRow = y0;
    map.maskPhaseCol = x0;
    source = map.bounds;
    return map;
}

Box zoomOutlineRect(const Box& r, float zoom) {
    auto at = [zoom](int e) { return int(std::floor(float(e) * zoom)); };
    Box z{at(r.left), at(r.top), at(r.right), at(r.bottom)};
    if (z.right <= z.left) z.right = z.left + 1;
    if (z.bottom <= z.top) z.bottom = z.top + 1;
    return z;
}

void zoomAtTarget(const PreviewGeometry& g, int cx, int cy, float newZoom, int& h, int& v) {
    int ix, iy;
    clientToImage(g, cx, cy, ix, iy);
    h = int(float(ix) * newZoom) - g.client.width() / 2;
    v = int(float(iy) * newZoom) - g.client.height() / 2;
}

int scrollTarget(int code, int position, int minimum, int maximum, int thumb) {
    int page = (maximum - minimum) / 5;
    int p;
    switch (code) {
        case kLineUp: p = position - 1; break;
        case kLineDown: p = position + 1; break;
        case kPageUp: p = position - page; break;
        case kPageDown: p = position + page; break;
        case kThumbPosition:
        case kThumbTrack: p = thumb; break;
        case kTop: p = minimum; break;
        case kBottom: p = maximum; break;
        case kEndScroll: return position;
        default: p = minimum; break;
    }
    return std::clamp(p, minimum, maximum);
}

float clickZoom(float zoom, bool zoomOut) {
    if (zoomOut) {
        float z = zoom * 0.5f;
        return z <= kMinZoom ? kMinZoom : z;
    }
    float z = zoom * 2.0f;
    return z >= kMaxZoom ? kMaxZoom : z;
}

float fitZoom(int anchorX, int anchorY, int x, int y, float zoom, int clientWidth,
              int clientHeight) {
    int w = int(float(std::abs(anchorX - x)) / zoom);
    int h = int(float(std::abs(anchorY - y)) / zoom);
    if (w <= 1) w = 1;
    if (h <= 1) h = 1;
    float z = float(std::min(clientWidth / w, clientHeight / h));
    if (z <= kMinZoom) return kMinZoom;
    if (z >= kMaxZoom) return kMaxZoom;
    return z;
}
