// probe.8bf: a test module for the reference host. What it does is chosen by environment
// variables so one module covers every host test:
//   PROBE_MODE     invert (default) | mask | pad | overrun | underrun | display | color |
//                  msgbox | result | nulls | params | rows | rate | hang | dialog
//   PROBE_LOG      file that gets "key=value" lines of what the probe saw (appended)
//   PROBE_PAD      pad mode: pixels the input request reaches past each side (default 2)
//   PROBE_PADDING  pad mode: inputPadding to ask for (default -1, edge replication)
//   PROBE_DUMP_IN  pad mode: file that gets the raw inData rows
//   PROBE_RESULT   result mode: the code Start returns after writing inverted pixels
// Dialog mode shows a modal dialog (resource 100, class DlgWndClass like the plug-ins'
// dialogs) for the host's script driver to work: Start returns 0 for Done and
// -128 (userCanceledErr) otherwise, and the log gets what the dialog saw (dialog.*).
#include <windows.h>
#include <commctrl.h>

#include <cctype>
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

// --- dialog mode -----------------------------------------------------------------
HINSTANCE g_instance = nullptr;
HHOOK g_keyHook = nullptr;
HWND g_dialog = nullptr;
std::string g_keys;       // "z+ z+r z-": key, down/up, r when bit 30 (already down) is set
int g_editChanges = 0;
std::string g_editText;
struct CanvasState {
    int downs = 0, moves = 0, ups = 0;
    int capturedMoves = 0;  // moves while the button was held
    POINT down = {-1, -1}, up = {-1, -1}, last = {-1, -1};
} g_canvas;

std::string keyName(WPARAM vk) {
    switch (vk) {
    case VK_MENU: return "alt";
    case VK_CONTROL: return "ctrl";
    case VK_SHIFT: return "shift";
    case VK_SPACE: return "space";
    case VK_RETURN: return "enter";
    case VK_ESCAPE: return "escape";
    }
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, char(std::tolower(int(vk))));
    char b[16];
    std::snprintf(b, sizeof b, "vk%02x", unsigned(vk));
    return b;
}

// The keyboard hook of the plug-ins' dialogs sees keys before the controls do.
LRESULT CALLBACK probeKeyHook(int code, WPARAM vk, LPARAM lp) {
    if (code == HC_ACTION && g_dialog) {
        const bool up = (lp & 0x80000000) != 0, repeat = !up && (lp & 0x40000000);
        const std::string token = keyName(vk) + (up ? "-" : "+") + (repeat ? "r" : "");
        g_keys += (g_keys.empty() ? "" : " ") + token;
        SetDlgItemTextA(g_dialog, 41, ("key " + token).c_str());
    }
    return CallNextHookEx(g_keyHook, code, vk, lp);
}

void showCanvas(HWND dlg) {
    char b[96];
    std::snprintf(b, sizeof b, "down %d move %d up %d at %ld,%ld", g_canvas.downs, g_canvas.capturedMoves, g_canvas.ups,
                  g_canvas.last.x, g_canvas.last.y);
    SetDlgItemTextA(dlg, 42, b);
}

