#include "framework/dialog/preview_win.h"
#include "framework/host/module.h"

#include <algorithm>
#include <cstdlib>

#include "framework/dialog/tools_win.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/plugin_globals.h"
#include "resources/common/art_ids.h"

namespace {

constexpr UINT_PTR kAntsTimer = 0;
constexpr UINT kAntsPeriodMs = 100;
// Largest side of the off-screen bitmap: 2048 x 2048 at 32 bits is 16 MB, which a 32-bit
// host can spare. Fetches larger than that (far zoomed out on a large view) go in tiles.
constexpr int kMaxOffscreen = 2048;

struct ProxyView {
    HWND window;
    HDC screenDC;
    HDC memoryDC;
    HBITMAP offscreen;      // what the host draws into: offscreenSize, see fitOffscreen
    Extent offscreenSize;
    HGDIOBJ savedBitmap;
    bool realizePalette;
    HWND hScroll, vScroll;
    Box imageFrame;
    uint8_t* outlineData;   // region data in unzoomed image coordinates (malloc), or null
    HRGN zoomedOutline;     // the outline at zoomedFor, before the frame and scroll offset
    float zoomedFor;
    HRGN outlineRegion;     // zoomedOutline placed for the current scroll position
    int antsPhase;  // 0..7
};

ProxyView gView;

FilterRecord& record() { return *gPlugin.record; }

Box toBox(const RECT& r) { return Box{int(r.left), int(r.top), int(r.right), int(r.bottom)}; }

Box outBox() {
    const Rect16& o = record().outRect;
    return Box{o.left, o.top, o.right, o.bottom};
}

int scrollPos(HWND bar) {
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &si);
    return si.nPos;
}

void discardOutline() {
    if (gView.outlineRegion) DeleteObject(gView.outlineRegion);
    gView.outlineRegion = nullptr;
}

Box clientBox() {
    RECT rc;
    GetClientRect(gView.window, &rc);
    return toBox(rc);
}

void publishZoom() {
    // Tests and tools read the zoom from outside the dialog.
    SetPropA(gView.window, "KestrixZoom",
             reinterpret_cast<HANDLE>(static_cast<intptr_t>(gPlugin.zoom * 65536.0f)));
}

