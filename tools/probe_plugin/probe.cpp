// probe.8bf: a test module for the reference host. What it does is chosen by environment
// variables so one module covers every host test:
//   PROBE_MODE     invert (default) | mask | pad | overrun | underrun | display | color |
//                  msgbox | result | nulls | params | rows | rate | hang
//   PROBE_LOG      file that gets "key=value" lines of what the probe saw (appended)
//   PROBE_PAD      pad mode: pixels the input request reaches past each side (default 2)
//   PROBE_PADDING  pad mode: inputPadding to ask for (default -1, edge replication)
//   PROBE_DUMP_IN  pad mode: file that gets the raw inData rows
//   PROBE_RESULT   result mode: the code Start returns after writing inverted pixels
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "filter_api.h"

namespace {

std::string env(const char* name, const char* fallback = "") {
    char buf[1024];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string(fallback);
}

void log(const std::string& key, const std::string& value) {
    std::string path = env("PROBE_LOG");
    if (path.empty()) return;
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fprintf(f, "%s=%s\n", key.c_str(), value.c_str());
        std::fclose(f);
    }
}
void log(const std::string& key, long long value) { log(key, std::to_string(value)); }

std::string hexBytes(const uint8_t* p, size_t n) {
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

int colorPlanes(int16_t mode) { return mode == 4 ? 4 : mode == 3 ? 3 : 1; }

void requestWhole(FilterRecord* r, int16_t padding) {
    r->inRect = r->outRect = r->filterRect;
    r->inLoPlane = r->outLoPlane = 0;
    r->inHiPlane = r->outHiPlane = int16_t(r->planes - 1);
    r->inputPadding = r->outputPadding = padding;
    if (r->haveMask) {
        r->maskRect = r->filterRect;
        r->maskPadding = padding;
    }
}

void emptyRects(FilterRecord* r) {
    r->inRect = r->outRect = r->maskRect = Rect16{0, 0, 0, 0};
}

// out = 255 - in for the colour planes, alpha copied, over rows [top, bottom) of
// buffers that start at row `bufTop`.
void invertRows(FilterRecord* r, int top, int bottom, int bufTop) {
    const int w = r->filterRect.right - r->filterRect.left;
    const int colour = colorPlanes(r->imageMode);
    for (int y = top; y < bottom; ++y) {
        auto* in = static_cast<const uint8_t*>(r->inData) + (y - bufTop) * r->inRowBytes;
        auto* out = static_cast<uint8_t*>(r->outData) + (y - bufTop) * r->outRowBytes;
        for (int i = 0; i < w * r->planes; ++i) out[i] = (i % r->planes) < colour ? uint8_t(255 - in[i]) : in[i];
    }
}

int16_t startInvert(FilterRecord* r, bool fromMask) {
    requestWhole(r, plugInWantsEdgeReplication);
    OSErr e = r->advanceState();
    log("advanceState", e);
    if (e) return e;
    const int h = r->filterRect.bottom - r->filterRect.top, w = r->filterRect.right - r->filterRect.left;
    if (fromMask) {
        log("maskData.null", r->maskData == nullptr);
        if (!r->maskData) return -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int p = 0; p < r->planes; ++p)
                    static_cast<uint8_t*>(r->outData)[y * r->outRowBytes + x * r->planes + p] =
                        static_cast<const uint8_t*>(r->maskData)[y * r->maskRowBytes + x];
    } else {
        invertRows(r, 0, h, 0);
    }
    emptyRects(r);
    return 0;
}

int16_t startPad(FilterRecord* r) {
    const int pad = std::atoi(env("PROBE_PAD", "2").c_str());
    requestWhole(r, int16_t(std::atoi(env("PROBE_PADDING", "-1").c_str())));
    r->inRect.top -= pad, r->inRect.left -= pad, r->inRect.bottom += pad, r->inRect.right += pad;
    OSErr e = r->advanceState();
    log("advanceState", e);
    if (e) return e;
    log("inRowBytes", r->inRowBytes);
    const int h = r->inRect.bottom - r->inRect.top;
    std::string path = env("PROBE_DUMP_IN");
    if (FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "wb")) {
        for (int y = 0; y < h; ++y) std::fwrite(static_cast<uint8_t*>(r->inData) + y * r->inRowBytes, 1, size_t(r->inRowBytes), f);
        std::fclose(f);
    }
    emptyRects(r);
    return 0;
}

