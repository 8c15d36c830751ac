#include "framework/dialog/tools_win.h"

#include <initializer_list>

#include "framework/brush/stroke_win.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/dialog/preview_win.h"
#include "framework/dialog/tool_rules.h"
#include "framework/host/module.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/undo.h"
#include "framework/tablet/sample_queue.h"
#include "framework/tablet/tablet_sample.h"
#include "resources/common/art_ids.h"

namespace {

constexpr int kCancelId = 2;

struct ToolState {
    int dragState;  // DragState
    POINT anchor;   // client point of the button press
    POINT last;     // last client point of the drag
    HHOOK hook;     // keyboard hook, installed while the dialog is active
    bool spaceHeld; // Space as the hook saw it: swallowing the key keeps it out of GetKeyState
};
ToolState gTool;

bool held(int key) { return GetKeyState(key) < 0; }

Modifiers currentModifiers() {
    return {gTool.spaceHeld || held(VK_SPACE), held(VK_CONTROL), held(VK_MENU)};
}

void applyCursor(ToolCursor c) {
    int id = KX_CUR_BRUSH;
    switch (c) {
        case ToolCursor::hand: id = KX_CUR_HAND; break;
        case ToolCursor::zoomIn: id = KX_CUR_ZOOM_IN; break;
        case ToolCursor::zoomOut: id = KX_CUR_ZOOM_OUT; break;
        case ToolCursor::brush: id = KX_CUR_BRUSH; break;
    }
    if (HCURSOR cursor = LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(id))) SetCursor(cursor);
}

void setCursorWith(Modifiers keys) {
    applyCursor(cursorFor(gTool.dragState, gPlugin.currentTool, keys));
}

void rubberBand(POINT a, POINT b) {
    HWND preview = previewWindow();
    HDC dc = GetDC(preview);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    int oldRop = SetROP2(dc, R2_XORPEN);
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, a.y);
    LineTo(dc, b.x, b.y);
    LineTo(dc, a.x, b.y);
    LineTo(dc, a.x, a.y);
    SetROP2(dc, oldRop);
    SelectObject(dc, oldPen);
    ReleaseDC(preview, dc);
}

void handScroll(int dx, int dy) {
    // Straight to the preview's scroll handling with 32-bit targets; clamping happens there.
    for (bool horizontal : {true, false}) {
        HWND bar = GetDlgItem(GetParent(previewWindow()), horizontal ? kHScrollId : kVScrollId);
        SCROLLINFO si{sizeof si, SIF_POS | SIF_RANGE, 0, 0, 0, 0, 0};
        GetScrollInfo(bar, SB_CTL, &si);
        int target = si.nPos + (horizontal ? dx : dy);
        if (target < si.nMin) target = si.nMin;
        if (target > si.nMax) target = si.nMax;
        previewScrollTo(horizontal, target);
    }
}

void finishZoom(POINT release) {
    rubberBand(gTool.anchor, gTool.last);
    const POINT a = gTool.anchor;
    if (isClick(a.x, a.y, release.x, release.y) || gTool.dragState == kDragZoomOut) {
        zoomAt(a.x, a.y, clickZoom(gPlugin.zoom, gTool.dragState == kDragZoomOut));
        return;
    }
    RECT rc;
    GetClientRect(previewWindow(), &rc);
    float z = fitZoom(a.x, a.y, release.x, release.y, gPlugin.zoom, rc.right, rc.bottom);
    zoomAt((a.x + release.x) / 2, (a.y + release.y) / 2, z);
}

void postEndOfStroke() {
    // A whole record of the module's size: its stroke step may read its own fields.
    alignas(8) uint8_t storage[kMaxSampleBytes] = {};
    auto* notice = reinterpret_cast<TabletSample*>(storage);
    notice->pressure = kEndOfStroke;
    // Not sent (no memory, a full queue): the stroke then ends with the next lifted sample.
    queueRecord(SampleQueue{GetParent(previewWindow()), postSampleMessage}, notice,
                sampleBytes(currentModule()));
}

bool pointerOverPreview() {
    HWND preview = previewWindow();
    if (!preview) return false;
    if (GetCapture() == preview) return true;
    POINT p;
    RECT rc;
    GetCursorPos(&p);
    GetWindowRect(preview, &rc);
    return PtInRect(&rc, p) != 0;
}

bool keyDown(LPARAM keyData) { return (keyData & 0x80000000) == 0; }