HBRUSH patternBrush(int bitmapId) {
    HBITMAP bitmap = LoadBitmapA(moduleInstance(), MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return nullptr;
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

// The union of many rectangles, as a region. One ExtCreateRegion over all of them is
// not enough: Wine unites its rectangles one at a time, copying the region built so far
// each time (40,000 one-pixel runs take 70 s there), as one CombineRgn per run does (a
// 200,000-run selection kept the dialog from opening for 187 s). Here chunks of kChunk
// rectangles become regions that are united pairwise like the digits of a binary
// counter, so each rectangle is copied about log2(n / kChunk) times (200,000 runs:
// 0.07 s under Wine). No heap: a failed GDI call leaves no region, and no ants.
class RegionBuilder {
public:
    RegionBuilder() { data_.header = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 0, 0, {}}; }
    ~RegionBuilder() {
        while (depth_) DeleteObject(stack_[--depth_].region);
    }
    RegionBuilder(const RegionBuilder&) = delete;
    RegionBuilder& operator=(const RegionBuilder&) = delete;

    void add(const Box& b) {
        data_.rects[count_++] = RECT{b.left, b.top, b.right, b.bottom};
        if (count_ == kChunk) flush();
    }

    // The union of everything added (an empty region for nothing), or null on failure.
    HRGN finish() {
        flush();
        HRGN all = depth_ ? stack_[--depth_].region : CreateRectRgn(0, 0, 0, 0);
        while (depth_ && all) unite(all, stack_[--depth_].region);
        if (failed_ && all) DeleteObject(all);
        return failed_ ? nullptr : all;
    }

private:
    static constexpr int kChunk = 16;

    void unite(HRGN into, HRGN other) {
        if (CombineRgn(into, into, other, RGN_OR) == ERROR) failed_ = true;
        DeleteObject(other);
    }

    void flush() {
        if (!count_ || failed_) {
            count_ = 0;
            return;
        }
        RECT& bound = data_.header.rcBound;
        bound = data_.rects[0];
        for (int i = 1; i < count_; ++i) {
            const RECT& r = data_.rects[i];
            bound = RECT{std::min(bound.left, r.left), std::min(bound.top, r.top),
                         std::max(bound.right, r.right), std::max(bound.bottom, r.bottom)};
        }
        data_.header.nCount = DWORD(count_);
        data_.header.nRgnSize = DWORD(count_ * sizeof(RECT));
        HRGN region = ExtCreateRegion(nullptr, DWORD(sizeof(RGNDATAHEADER) + count_ * sizeof(RECT)),
                                      reinterpret_cast<const RGNDATA*>(&data_));
        count_ = 0;
        if (!region) {
            failed_ = true;
            return;
        }
        // The stack's levels fall from bottom to top, so it never holds more than
        // log2(chunks) + 1 regions.
        int level = 0;
        while (depth_ && stack_[depth_ - 1].level == level) {
            unite(region, stack_[--depth_].region);
            ++level;
        }
        stack_[depth_++] = Pending{region, level};
    }

    struct {
        RGNDATAHEADER header;
        RECT rects[kChunk];
    } data_;
    int count_ = 0;
    struct Pending {
        HRGN region;
        int level;
    } stack_[64];
    int depth_ = 0;
    bool failed_ = false;
};

const RGNDATA* outline() { return reinterpret_cast<const RGNDATA*>(gView.outlineData); }

// The outline at `zoom`, before the offset of the frame and the scroll position.
HRGN zoomOutline(float zoom) {
    const RGNDATA* data = outline();
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    RegionBuilder builder;
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        builder.add(zoomOutlineRect(toBox(rects[i]), zoom));
    return builder.finish();
}

// The off-screen bitmap holds what one paint fetches at the current zoom and client size
// (fetchExtent), at most kMaxOffscreen a side; it follows every zoom and resize. When the
// system cannot make it that large, it is halved until it can be made.
void fitOffscreen() {
    if (!gView.memoryDC || !gPlugin.record) return;
    const Box o = outBox();
    Extent want = fetchExtent(clientBox(), gPlugin.zoom, o.width(), o.height());
    want.width = std::min(want.width, kMaxOffscreen);
    want.height = std::min(want.height, kMaxOffscreen);
    if (gView.offscreen && want.width == gView.offscreenSize.width &&
        want.height == gView.offscreenSize.height)
        return;
    if (gView.offscreen) {
        SelectObject(gView.memoryDC, gView.savedBitmap);
        DeleteObject(gView.offscreen);
        gView.offscreen = nullptr;
    }
    for (;;) {
        gView.offscreen = CreateCompatibleBitmap(gView.screenDC, want.width, want.height);
        if (gView.offscreen || (want.width <= 16 && want.height <= 16)) break;
        want.width = std::max(16, want.width / 2 / 16 * 16);
        want.height = std::max(16, want.height / 2 / 16 * 16);
    }
    gView.offscreenSize = gView.offscreen ? want : Extent{0, 0};
    if (gView.offscreen) {
        HGDIOBJ previous = SelectObject(gView.memoryDC, gView.offscreen);
        if (!gView.savedBitmap) gView.savedBitmap = previous;
    }
}

void onCreate(HWND window) {
    gView.window = window;
    gView.screenDC = GetDC(window);
    gView.realizePalette = (GetDeviceCaps(gView.screenDC, RASTERCAPS) & RC_PALETTE) != 0;
    gView.memoryDC = CreateCompatibleDC(gView.screenDC);
    fitOffscreen();
    publishZoom();
}

void onDestroy() {
    KillTimer(gView.window, kAntsTimer);
    RemovePropA(gView.window, "KestrixZoom");
    if (gView.savedBitmap) SelectObject(gView.memoryDC, gView.savedBitmap);
    if (gView.offscreen) DeleteObject(gView.offscreen);
    DeleteDC(gView.memoryDC);
    ReleaseDC(gView.window, gView.screenDC);
    discardOutline();
    if (gView.zoomedOutline) DeleteObject(gView.zoomedOutline);
    std::free(gView.outlineData);
    gView = ProxyView{};
}

void paint(const RECT& update) {
    FilterRecord& r = record();
    PreviewGeometry g = previewGeometry();
    gView.imageFrame = g.imageFrame;
    Box u = toBox(update);
    u.left = std::max(u.left, g.imageFrame.left);
    u.top = std::max(u.top, g.imageFrame.top);
    u.right = std::min(u.right, g.imageFrame.right);
    u.bottom = std::min(u.bottom, g.imageFrame.bottom);
    if (u.left >= u.right || u.top >= u.bottom || !r.outData || !r.displayPixels) return;

    RECT frame{g.imageFrame.left - 1, g.imageFrame.top - 1, g.imageFrame.right + 1,
               g.imageFrame.bottom + 1};
    FrameRect(gView.screenDC, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    PaintFetch f = paintFetch(g, u);
    if (f.x1 <= f.x0 || f.y1 <= f.y0 || !gView.offscreen) return;
    // One block when the bitmap holds the whole fetch (always, unless it is far zoomed
    // out on a large view or the bitmap had to be made smaller). Each block goes to the
    // host as a pixel map of its own, starting at (0, 0): hosts that ignore srcRect's top
    // and left draw it right too.
    SetStretchBltMode(gView.screenDC, COLORONCOLOR);
    const int tileWidth = gView.offscreenSize.width, tileHeight = gView.offscreenSize.height;
    for (int y0 = f.y0; y0 < f.y1; y0 += tileHeight) {
        for (int x0 = f.x0; x0 < f.x1; x0 += tileWidth) {
            const int x1 = std::min(f.x1, x0 + tileWidth), y1 = std::min(f.y1, y0 + tileHeight);
            VRect source;
            PSPixelMap map = blockPixelMap(r, x0, y0, x1, y1, source);
            r.displayPixels(&map, &source, 0, 0, gView.memoryDC);
            if (gView.realizePalette) {
                HPALETTE palette = static_cast<HPALETTE>(GetCurrentObject(gView.memoryDC, OBJ_PAL));
                SelectPalette(gView.screenDC, palette, FALSE);
                RealizePalette(gView.screenDC);
                gView.realizePalette = false;
            }
            Box d = fetchDestination(g, x0, y0, x1, y1);
            StretchBlt(gView.screenDC, d.left, d.top, d.width(), d.height(), gView.memoryDC, 0, 0,
                       x1 - x0, y1 - y0, SRCCOPY);
        }
    }

    if (r.haveMask && !gView.outlineRegion && gView.outlineData) {
        // The rectangles are placed by hand rather than by an ExtCreateRegion transform,
        // which Wine applies one rectangle at a time (see RegionBuilder).
        if (gView.zoomedOutline && gView.zoomedFor != g.zoom) {
            DeleteObject(gView.zoomedOutline);
            gView.zoomedOutline = nullptr;
        }
        if (!gView.zoomedOutline) {
            gView.zoomedOutline = zoomOutline(g.zoom);
            gView.zoomedFor = g.zoom;
        }
        HRGN placed = gView.zoomedOutline ? CreateRectRgn(0, 0, 0, 0) : nullptr;
        if (placed && CombineRgn(placed, gView.zoomedOutline, nullptr, RGN_COPY) != ERROR &&
            OffsetRgn(placed, g.imageFrame.left - g.hPos, g.imageFrame.top - g.vPos) != ERROR) {
            gView.outlineRegion = placed;
        } else if (placed) {
            DeleteObject(placed);
        }
    }
}

void eraseBackground(HDC dc) {
    const int checker = moduleIds(currentModule()).checkerBitmapId;
    HBRUSH brush = patternBrush(checker ? checker : KX_BMP_CHECKER);
    if (!brush) return;
    PreviewGeometry g = previewGeometry();
    // The checkerboard moves with the image: its origin follows the scroll position.
    SetBrushOrgEx(dc, 7 - g.hPos % 8, 7 - g.vPos % 8, nullptr);
    RECT rc;
    GetClientRect(gView.window, &rc);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

void marchAnts() {
    if (!gView.outlineRegion) return;
    HBRUSH brush = patternBrush(KX_BMP_ANTS_FIRST + gView.antsPhase);
    gView.antsPhase = (gView.antsPhase + 1) % 8;
    if (!brush) return;
    FrameRgn(gView.screenDC, gView.outlineRegion, brush, 1, 1);
    DeleteObject(brush);
}

LRESULT handle(HWND window, UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_CREATE:
            onCreate(window);
            return 0;
        case WM_DESTROY:
            onDestroy();
            return 0;
        case WM_SIZE:
            updateScrollRanges();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(window, &ps);
            if (gPlugin.record) paint(ps.rcPaint);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            eraseBackground(reinterpret_cast<HDC>(w));
            return 1;
        case WM_TIMER:
            marchAnts();
            return 0;
        case WM_SETCURSOR:
            setToolCursor();
            return 1;
        case WM_LBUTTONDBLCLK:
            // The class takes double clicks; the second press of one is still a press
            // (two quick zoom clicks zoom twice).
            previewMouse(WM_LBUTTONDOWN, short(LOWORD(l)), short(HIWORD(l)));
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
            previewMouse(message, short(LOWORD(l)), short(HIWORD(l)));
            return 0;
        default:
            return DefWindowProcA(window, message, w, l);
    }
}

// No C++ exception may unwind into the system's message dispatch (it would end the
// host): one that escapes the handlers (std::bad_alloc from the tools, say) ends here
// and the message counts as handled.
LRESULT CALLBACK previewProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    try {
        return handle(window, message, w, l);
    } catch (...) {
        if (message == WM_PAINT) ValidateRect(window, nullptr);  // or WM_PAINT comes back at once
        return message == WM_SETCURSOR || message == WM_ERASEBKGND ? 1 : 0;
    }
}

}  // namespace