int16_t startDisplay(FilterRecord* r) {
    requestWhole(r, plugInWantsEdgeReplication);
    if (OSErr e = r->advanceState()) return e;
    PSPixelMap map = {};
    map.version = 1;
    map.bounds = {r->filterRect.top, r->filterRect.left, r->filterRect.bottom, r->filterRect.right};
    map.imageMode = r->imageMode;
    map.rowBytes = r->inRowBytes;
    map.colBytes = r->planes;
    map.planeBytes = 1;
    map.baseAddr = r->inData;
    HWND w = reinterpret_cast<HWND>(r->platformData->hwnd);
    HDC dc = GetDC(w);
    log("display.good", r->displayPixels(&map, &map.bounds, 0, 0, dc));
    COLORREF c = GetPixel(dc, 0, 0);
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    log("display.pixel00", rgb);
    VRect outside = map.bounds;
    outside.right += 1;
    log("display.badRect", r->displayPixels(&map, &outside, 0, 0, dc));
    map.version = 0;
    log("display.badVersion", r->displayPixels(&map, &map.bounds, 0, 0, dc));
    ReleaseDC(w, dc);
    emptyRects(r);
    return 0;
}

int16_t startColor(FilterRecord* r) {
    ColorServicesInfo ci = {};
    ci.infoSize = sizeof ci;
    ci.selector = plugIncolorServicesConvertColor;
    ci.sourceSpace = plugIncolorServicesRGBSpace;
    ci.resultSpace = plugIncolorServicesCMYKSpace;
    ci.colorComponents[0] = 200, ci.colorComponents[1] = 100, ci.colorComponents[2] = 50;
    OSErr e = r->colorServices(&ci);
    char b[64];
    std::snprintf(b, sizeof b, "%d,%d,%d,%d", ci.colorComponents[0], ci.colorComponents[1], ci.colorComponents[2], ci.colorComponents[3]);
    log("color.toCmyk.result", e);
    log("color.toCmyk", b);
    ci.sourceSpace = plugIncolorServicesCMYKSpace;
    ci.resultSpace = plugIncolorServicesRGBSpace;
    e = r->colorServices(&ci);
    std::snprintf(b, sizeof b, "%d,%d,%d", ci.colorComponents[0], ci.colorComponents[1], ci.colorComponents[2]);
    log("color.toRgb.result", e);
    log("color.toRgb", b);
    ci.infoSize = 8;
    log("color.shortInfo", r->colorServices(&ci));
    return 0;
}

void logRecord(FilterRecord* r) {
    log("filterCase", r->filterCase);
    log("imageMode", r->imageMode);
    log("planes", r->planes);
    log("haveMask", r->haveMask);
    log("isFloating", r->isFloating);
    log("supportsPadding", r->supportsPadding);
    log("hwnd.isWindow", r->platformData && IsWindow(reinterpret_cast<HWND>(r->platformData->hwnd)));
}

void parametersSelector(FilterRecord* r, const std::string& mode) {
    if (Handle h = r->parameters) {
        HGLOBAL g = h->data ? GlobalHandle(h->data) : nullptr;
        size_t size = g ? GlobalSize(g) : 0;
        log("params.in", hexBytes(static_cast<const uint8_t*>(h->data), size));
        return;
    }
    if (mode != "params") return;
    static const uint8_t bytes[] = {'K', 'X', 'P', 'R', 0x01, 0x00, 0xFF, 0x7F, 0x80, 0x10, 0x20, 0x30, 0x42};
    auto* cell = static_cast<HandleCell*>(GlobalLock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(HandleCell))));
    void* data = GlobalLock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof bytes));
    std::memcpy(data, bytes, sizeof bytes);
    cell->data = data;
    cell->tag = kHandleTag;
    r->parameters = cell;
}