LRESULT onKey(int code, WPARAM key, LPARAM data) {
    // Only messages being removed from the queue count: a peek that leaves the message
    // (HC_NOREMOVE) must not exchange the undo buffers a second time.
    if (code != HC_ACTION) return CallNextHookEx(gTool.hook, code, key, data);
    if (key == VK_MENU || key == VK_CONTROL || key == VK_SPACE) {
        // GetKeyState does not yet reflect the key this message carries.
        Modifiers keys = currentModifiers();
        bool down = keyDown(data);
        if (key == VK_MENU) keys.alt = down;
        if (key == VK_CONTROL) keys.ctrl = down;
        if (key == VK_SPACE) keys.space = gTool.spaceHeld = down;
        if (pointerOverPreview())
            setCursorWith(keys);
        else
            SetCursor(LoadCursor(nullptr, IDC_ARROW));
        if (key == VK_MENU) {
            char label[64];
            const ModuleIds& ids = moduleIds(currentModule());
            loadModuleString(down ? ids.resetLabelId : ids.cancelLabelId, label, sizeof label);
            SetDlgItemTextA(GetParent(previewWindow()), kCancelId, label);
        }
        if (key == VK_SPACE) return 1;  // never presses the focused button
        return CallNextHookEx(gTool.hook, code, key, data);
    }
    if (key == 'Z' && keyDown(data) && !currentModule().noUndo) {
        if (gPlugin.record) swapUndo(*gPlugin.record);
        logSessionEvent("swap");
        invalidatePreview(false);
        return 1;
    }
    return CallNextHookEx(gTool.hook, code, key, data);
}

// Hook and window procedures are called by the system: no C++ exception may unwind
// through it (that ends the host), so each catches everything and answers as if it had
// not acted.
LRESULT CALLBACK keyboardProc(int code, WPARAM key, LPARAM data) {
    try {
        return onKey(code, key, data);
    } catch (...) {
        return CallNextHookEx(gTool.hook, code, key, data);
    }
}

LRESULT onDialogClassMessage(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_ACTIVATE) {
        if (LOWORD(w) != WA_INACTIVE && !gTool.hook) {
            // A hook for the dialog's own thread: a system-wide one would load the
            // plug-in into every program on the desktop.
            gTool.hook = SetWindowsHookExA(WH_KEYBOARD, keyboardProc, moduleInstance(),
                                           GetCurrentThreadId());
        } else if (LOWORD(w) == WA_INACTIVE) {
            removeKeyboardHook();
        }
    } else if (message == WM_SYSCOMMAND && (w & 0xFFF0) == SC_KEYMENU) {
        HWND preview = previewWindow();
        if (preview) {
            POINT p;
            RECT rc;
            GetCursorPos(&p);
            ScreenToClient(preview, &p);
            GetClientRect(preview, &rc);
            if (PtInRect(&rc, p)) return 0;
        }
    }
    return DefDlgProcA(window, message, w, l);
}

}  // namespace

bool postSampleMessage(void* dialog, TabletSample* block) {
    return PostMessageA(static_cast<HWND>(dialog), kSampleMessage, 0,
                        reinterpret_cast<LPARAM>(block)) != 0;
}

int currentDragState() { return gTool.dragState; }

Modifiers toolModifiers() { return currentModifiers(); }

void setToolCursor() { setCursorWith(currentModifiers()); }

void previewMouse(UINT message, int x, int y) {
    const DialogHooks* hooks = currentModule().dialogHooks;
    if (hooks && hooks->previewMouse && gTool.dragState == kDragNone &&
        hooks->previewMouse(GetParent(previewWindow()), message, x, y))
        return;
    POINT p{x, y};
    switch (message) {
        case WM_LBUTTONDOWN:
            gTool.anchor = gTool.last = p;
            SetCapture(previewWindow());
            gTool.dragState = dragForPress(gPlugin.currentTool, currentModifiers());
            if (gTool.dragState == kDragPaint && gPlugin.record && !currentModule().noUndo) {
                snapshotUndo(*gPlugin.record);
                logSessionEvent("snapshot");
            }
            setToolCursor();
            break;
        case WM_MOUSEMOVE:
            if (gTool.dragState == kDragHand) {
                handScroll(gTool.last.x - p.x, gTool.last.y - p.y);
            } else if (gTool.dragState == kDragZoomIn) {
                rubberBand(gTool.anchor, gTool.last);
                rubberBand(gTool.anchor, p);
            }
            gTool.last = p;
            break;
        case WM_LBUTTONUP:
            if (gTool.dragState == kDragHand) handScroll(gTool.last.x - p.x, gTool.last.y - p.y);
            if (gTool.dragState == kDragZoomIn || gTool.dragState == kDragZoomOut) finishZoom(p);
            ReleaseCapture();
            postEndOfStroke();
            gTool.dragState = kDragNone;
            setToolCursor();
            break;
    }
}

LRESULT CALLBACK dialogClassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    try {
        return onDialogClassMessage(window, message, w, l);
    } catch (...) {
        return 0;
    }
}


void removeKeyboardHook() {
    if (gTool.hook) UnhookWindowsHookEx(gTool.hook);
    gTool.hook = nullptr;
    gTool.spaceHeld = false;  // its release may go to another window
}

bool keyboardHookInstalled() { return gTool.hook != nullptr; }