bool registerPreviewClass() {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = previewProc;
    wc.hInstance = moduleInstance();
    wc.lpszClassName = moduleIds(currentModule()).previewClass;
    return RegisterClassA(&wc) != 0;
}

void unregisterPreviewClass() { UnregisterClassA(moduleIds(currentModule()).previewClass, moduleInstance()); }

HWND createPreview(HWND dialog) {
    HWND placeholder = GetDlgItem(dialog, kPreviewId);
    RECT rc{0, 0, 0, 0};
    if (placeholder) {
        GetWindowRect(placeholder, &rc);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
        DestroyWindow(placeholder);
    }
    gView.hScroll = GetDlgItem(dialog, kHScrollId);
    gView.vScroll = GetDlgItem(dialog, kVScrollId);
    return CreateWindowExA(0, moduleIds(currentModule()).previewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                           rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, dialog,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(kPreviewId)),
                           moduleInstance(), nullptr);
}

HWND previewWindow() { return gView.window; }

void buildSelectionOutline() {
    const FilterRecord& r = record();
    if (!r.haveMask || !r.maskData) return;
    const int width = r.filterRect.right - r.filterRect.left;
    const int height = r.filterRect.bottom - r.filterRect.top;
    // The runs come row by row, left to right; one region is built from all of them.
    RegionBuilder builder;
    forEachMaskRun(static_cast<const uint8_t*>(r.maskData), r.maskRowBytes, width, height,
                   [&builder](const Box& run) { builder.add(run); });
    std::free(gView.outlineData);
    gView.outlineData = nullptr;
    if (HRGN region = builder.finish()) {
        // Without the memory the selection is simply not outlined.
        DWORD size = GetRegionData(region, 0, nullptr);
        auto* data = static_cast<uint8_t*>(size ? std::malloc(size) : nullptr);
        if (data && GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data)))
            gView.outlineData = data;
        else
            std::free(data);
        DeleteObject(region);
    }
    SetTimer(gView.window, kAntsTimer, kAntsPeriodMs, nullptr);
}