// The canvas (id 1012): records the left button with capture, like a preview does,
// carries the zoom property and paints a pattern for screenshots.
LRESULT CALLBACK canvasProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    const POINT pt = {short(LOWORD(lp)), short(HIWORD(lp))};
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(w);
        ++g_canvas.downs;
        g_canvas.down = g_canvas.last = pt;
        showCanvas(GetParent(w));
        return 0;
    case WM_MOUSEMOVE:
        ++g_canvas.moves;
        if (GetCapture() == w) {
            ++g_canvas.capturedMoves;
            g_canvas.last = pt;
            showCanvas(GetParent(w));
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == w) ReleaseCapture();
        ++g_canvas.ups;
        g_canvas.up = g_canvas.last = pt;
        showCanvas(GetParent(w));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT rc;
        GetClientRect(w, &rc);
        for (int y = 0; y < rc.bottom; y += 8) {
            RECT band = {0, y, rc.right, y + 8};
            HBRUSH b = CreateSolidBrush(RGB(255 * y / (rc.bottom ? rc.bottom : 1), 80, 160));
            FillRect(dc, &band, b);
            DeleteObject(b);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case WM_DESTROY:
        RemovePropA(w, "KestrixZoom");
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void registerDialogClasses() {
    WNDCLASSA wc = {};
    if (!GetClassInfoA(g_instance, "DlgWndClass", &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = DefDlgProcA;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.hInstance = g_instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "DlgWndClass";
        RegisterClassA(&wc);
    }
    if (!GetClassInfoA(g_instance, "ProbeCanvas", &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = canvasProc;
        wc.hInstance = g_instance;
        wc.hCursor = LoadCursor(nullptr, IDC_CROSS);
        wc.lpszClassName = "ProbeCanvas";
        RegisterClassA(&wc);
    }
}

INT_PTR CALLBACK probeDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        g_dialog = dlg;
        SendDlgItemMessageA(dlg, 1006, TBM_SETRANGE, FALSE, MAKELPARAM(1, 99));
        SendDlgItemMessageA(dlg, 1006, TBM_SETPOS, TRUE, 37);
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        si.nMin = 0, si.nMax = 70000, si.nPage = 1000, si.nPos = 65600;  // past 16 bits on purpose
        SetScrollInfo(GetDlgItem(dlg, 1015), SB_CTL, &si, TRUE);
        si.nMax = 200, si.nPage = 10, si.nPos = 12;
        SetScrollInfo(GetDlgItem(dlg, 1013), SB_CTL, &si, TRUE);
        EnableWindow(GetDlgItem(dlg, 1013), FALSE);
        SetPropA(GetDlgItem(dlg, 1012), "KestrixZoom", reinterpret_cast<HANDLE>(intptr_t(0x1000)));  // 1/16
        SetDlgItemTextA(dlg, 12, "start");
        g_editChanges = 0;
        return TRUE;
    }
    case WM_ACTIVATE:
        // Like the plug-ins' dialogs: the keyboard hook lives while the dialog is active.
        if (LOWORD(wp) != WA_INACTIVE && !g_keyHook)
            g_keyHook = SetWindowsHookExA(WH_KEYBOARD, probeKeyHook, nullptr, GetCurrentThreadId());
        else if (LOWORD(wp) == WA_INACTIVE && g_keyHook) {
            UnhookWindowsHookEx(g_keyHook);
            g_keyHook = nullptr;
        }
        return FALSE;
    case WM_SYSCOMMAND:
        // Alt is a modifier here: pressed and released alone it must not open the
        // system menu, whose loop would take the keys that follow.
        if ((wp & 0xFFF0) == SC_KEYMENU && lp == 0) return TRUE;
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case 12:
            if (HIWORD(wp) == EN_CHANGE) {
                ++g_editChanges;
                char b[256] = {};
                GetDlgItemTextA(dlg, 12, b, sizeof b);
                g_editText = b;
            }
            return TRUE;
        case 30: {
            int answer = MessageBoxA(dlg, "Keep the changes?", "Kestrix", MB_YESNO | MB_ICONQUESTION);
            SetDlgItemTextA(dlg, 40, answer == IDYES ? "yes" : answer == IDNO ? "no" : "other");
            return TRUE;
        }
        case IDOK:
        case IDCANCEL: {
            char b[256] = {};
            GetDlgItemTextA(dlg, 12, b, sizeof b);
            log("dialog.edit", b);
            log("dialog.edit.changes", g_editChanges);
            log("dialog.edit.lastChange", g_editText);
            log("dialog.checked", static_cast<long long>(IsDlgButtonChecked(dlg, 1001)));
            log("dialog.trackbar", static_cast<long long>(SendDlgItemMessageA(dlg, 1006, TBM_GETPOS, 0, 0)));
            GetDlgItemTextA(dlg, 40, b, sizeof b);
            log("dialog.answer", b);
            log("dialog.keys", g_keys);
            char m[128];
            std::snprintf(m, sizeof m, "%d,%d,%d", g_canvas.downs, g_canvas.capturedMoves, g_canvas.ups);
            log("dialog.mouse", m);
            std::snprintf(m, sizeof m, "%ld,%ld", g_canvas.down.x, g_canvas.down.y);
            log("dialog.mouse.down", m);
            std::snprintf(m, sizeof m, "%ld,%ld", g_canvas.up.x, g_canvas.up.y);
            log("dialog.mouse.up", m);
            EndDialog(dlg, LOWORD(wp));
            return TRUE;
        }
        }
        return FALSE;
    case WM_DESTROY:
        if (g_keyHook) UnhookWindowsHookEx(g_keyHook);
        g_keyHook = nullptr;
        g_dialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

int16_t startDialog(FilterRecord* r) {
    InitCommonControls();  // the trackbar class; the host does not load comctl32
    registerDialogClasses();
    HWND owner = reinterpret_cast<HWND>(r->platformData->hwnd);
    INT_PTR ret = DialogBoxParamA(g_instance, MAKEINTRESOURCEA(100), owner, probeDialogProc, 0);
    log("dialog.result", static_cast<long long>(ret));
    return ret == IDOK ? 0 : int16_t(-128);  // userCanceledErr
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
    if (mode == "dialog") return startDialog(r);
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

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_instance = instance;
    return TRUE;
}

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