int16_t start(FilterRecord* r, const std::string& mode) {
    logRecord(r);
    if (mode == "nulls") {
        log("advanceState.null", r->advanceState == nullptr);
        log("displayPixels.null", r->displayPixels == nullptr);
        return int16_t(1000 + (r->advanceState ? 0 : 1) + (r->displayPixels ? 0 : 2) + (r->colorServices ? 0 : 4));
    }
    if (!r->advanceState) return errPlugInHostInsufficient;
    if (mode == "mask") return startInvert(r, true);
    if (mode == "pad") return startPad(r);
    if (mode == "display") return startDisplay(r);
    if (mode == "color") return startColor(r);
    if (mode == "rate") {
        requestWhole(r, plugInWantsEdgeReplication);
        r->inputRate = 0x8000;
        OSErr e = r->advanceState();
        log("advanceState", e);
        return e;
    }
    if (mode == "overrun" || mode == "underrun") {
        requestWhole(r, plugInWantsEdgeReplication);
        if (OSErr e = r->advanceState()) return e;
        const int h = r->outRect.bottom - r->outRect.top;
        auto* out = static_cast<volatile uint8_t*>(r->outData);
        log("touching", mode);
        if (mode == "overrun") out[h * r->outRowBytes] = 1;
        else out[-1] = 1;
        return 0;
    }
    if (mode == "hang") {
        for (;;) Sleep(1000);
    }
    if (mode == "msgbox") {
        HWND w = reinterpret_cast<HWND>(r->platformData->hwnd);
        int ret = MessageBoxA(w, "Probe says hello\nsecond line", "Probe caption", MB_YESNO | MB_ICONQUESTION);
        log("msgbox.ret", ret);
        return 0;
    }
    if (mode == "rows") {
        // One row per round: Start asks for row 0, each Continue inverts the row it got
        // and asks for the next, until the rows run out.
        requestWhole(r, plugInWantsEdgeReplication);
        r->inRect.bottom = r->outRect.bottom = int16_t(r->filterRect.top + 1);
        OSErr e = r->advanceState();
        return e;
    }
    int16_t e = startInvert(r, false);
    if (e == 0 && mode == "result") return int16_t(std::atoi(env("PROBE_RESULT", "0").c_str()));
    return e;
}

int16_t continueRows(FilterRecord* r) {
    const int top = r->outRect.top;
    invertRows(r, top, top + 1, top);
    log("continue.row", top);
    if (top + 1 >= r->filterRect.bottom) {
        emptyRects(r);
    } else {
        r->inRect.top = r->outRect.top = int16_t(top + 1);
        r->inRect.bottom = r->outRect.bottom = int16_t(top + 2);
    }
    return 0;
}

}  // namespace

extern "C" void KX_CDECL ENTRYPOINT(int16_t selector, void* record, intptr_t* data, int16_t* result) {
    const std::string mode = env("PROBE_MODE", "invert");
    log("selector", selector);
    *result = 0;
    if (selector == filterSelectorAbout) {
        auto* about = static_cast<AboutRecord*>(record);
        HWND w = reinterpret_cast<HWND>(about->platformData->hwnd);
        log("about.isWindow", IsWindow(w) ? 1 : 0);
        MessageBoxA(w, "Kestrix probe module", "About Probe", MB_OK);
        return;
    }
    auto* r = static_cast<FilterRecord*>(record);
    ++*data;
    log("data", static_cast<long long>(*data));
    switch (selector) {
    case filterSelectorParameters: parametersSelector(r, mode); break;
    case filterSelectorStart: *result = start(r, mode); break;
    case filterSelectorContinue: *result = continueRows(r); break;
    default: break;
    }
}