PreviewGeometry previewGeometry() {
    PreviewGeometry g{};
    g.zoom = gPlugin.zoom;
    g.hPos = scrollPos(gView.hScroll);
    g.vPos = scrollPos(gView.vScroll);
    g.client = clientBox();
    g.outRect = outBox();
    g.imageFrame = computeImageFrame(g.client, g.imageWidth(), g.imageHeight(), g.zoom);
    return g;
}

bool pointInImageFrame(int cx, int cy) {
    Box f = previewGeometry().imageFrame;
    return cx >= f.left && cx <= f.right && cy >= f.top && cy <= f.bottom;
}

void updateScrollRanges() {
    if (!gView.window || !gPlugin.record) return;
    PreviewGeometry g = previewGeometry();
    auto apply = [](HWND bar, ScrollRange range) {
        SCROLLINFO si{sizeof si, SIF_RANGE, 0, range.maximum, 0, 0, 0};
        SetScrollInfo(bar, SB_CTL, &si, TRUE);
        EnableWindow(bar, range.enabled);
    };
    apply(gView.hScroll, scrollRange(g.imageWidth(), g.zoom, g.client.width()));
    apply(gView.vScroll, scrollRange(g.imageHeight(), g.zoom, g.client.height()));
    discardOutline();
    fitOffscreen();
}

