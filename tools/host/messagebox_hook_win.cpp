#include "messagebox_hook_win.h"

#include <windows.h>

#include <deque>
#include <set>
#include <string>
#include <utility>

#include "report_sink_win.h"

namespace {

HHOOK g_hook = nullptr;
int g_button = IDOK;
std::string g_name = "ok";
volatile LONG g_count = 0;
std::set<HWND> g_seen;
// Answers queued by a script, taken one per message box; guarded by g_queueLock.
CRITICAL_SECTION g_queueLock;
std::deque<std::pair<int, std::string>> g_queued;
bool g_lockReady = false;

void ensureLock() {
    if (!g_lockReady) {
        InitializeCriticalSection(&g_queueLock);
        g_lockReady = true;
    }
}

std::string windowText(HWND w) {
    if (!w) return std::string();
    int n = GetWindowTextLengthA(w);
    std::string s(size_t(n) + 1, '\0');
    GetWindowTextA(w, &s[0], n + 1);
    s.resize(size_t(n));
    return s;
}

std::string className(HWND w) {
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    return cls;
}

bool looksLikeMessageBox(HWND w) {
    if (className(w) != "#32770") return false;
    HWND text = GetDlgItem(w, 0xFFFF);
    if (!text || _stricmp(className(text).c_str(), "Static") != 0) return false;
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string cls = className(c);
        if (_stricmp(cls.c_str(), "Button") != 0 && _stricmp(cls.c_str(), "Static") != 0) return false;
    }
    return true;
}

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND w = reinterpret_cast<HWND>(wParam);
        if (looksLikeMessageBox(w) && g_seen.insert(w).second) {
            const LONG n = InterlockedIncrement(&g_count);
            const std::string k = "messagebox." + std::to_string(n) + ".";
            reportSet(k + "caption", windowText(w));
            reportSet(k + "text", windowText(GetDlgItem(w, 0xFFFF)));
            reportSet("messagebox.count", n);
            int wanted = g_button;
            std::string name = g_name;
            EnterCriticalSection(&g_queueLock);
            if (!g_queued.empty()) {
                wanted = g_queued.front().first;
                name = g_queued.front().second;
                g_queued.pop_front();
            }
            LeaveCriticalSection(&g_queueLock);
            // The wanted button if the box has it; else the box's own way out.
            int button = wanted;
            if (!GetDlgItem(w, button)) {
                const int fallbacks[] = {IDOK, IDCANCEL, IDNO, IDYES};
                for (int b : fallbacks)
                    if (GetDlgItem(w, b)) { button = b; break; }
            }
            reportSet(k + "answer", button == wanted ? name : "button" + std::to_string(button));
            PostMessageA(w, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, button)));
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

}  // namespace

void installMessageBoxAnswerer(int button, const char* name) {
    ensureLock();
    g_button = button;
    g_name = name;
    g_hook = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
}

void removeMessageBoxAnswerer() {
    if (g_hook) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

void queueMessageBoxAnswer(int button, const char* name) {
    ensureLock();
    EnterCriticalSection(&g_queueLock);
    g_queued.emplace_back(button, name);
    LeaveCriticalSection(&g_queueLock);
}

int messageBoxCount() { return int(InterlockedCompareExchange(&g_count, 0, 0)); }
