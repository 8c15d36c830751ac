#include "filters/texture_common/texture_dialog_win.h"

#include "framework/host/module_instance_win.h"

namespace {

constexpr const char* kOldProc = "KestrixSwatchProc";
constexpr const char* kPainter = "KestrixSwatchPaint";
constexpr WORD kEndTrack = 8;  // TB_ENDTRACK: the plug-ins do not include the common controls

LRESULT CALLBACK swatchProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(w, kOldProc));
    auto paint = reinterpret_cast<SwatchPainter>(GetPropA(w, kPainter));
    if (message == WM_PAINT && paint) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT client;
        GetClientRect(w, &client);
        paint(w, dc, client);
        EndPaint(w, &ps);
        return 0;
    }
    return old ? CallWindowProcA(old, w, message, wp, lp) : DefWindowProcA(w, message, wp, lp);
}

bool isOneOf(int id, const int* ids, int count) {
    for (int i = 0; i < count; ++i)
        if (ids[i] == id) return true;
    return false;
}

}  // namespace

void fillTextureList(HWND dialog, int listId, const int* nameIds, int count, int selected) {
    HWND list = GetDlgItem(dialog, listId);
    if (!list) return;
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char name[41] = "";
        LoadStringA(moduleInstance(), UINT(nameIds[i]), name, sizeof name);
        const LRESULT at = SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (at >= 0) SendMessageA(list, CB_SETITEMDATA, WPARAM(at), LPARAM(i));
    }
    SendMessageA(list, CB_SETCURSEL, WPARAM(selected), 0);
}

int selectedTexture(HWND dialog, int listId) {
    HWND list = GetDlgItem(dialog, listId);
    const LRESULT at = list ? SendMessageA(list, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (at == CB_ERR) return -1;
    return int(SendMessageA(list, CB_GETITEMDATA, WPARAM(at), 0));
}

void subclassSwatch(HWND control, SwatchPainter paint) {
    if (!control || GetPropA(control, kOldProc)) return;
    SetPropA(control, kPainter, reinterpret_cast<HANDLE>(paint));
    const LONG_PTR old = SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(swatchProc));
    SetPropA(control, kOldProc, reinterpret_cast<HANDLE>(old));
}

void unsubclassSwatch(HWND control) {
    if (!control) return;
    HANDLE old = GetPropA(control, kOldProc);
    if (old) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
    RemovePropA(control, kOldProc);
    RemovePropA(control, kPainter);
}

void repaintControl(HWND dialog, int id) {
    if (HWND c = GetDlgItem(dialog, id)) InvalidateRect(c, nullptr, TRUE);
}

void drawBgrRows(HDC dc, int x, int y, int width, int height, const uint8_t* rows, int rowBytes) {
    if (width <= 0 || height <= 0 || !rows || rowBytes != ((width * 3 + 3) & ~3)) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, x, y, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), rows, &info,
                      DIB_RGB_COLORS);
}

bool trackingEnded(UINT message, WPARAM w, LPARAM l, const int* ids, int count) {
    return message == WM_HSCROLL && LOWORD(w) == kEndTrack && l &&
           isOneOf(GetDlgCtrlID(reinterpret_cast<HWND>(l)), ids, count);
}

bool typedInto(UINT message, WPARAM w, LPARAM l, const int* ids, int count) {
    return message == WM_COMMAND && HIWORD(w) == EN_CHANGE && isOneOf(LOWORD(w), ids, count) &&
           l && GetFocus() == reinterpret_cast<HWND>(l);
}
