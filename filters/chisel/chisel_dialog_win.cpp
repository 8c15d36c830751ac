// chisel's own part of the editing dialog: the tip and light pickers (static controls
// whose window procedures are replaced), the preview profile kept in step with the tip
// sliders, and the re-shading that light and intensity changes ask for.
#include <windows.h>

#include <vector>

#include "filters/chisel/chisel_dialog_win.h"
#include "filters/chisel/chisel_module.h"
#include "filters/chisel/pickers.h"
#include "framework/brush/stroke_win.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/dialog/preview_win.h"
#include "framework/host/module_instance_win.h"
#include "resources/chisel/chisel_ids.h"

namespace {

constexpr int kTipSizeEdit = 5, kTipDepthEdit = 6, kSharpnessEdit = 7, kIntensityEdit = 9;
constexpr int kIntensitySlider = 1011;
constexpr int kEndTrack = 8;  // TB_ENDTRACK

WNDPROC gTipProc, gLightProc;  // the static control's own procedures
HWND gDialog;

// The whole image shaded again for a new light or intensity, under the wait cursor.
void reshade(bool force) {
    if (!chiselImageOpen()) return;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    const bool shaded = refreshShading(force);
    SetCursor(previous);
    if (!shaded) return;
    invalidatePreview(false);
    logCurrentParams();  // a replay shades with what is on screen now
}

void paintTip(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT rc;
    GetClientRect(window, &rc);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const std::vector<PickerPoint> points = tipPickerPoints(gChiselParams, rc.right, rc.bottom);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    MoveToEx(dc, points.front().x, points.front().y, nullptr);
    for (size_t i = 1; i < points.size(); ++i) LineTo(dc, points[i].x, points[i].y);
    SetPixel(dc, points.back().x, points.back().y, RGB(0, 0, 0));
    SelectObject(dc, oldPen);
    EndPaint(window, &ps);
}

void drawMarker(HDC dc, int bitmapId, PickerPoint at) {
    HBITMAP bitmap = LoadBitmapA(moduleInstance(), MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, at.x, at.y, kLightMarkerSide, kLightMarkerSide, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

LRESULT CALLBACK tipProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_PAINT) {
        paintTip(window);
        return 0;
    }
    return CallWindowProcA(gTipProc, window, message, w, l);
}

LRESULT CALLBACK lightProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    RECT rc;
    GetClientRect(window, &rc);
    switch (message) {
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(w);
            FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            for (int i = 0; i < 8; ++i)
                drawMarker(dc, KX_BMP_LIGHT_MARKER, lightMarkerPosition(i, rc.right, rc.bottom));
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            drawMarker(dc, KX_BMP_LIGHT_SELECTED,
                       lightMarkerPosition(gChiselParams.lightDirection, rc.right, rc.bottom));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            const int chosen = lightDirectionAt(short(LOWORD(l)), short(HIWORD(l)), rc.right,
                                                rc.bottom, gChiselParams.lightDirection);
            if (chosen != gChiselParams.lightDirection) {
                gChiselParams.lightDirection = chosen;
                InvalidateRect(window, nullptr, TRUE);
                reshade(false);
            }
            return 0;
        }
        default:
            return CallWindowProcA(gLightProc, window, message, w, l);
    }
}

void repaintTip() {
    updatePreviewProfile(gChiselParams);
    InvalidateRect(GetDlgItem(gDialog, KX_CHISEL_TIP_PICKER), nullptr, TRUE);
}

// Done and the close box may shade the whole image once more (a number set without a
// re-shade): the log gets the parameters first, so that a replay shades alike.
bool before(void*, uint32_t message, uintptr_t w, intptr_t, intptr_t*) {
    if ((message == WM_COMMAND && LOWORD(w) == IDOK && HIWORD(w) == BN_CLICKED) ||
        (message == WM_SYSCOMMAND && (w & 0xFFF0) == SC_CLOSE))
        logCurrentParams();
    return false;
}

void after(void* dialog, uint32_t message, uintptr_t w, intptr_t l) {
    HWND d = static_cast<HWND>(dialog);
    switch (message) {
        case WM_INITDIALOG: {
            gDialog = d;
            HWND tip = GetDlgItem(d, KX_CHISEL_TIP_PICKER), light = GetDlgItem(d, KX_CHISEL_LIGHT_PICKER);
            gTipProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tipProc)));
            gLightProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(light, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lightProc)));
            repaintTip();
            InvalidateRect(light, nullptr, TRUE);
            break;
        }
        case WM_COMMAND: {
            const int id = LOWORD(w), code = HIWORD(w);
            if (code != EN_CHANGE) break;
            if (id == kTipSizeEdit || id == kTipDepthEdit || id == kSharpnessEdit) repaintTip();
            if (id == kIntensityEdit && GetFocus() == GetDlgItem(d, kIntensityEdit)) reshade(false);
            break;
        }
        case WM_HSCROLL:
            if (GetDlgCtrlID(reinterpret_cast<HWND>(l)) == kIntensitySlider && LOWORD(w) == kEndTrack)
                reshade(false);
            break;
        case WM_DESTROY: {
            // The controls die with the dialog; their own procedures go back first.
            HWND tip = GetDlgItem(d, KX_CHISEL_TIP_PICKER), light = GetDlgItem(d, KX_CHISEL_LIGHT_PICKER);
            if (gTipProc) SetWindowLongPtrA(tip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gTipProc));
            if (gLightProc) SetWindowLongPtrA(light, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gLightProc));
            gTipProc = gLightProc = nullptr;
            gDialog = nullptr;
            break;
        }
        default:
            break;
    }
}

// Open and Alt+Cancel: the pickers show the parameters, and after a Reset the image
// is shaded with the default light and intensity.
void showParams(void* dialog) {
    gDialog = static_cast<HWND>(dialog);
    repaintTip();
    InvalidateRect(GetDlgItem(gDialog, KX_CHISEL_LIGHT_PICKER), nullptr, TRUE);
    reshade(false);
}

}  // namespace

const DialogHooks kChiselDialogHooks = {before, after, showParams};
