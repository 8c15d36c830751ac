#include "main_window_win.h"

#include <commdlg.h>

#include <fstream>
#include <memory>
#include <string>

#include "filter_session_win.h"
#include "host_procs_win.h"
#include "param_handle_win.h"
#include "plugin_module_win.h"

namespace {

enum MenuId { kOpen = 100, kSave, kExit, kLoadPlugin, kRun, kRepeat, kAbout };

const char* const kClassName = "KestrixHostMain";
const Image* g_shown = nullptr;

// Interactive state.
Image g_image;
bool g_haveImage = false;
PluginModule g_plugin;
bool g_havePlugin = false;
Handle g_parameters = nullptr;

void fitRect(const RECT& client, int w, int h, RECT& out) {
    int cw = client.right - client.left, ch = client.bottom - client.top;
    if (w <= 0 || h <= 0 || cw <= 0 || ch <= 0) {
        out = {0, 0, 0, 0};
        return;
    }
    double s = std::min(double(cw) / w, double(ch) / h);
    if (s > 1) s = 1;  // never enlarge: small test images stay pixel-exact
    int dw = int(w * s), dh = int(h * s);
    out.left = (cw - dw) / 2;
    out.top = (ch - dh) / 2;
    out.right = out.left + dw;
    out.bottom = out.top + dh;
}

bool pickFile(HWND owner, bool save, const char* filter, std::string& path) {
    char buf[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = buf;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    if (!(save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn))) return false;
    path = buf;
    return true;
}

void complain(HWND w, const std::string& text) { MessageBoxA(w, text.c_str(), "Kestrix host", MB_OK | MB_ICONWARNING); }

void runFilter(HWND w, bool repeat, bool about) {
    if (!g_havePlugin) return complain(w, "Load a plug-in first.");
    if (about) {
        Image none;
        SessionOptions opt;
        FilterSession s(g_haveImage ? g_image : none, nullptr, w, opt);
        s.run(g_plugin.entry, {filterSelectorAbout});
        return;
    }
    if (!g_haveImage) return complain(w, "Open an image first.");
    if (!piplEnablesMode(g_plugin.pipl, g_image.imageMode)) return complain(w, "The plug-in does not filter this image mode.");
    SessionOptions opt;
    opt.parameters = repeat ? g_parameters : nullptr;
    FilterSession s(g_image, nullptr, w, opt);
    s.run(g_plugin.entry, {filterSelectorParameters, filterSelectorPrepare, filterSelectorStart,
                           filterSelectorContinue, filterSelectorFinish});
    g_image = s.result();
    g_parameters = s.parameters();
    InvalidateRect(w, nullptr, TRUE);
}

void command(HWND w, int id) {
    std::string path, error;
    switch (id) {
    case kOpen:
        if (pickFile(w, false, "Images (*.pam;*.pgm;*.ppm)\0*.pam;*.pgm;*.ppm\0All files\0*.*\0", path)) {
            Image img;
            if (!readImage(path, img, error)) return complain(w, error);
            g_image = img;
            g_haveImage = true;
            setShownImage(w, &g_image);
        }
        break;
    case kSave:
        if (!g_haveImage) return complain(w, "No image to save.");
        if (pickFile(w, true, "Same format as opened\0*.*\0", path) && !writeImage(path, g_image, error)) complain(w, error);
        break;
    case kLoadPlugin:
        if (pickFile(w, false, "Filter plug-ins (*.8bf)\0*.8bf\0", path)) {
            g_havePlugin = g_plugin.load(path);
            g_parameters = nullptr;
            if (!g_havePlugin) complain(w, "pipl: bad " + g_plugin.badKey + ": " + g_plugin.why);
        }
        break;
    case kRun: runFilter(w, false, false); break;
    case kRepeat: runFilter(w, true, false); break;
    case kAbout: runFilter(w, false, true); break;
    case kExit: DestroyWindow(w); break;
    }
}

LRESULT CALLBACK wndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        if (g_shown) {
            RECT client, dst;
            GetClientRect(w, &client);
            fitRect(client, g_shown->width, g_shown->height, dst);
            drawImage(dc, *g_shown, dst);
        }
        EndPaint(w, &ps);
        return 0;
    }
    case WM_COMMAND:
        command(w, LOWORD(wp));
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

HMENU buildMenu() {
    HMENU file = CreatePopupMenu(), filter = CreatePopupMenu(), bar = CreateMenu();
    AppendMenuA(file, MF_STRING, kOpen, "&Open image...");
    AppendMenuA(file, MF_STRING, kSave, "&Save result as...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, kExit, "E&xit");
    AppendMenuA(filter, MF_STRING, kLoadPlugin, "&Load plug-in...");
    AppendMenuA(filter, MF_STRING, kRun, "&Run");
    AppendMenuA(filter, MF_STRING, kRepeat, "R&epeat");
    AppendMenuA(filter, MF_STRING, kAbout, "&About plug-in");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(filter), "F&ilter");
    return bar;
}

}  // namespace

HWND createMainWindow(bool withMenu) {
    static bool registered = false;
    HINSTANCE inst = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = wndProc;
        wc.hInstance = inst;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
        registered = true;
    }
    HWND w = CreateWindowExA(0, kClassName, "Kestrix host", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr,
                             withMenu ? buildMenu() : nullptr, inst, nullptr);
    if (w) {
        ShowWindow(w, SW_SHOWNORMAL);
        UpdateWindow(w);
    }
    return w;
}

void setShownImage(HWND window, const Image* image) {
    g_shown = image;
    if (window) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
}

int runInteractive(HWND) {
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
