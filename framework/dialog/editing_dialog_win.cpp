// The editing dialog's frame: window classes and settings around the modal dialog.
#include <windows.h>

#include "framework/dialog/editing_dialog.h"
#include "framework/host/module.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/plugin_globals.h"
#include "framework/host/settings.h"

namespace {

bool registerClass(const char* name, WNDPROC proc, int extraBytes) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = extraBytes;
    wc.hInstance = moduleInstance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

LRESULT CALLBACK proxyProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefWindowProcA(window, message, w, l);
}

LRESULT CALLBACK dialogClassProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    return DefDlgProcA(window, message, w, l);
}

}  // namespace

void runEditingDialog() {
    const ModuleInfo& module = currentModule();
    HINSTANCE instance = moduleInstance();
    if (!registerClass("DlgWndClass", dialogClassProc, DLGWINDOWEXTRA)) return;
    if (!registerClass("ProxyWndClass", proxyProc, 0)) {
        UnregisterClassA("DlgWndClass", instance);
        return;
    }
    loadSettings(module);

    // The modal dialog itself is not built yet: the session opens the image, builds
    // the working copy and the undo buffer, and ends as a dialog closed without any
    // user action would (result 0, the image as the host gave it).
    if (openWorkSession()) closeWorkSession();

    saveSettings(module);
    UnregisterClassA("ProxyWndClass", instance);
    UnregisterClassA("DlgWndClass", instance);
}
