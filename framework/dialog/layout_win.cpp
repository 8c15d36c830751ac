#include "framework/dialog/layout_win.h"

#include <cstdio>
#include <initializer_list>

#include "framework/dialog/controls_logic.h"
#include "framework/dialog/preview_win.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/settings.h"

namespace {

constexpr int kButtonMargin = 10;  // push buttons keep this distance to the right edge
RECT gLastClient;

struct MoveDown {
    HWND dialog;
    int delta;
};

BOOL CALLBACK moveChildDown(HWND child, LPARAM param) {
    auto* m = reinterpret_cast<MoveDown*>(param);
    // Only direct children are laid out in dialog coordinates.
    if (GetParent(child) != m->dialog) return TRUE;
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, m->dialog, reinterpret_cast<POINT*>(&rc), 2);
    MoveWindow(child, rc.left, rc.top + m->delta, rc.right - rc.left, rc.bottom - rc.top, FALSE);
    return TRUE;
}

RECT childRect(HWND dialog, HWND child) {
    RECT rc;
    GetWindowRect(child, &rc);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

struct PlacementKeys {
    char section[kNameChars + 1];
    char window[kNameChars + 1];
    char maximized[kNameChars + 1];
};

bool placementKeys(const ModuleInfo& module, PlacementKeys& keys) {
    const SettingsLayout* s = module.settings;
    if (!s) return false;
    settingName(s->sectionId, s->fixedSection, keys.section);
    settingName(s->windowKeyId, s->fixedWindowKey, keys.window);
    settingName(s->maximizedKeyId, s->fixedMaximizedKey, keys.maximized);
    return true;
}

}  // namespace

ScreenBox virtualScreen() {
    // Systems without multiple-monitor metrics answer 0: the primary screen then.
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0)
        return ScreenBox{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return ScreenBox{x, y, x + w, y + h};
}

void rememberLayout(HWND dialog) { GetClientRect(dialog, &gLastClient); }

void layoutDialog(HWND dialog, int applyId, int newClientHeight) {
    MoveDown move{dialog, newClientHeight - (gLastClient.bottom - gLastClient.top)};
    if (move.delta != 0) EnumChildWindows(dialog, moveChildDown, reinterpret_cast<LPARAM>(&move));
    GetClientRect(dialog, &gLastClient);
    const int right = gLastClient.right;

    for (int id : {1, 2, 4, applyId}) {
        HWND button = GetDlgItem(dialog, id);
        if (!button) continue;
        RECT rc = childRect(dialog, button);
        int w = rc.right - rc.left;
        MoveWindow(button, right - w - kButtonMargin, rc.top, w, rc.bottom - rc.top, TRUE);
    }
    HWND vbar = GetDlgItem(dialog, kVScrollId), hbar = GetDlgItem(dialog, kHScrollId);
    RECT v = childRect(dialog, vbar), h = childRect(dialog, hbar);
    int vx = right - (v.right - v.left);
    MoveWindow(vbar, vx, 0, v.right - v.left, v.bottom, TRUE);
    MoveWindow(hbar, 0, h.top, vx, h.bottom - h.top, TRUE);
    if (HWND preview = previewWindow()) {
        MoveWindow(preview, 0, 0, vx, h.top, TRUE);
        invalidatePreview(false);
    }
    // Controls moved without repainting above: show them at their new places.
    InvalidateRect(dialog, nullptr, TRUE);
}

void loadPlacement(HWND dialog, const ModuleInfo& module, const RECT& initial) {
    PlacementKeys keys;
    if (!placementKeys(module, keys)) return;
    const char* file = module.settings->file;
    char fallback[64], text[41];
    std::snprintf(fallback, sizeof fallback, "%d,%d,%d,%d", int(initial.left), int(initial.top),
                  int(initial.right), int(initial.bottom));
    profileGetString(keys.section, keys.window, fallback, text, sizeof text, file);
    ScreenBox box;
    const ScreenBox minimum{initial.left, initial.top, initial.right, initial.bottom};
    if (restoredPlacement(text, minimum, virtualScreen(), box))
        MoveWindow(dialog, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
    if (profileGetInt(keys.section, keys.maximized, 1, file) != 0) ShowWindow(dialog, SW_SHOWMAXIMIZED);
}

void savePlacement(HWND dialog, const ModuleInfo& module) {
    PlacementKeys keys;
    if (!placementKeys(module, keys)) return;
    const char* file = module.settings->file;
    bool zoomed = IsZoomed(dialog) != 0;
    profileWriteString(keys.section, keys.maximized, zoomed ? "1" : "0", file);
    if (zoomed || IsIconic(dialog)) return;
    RECT rc;
    GetWindowRect(dialog, &rc);
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", int(rc.left), int(rc.top), int(rc.right),
                  int(rc.bottom));
    profileWriteString(keys.section, keys.window, text, file);
}