void zoomAt(int cx, int cy, float newZoom) {
    int h, v;
    zoomAtTarget(previewGeometry(), cx, cy, newZoom, h, v);
    gPlugin.zoom = newZoom;
    publishZoom();
    SendMessageA(gView.window, WM_SIZE, 0, 0);
    auto place = [](HWND bar, int pos) {
        SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
        GetScrollInfo(bar, SB_CTL, &si);
        si.fMask = SIF_POS;
        si.nPos = std::max(si.nMin, std::min(pos, si.nMax));
        SetScrollInfo(bar, SB_CTL, &si, TRUE);
    };
    place(gView.hScroll, h);
    place(gView.vScroll, v);
    discardOutline();
    InvalidateRect(gView.window, nullptr, TRUE);
}

void previewScrollBy(bool horizontal, int code, int thumb) {
    HWND bar = horizontal ? gView.hScroll : gView.vScroll;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS | SIF_TRACKPOS, 0, 0, 0, 0, 0};
    GetScrollInfo(bar, SB_CTL, &si);
    // Thumb positions come from the bar in 32 bits: the message's 16-bit word cannot
    // carry a zoomed image wider than 65535 screen pixels.
    if ((code == SB_THUMBTRACK || code == SB_THUMBPOSITION) && thumb < 0) thumb = si.nTrackPos;
    int p = si.nPos;
    int target = scrollTarget(code, p, si.nMin, si.nMax, thumb);
    if (target == p) return;
    si.fMask = SIF_POS;
    si.nPos = target;
    SetScrollInfo(bar, SB_CTL, &si, TRUE);
    if (horizontal)
        ScrollWindow(gView.window, p - target, 0, nullptr, nullptr);
    else
        ScrollWindow(gView.window, 0, p - target, nullptr, nullptr);
    discardOutline();
    UpdateWindow(gView.window);
}

void previewScrollTo(bool horizontal, int position) {
    previewScrollBy(horizontal, SB_THUMBPOSITION, position);
}

void invalidateImageRect(const Box& image) {
    Box c = imageToClient(previewGeometry(), image);
    RECT rc{c.left, c.top, c.right, c.bottom};
    InvalidateRect(gView.window, &rc, FALSE);
}

void invalidatePreview(bool erase) { InvalidateRect(gView.window, nullptr, erase); }
