#include "framework/dialog/preview_win.h"

#include <algorithm>
#include <vector>

#include "framework/dialog/tools_win.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/plugin_globals.h"
#include "resources/common/art_ids.h"

namespace {

constexpr UINT_PTR kAntsTimer = 0;
constexpr UINT kAntsPeriodMs = 100;

struct ProxyView {
    HWND window;
    HDC screenDC;
    HDC memoryDC;
    HBITMAP offscreen;
    HGDIOBJ savedBitmap;
    bool realizePalette;
    HWND hScroll, vScroll;
    Box imageFrame;
    std::vector<uint8_t> outlineData;  // region data in unzoomed image coordinates
    HRGN outlineRegion;
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

void onCreate(HWND window) {
    gView.window = window;
    gView.screenDC = GetDC(window);
    gView.realizePalette = (GetDeviceCaps(gView.screenDC, RASTERCAPS) & RC_PALETTE) != 0;
    gView.memoryDC = CreateCompatibleDC(gView.screenDC);
    // Sized in absolute image coordinates: always at least the filtered area.
    const FilterRecord& r = record();
    gView.offscreen = CreateCompatibleBitmap(gView.screenDC, r.filterRect.right > 0 ? r.filterRect.right : 1,
                                             r.filterRect.bottom > 0 ? r.filterRect.bottom : 1);
    gView.savedBitmap = SelectObject(gView.memoryDC, gView.offscreen);
    publishZoom();
}

void onDestroy() {
    KillTimer(gView.window, kAntsTimer);
    RemovePropA(gView.window, "KestrixZoom");
    SelectObject(gView.memoryDC, gView.savedBitmap);
    DeleteObject(gView.offscreen);
    DeleteDC(gView.memoryDC);
    ReleaseDC(gView.window, gView.screenDC);
    discardOutline();
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
    if (f.x1 <= f.x0 || f.y1 <= f.y0) return;
    PSPixelMap map{};
    map.version = 1;
    map.bounds = VRect{r.outRect.top, r.outRect.left, r.outRect.bottom, r.outRect.right};
    map.imageMode = r.imageMode;
    map.rowBytes = r.outRowBytes;
    map.colBytes = r.outHiPlane - r.outLoPlane + 1;
    map.planeBytes = 1;
    map.baseAddr = r.outData;
    VRect source{f.y0, f.x0, f.y1, f.x1};
    r.displayPixels(&map, &source, 0, 0, gView.memoryDC);

    if (gView.realizePalette) {
        HPALETTE palette = static_cast<HPALETTE>(GetCurrentObject(gView.memoryDC, OBJ_PAL));
        SelectPalette(gView.screenDC, palette, FALSE);
        RealizePalette(gView.screenDC);
        gView.realizePalette = false;
    }
    SetStretchBltMode(gView.screenDC, COLORONCOLOR);
    StretchBlt(gView.screenDC, f.destination.left, f.destination.top, f.destination.width(),
               f.destination.height(), gView.memoryDC, 0, 0, f.x1 - f.x0, f.y1 - f.y0, SRCCOPY);

    if (r.haveMask && !gView.outlineRegion && !gView.outlineData.empty()) {
        XFORM xf{g.zoom, 0, 0, g.zoom, float(g.imageFrame.left - g.hPos),
                 float(g.imageFrame.top - g.vPos)};
        gView.outlineRegion = ExtCreateRegion(
            &xf, DWORD(gView.outlineData.size()),
            reinterpret_cast<const RGNDATA*>(gView.outlineData.data()));
    }
}

void eraseBackground(HDC dc) {
    HBRUSH brush = patternBrush(KX_BMP_CHECKER);
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

LRESULT CALLBACK previewProc(HWND window, UINT message, WPARAM w, LPARAM l) {
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

}  // namespace

bool registerPreviewClass() {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = previewProc;
    wc.hInstance = moduleInstance();
    wc.lpszClassName = "ProxyWndClass";
    return RegisterClassA(&wc) != 0;
}

void unregisterPreviewClass() { UnregisterClassA("ProxyWndClass", moduleInstance()); }

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
    return CreateWindowExA(0, "ProxyWndClass", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
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
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const auto* mask = static_cast<const uint8_t*>(r.maskData);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = mask + intptr_t(y) * r.maskRowBytes;
        for (int x = 0; x < width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            int x0 = x;
            while (x < width && row[x]) ++x;
            HRGN run = CreateRectRgn(x0, y, x, y + 1);
            CombineRgn(region, region, run, RGN_OR);
            DeleteObject(run);
        }
    }
    DWORD size = GetRegionData(region, 0, nullptr);
    gView.outlineData.assign(size, 0);
    if (size) GetRegionData(region, size, reinterpret_cast<RGNDATA*>(gView.outlineData.data()));
    DeleteObject(region);
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
