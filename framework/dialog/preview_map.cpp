#include "framework/dialog/preview_map.h"

#include <algorithm>
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
    auto hx = [&](int e) { return int(float(e) * g.zoom + float(g.imageFrame.left - g.hPos)); };
    auto vy = [&](int e) { return int(float(e) * g.zoom + float(g.imageFrame.top - g.vPos)); };
    return Box{hx(image.left), vy(image.top), hx(image.right), vy(image.bottom)};
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
    int dx = g.imageFrame.left - g.hPos + int(float(-o.left) * z);
    int dy = g.imageFrame.top - g.vPos + int(float(-o.top) * z);
    f.destination = Box{int(float(f.x0) * z) + dx, int(float(f.y0) * z) + dy,
                        int(float(f.x1) * z) + dx, int(float(f.y1) * z) + dy};
    return f;
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
