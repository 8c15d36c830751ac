// airbrush's own dialog work: the colour swatch, the colour pickers and the eyedropper.
#include <windows.h>
#include <commdlg.h>

#include "filters/airbrush/airbrush_module.h"
#include "filters/airbrush/spray_colour.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/dialog/editing_dialog.h"
#include "framework/dialog/preview_win.h"
#include "framework/dialog/tools_win.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "resources/common/art_ids.h"

namespace {

constexpr UINT_PTR kAntsTimer = 0;
constexpr UINT kAntsPeriodMs = 100;

// The system dialog's custom colours, for as long as the module stays loaded.
COLORREF sCustomColours[16];
bool sPicking;  // the eyedropper's pointer state: the button is held

void redrawSwatch(HWND dialog) {
    HWND swatch = GetDlgItem(dialog, kSwatchId);
    if (swatch) {
        InvalidateRect(swatch, nullptr, FALSE);
        UpdateWindow(swatch);
    }
}

// The host's picker and conversions run their own windows: the tablet context goes back
// on top of the stack afterwards.
void overlapTablet() { overlapTabletContext(); }

void pickColour(HWND dialog) {
    FilterRecord* r = gPlugin.record;
    if (!r) return;
    // The outline's animation draws on the screen under the colour box: it waits. It
    // starts again only where it ran, with a selection to outline.
    HWND preview = previewWindow();
    const bool antsRan = r->haveMask && r->maskData;
    if (preview) KillTimer(preview, kAntsTimer);
    if (r->colorServices) {
        char prompt[250];
        loadModuleString(kPickerPromptId, prompt, sizeof prompt);
        chooseWithHost(gAirbrushParams, *r, prompt);
        overlapTablet();
    } else {
        CHOOSECOLORA cc{};
        cc.lStructSize = sizeof cc;
        cc.hwndOwner = dialog;
        uint8_t rgb[3];
        swatchRgb(gAirbrushParams, rgb);
        cc.rgbResult = RGB(rgb[0], rgb[1], rgb[2]);
        cc.lpCustColors = sCustomColours;
        cc.Flags = CC_RGBINIT;
        if (ChooseColorA(&cc))
            takeChosenRgb(gAirbrushParams, GetRValue(cc.rgbResult), GetGValue(cc.rgbResult), GetBValue(cc.rgbResult));
    }
    if (preview && antsRan) SetTimer(preview, kAntsTimer, kAntsPeriodMs, nullptr);
    redrawSwatch(dialog);
}

// The swatch: the colour, and a one-pixel button frame in the system's colours.
void drawSwatch(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rc = item.rcItem;
    uint8_t rgb[3];
    swatchRgb(gAirbrushParams, rgb);
    HBRUSH fill = CreateSolidBrush(RGB(rgb[0], rgb[1], rgb[2]));
    if (fill) {
        FillRect(dc, &rc, fill);
        DeleteObject(fill);
    }
    auto line = [dc](int x0, int y0, int x1, int y1, int colourIndex) {
        HPEN pen = CreatePen(PS_SOLID, 1, colourIndex < 0 ? RGB(0, 0, 0) : GetSysColor(colourIndex));
        if (!pen) return;
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, x0, y0, nullptr);
        LineTo(dc, x1, y1);
        SelectObject(dc, old);
        DeleteObject(pen);
    };
    const int l = rc.left, t = rc.top, r = rc.right - 1, b = rc.bottom - 1;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    if (item.itemState & ODS_FOCUS) {
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        if (pressed) {
            line(l + 1, b - 1, l + 1, t + 1, COLOR_BTNSHADOW);
            line(l + 1, t + 1, r, t + 1, COLOR_BTNSHADOW);
        } else {
            line(l + 1, b - 1, l + 1, t + 1, COLOR_BTNHIGHLIGHT);
            line(l + 1, t + 1, r, t + 1, COLOR_BTNHIGHLIGHT);
            line(l + 1, b - 1, r - 1, b - 1, COLOR_BTNSHADOW);
            line(r - 1, b - 1, r - 1, t, COLOR_BTNSHADOW);
        }
    } else {
        line(l, b, l, t, COLOR_BTNHIGHLIGHT);
        line(l, t, r + 1, t, COLOR_BTNHIGHLIGHT);
        line(l, b, r, b, -1);
        line(r, b, r, t - 1, -1);
    }
}

void pickAt(HWND dialog, int x, int y) {
    FilterRecord* r = gPlugin.record;
    if (!r || !pointInImageFrame(x, y)) return;
    int ix, iy;
    clientToImage(previewGeometry(), x, y, ix, iy);
    if (!pickPixel(gAirbrushParams, *r, ix, iy)) return;
    if (r->imageMode == plugInModeCMYKColor) overlapTablet();
    redrawSwatch(dialog);
}

void eyedropperCursor() {
    if (HCURSOR c = LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(KX_CUR_EYEDROPPER))) SetCursor(c);
}

bool previewMouse(void* d, uint32_t message, int x, int y) {
    HWND dialog = static_cast<HWND>(d);
    if (message == WM_LBUTTONDOWN && !sPicking) {
        const Modifiers keys = toolModifiers();
        if (gPlugin.currentTool != kToolBrush || !keys.alt || keys.space) return false;
        sPicking = true;
        SetCapture(previewWindow());
        eyedropperCursor();
        pickAt(dialog, x, y);
        return true;
    }
    if (!sPicking) return false;
    if (message == WM_MOUSEMOVE) {
        pickAt(dialog, x, y);
        eyedropperCursor();
    } else if (message == WM_LBUTTONUP) {
        pickAt(dialog, x, y);
        sPicking = false;
        ReleaseCapture();
        setToolCursor();
    }
    return true;
}

bool before(void* d, uint32_t message, uintptr_t w, intptr_t l, intptr_t* result) {
    HWND dialog = static_cast<HWND>(d);
    if (message == WM_DRAWITEM && w == kSwatchId) {
        drawSwatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
        *result = TRUE;
        return true;
    }
    if (message == WM_COMMAND && LOWORD(w) == kSwatchId) {
        if (HIWORD(w) == BN_CLICKED) pickColour(dialog);
        *result = TRUE;
        return true;
    }
    if (message == WM_DESTROY) sPicking = false;
    return false;
}

void showParams(void* dialog) { redrawSwatch(static_cast<HWND>(dialog)); }

}  // namespace

extern const DialogHooks kAirbrushDialogHooks = [] {
    DialogHooks h{before, nullptr, showParams};
    h.previewMouse = previewMouse;
    return h;
}();
