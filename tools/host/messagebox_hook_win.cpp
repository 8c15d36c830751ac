#include "messagebox_hook_win.h"

#include <windows.h>

#include <set>
#include <string>

#include "report_sink_win.h"

namespace {

HHOOK g_hook = nullptr;
int g_button = IDOK;
std::string g_name = "ok";
int g_count = 0;
std::set<HWND> g_seen;

std::string windowText(HWND w) {
    if (!w) return std::string();
    int n = GetWindowTextLengthA(w);
    std::string s(size_t(n) + 1, '\0');
    GetWindowTextA(w, &s[0], n + 1);
    s.resize(size_t(n));
    return s;
}

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND w = reinterpret_cast<HWND>(wParam);
        char cls[32] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) == "#32770" && g_seen.insert(w).second) {
            const std::string k = "messagebox." + std::to_string(++g_count) + ".";
            reportSet("messagebox.count", g_count);
            reportSet(k + "caption", windowText(w));
            reportSet(k + "text", windowText(GetDlgItem(w, 0xFFFF)));
            // The wanted button if the box has it; else the box's own way out.
            int button = g_button;
            if (!GetDlgItem(w, button)) {
                const int fallbacks[] = {IDOK, IDCANCEL, IDNO, IDYES};
                for (int b : fallbacks)
                    if (GetDlgItem(w, b)) { button = b; break; }
            }
            reportSet(k + "answer", button == g_button ? g_name : "button" + std::to_string(button));
            PostMessageA(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, button)));
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void installMessageBoxAnswerer(int button, const char* name) {
    g_button = button;
    g_name = name;
    g_hook = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
}

void removeMessageBoxAnswerer() {
    if (g_hook) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}
