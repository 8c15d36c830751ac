#include "dialog_driver_win.h"
#include "window_capture_win.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "messagebox_hook_win.h"
#include "png_write.h"
#include "report_sink_win.h"

namespace {

// --- hooks on the dialog's thread ---------------------------------------------------
// A thread message posted to the dialog's thread with a sequence number, seen by a
// WH_GETMESSAGE hook when the thread takes it from its queue: everything posted before
// it has been handled by then. Input is ordered separately (hardware messages come
// after posted ones), so real input is followed by a key of an unassigned virtual-key
// code that our WH_KEYBOARD hook takes out; once it is seen, the input before it has
// been handled.
constexpr int kSentinelVk = 0x97;
constexpr DWORD kSendTimeoutMs = 2000;

UINT g_markerMsg = 0;
volatile LONG g_markerSeen = 0;
volatile LONG g_otherSeen = 0;
volatile LONG g_sentinelSeen = 0;
HHOOK g_getMsgHook = nullptr;
HHOOK g_keyHook = nullptr;
HHOOK g_callRetHook = nullptr;
DWORD g_hookThread = 0;
CRITICAL_SECTION g_keyHookLock;  // g_keyHook is put back from both threads

LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam);

// (Re)installs our keyboard hook so that it is the first one called.
void putKeyHookFirst() {
    EnterCriticalSection(&g_keyHookLock);
    if (g_keyHook) UnhookWindowsHookEx(g_keyHook);
    g_keyHook = g_hookThread ? SetWindowsHookExA(WH_KEYBOARD, keyHook, nullptr, g_hookThread) : nullptr;
    LeaveCriticalSection(&g_keyHookLock);
}

LRESULT CALLBACK getMsgHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (m->message == g_markerMsg && !m->hwnd) InterlockedExchange(&g_markerSeen, LONG(m->wParam));
        else if (m->message != WM_TIMER && m->message != 0x0118 /* WM_SYSTIMER: caret blink */)
            InterlockedIncrement(&g_otherSeen);
    }
    return CallNextHookEx(g_getMsgHook, code, wParam, lParam);
}

LRESULT CALLBACK keyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == kSentinelVk) {
        if (lParam & 0x80000000) InterlockedIncrement(&g_sentinelSeen);
        return 1;  // not for the dialog
    }
    return CallNextHookEx(g_keyHook, code, wParam, lParam);
}

// Dialogs put their keyboard hook in on WM_ACTIVATE (after a message box, say), ahead
// of ours: once such a WM_ACTIVATE has been handled, ours goes first again.
LRESULT CALLBACK callRetHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && reinterpret_cast<const CWPRETSTRUCT*>(lParam)->message == WM_ACTIVATE) putKeyHookFirst();
    return CallNextHookEx(g_callRetHook, code, wParam, lParam);
}

LONG readLong(volatile LONG& v) { return InterlockedCompareExchange(&v, 0, 0); }

// --- small helpers ------------------------------------------------------------------
std::string className(HWND w) {
    char cls[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    return cls;
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

std::string sizeText(const RECT& r) { return std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top); }

// v / 65536 in the shortest decimal that is exact (it always is within 16 places).
std::string fixedText(long long v) {
    char b[64];
    std::snprintf(b, sizeof b, "%.16f", double(v) / 65536.0);
    std::string s = b;
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

long toLong(const std::string& s) {
    long v = 0;
    scriptInt(s, v);
    return v;
}

bool isExtendedKey(int vk) {
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE: case VK_RCONTROL: case VK_RMENU:
        return true;
    default:
        return false;
    }
}

struct ScriptFailure {
    std::string why;
};

}  // namespace

class DialogDriver {
public:
    DialogDriver(const std::vector<ScriptCommand>& commands, const std::string& logPath)
        : commands_(commands), logPath_(logPath) {
        done_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        static bool lockReady = false;
        if (!lockReady) InitializeCriticalSection(&g_keyHookLock);
        lockReady = true;
    }
    ~DialogDriver() {
        removeHooks();
        if (log_) std::fclose(log_);
        CloseHandle(done_);
        if (thread_) CloseHandle(thread_);
    }

    void start() { thread_ = CreateThread(nullptr, 0, threadMain, this, 0, nullptr); }
    void finish() {
        SetEvent(done_);
        if (thread_) WaitForSingleObject(thread_, INFINITE);
    }

private:
    static DWORD WINAPI threadMain(void* self) {
        static_cast<DialogDriver*>(self)->runScript();
        return 0;
    }

    // --- the script ---------------------------------------------------------------
    void runScript() {
        if (!logPath_.empty()) log_ = std::fopen(logPath_.c_str(), "wb");
        g_markerMsg = RegisterWindowMessageA("KestrixDriverMarker");
        int ran = 0;
        for (const ScriptCommand& c : commands_) {
            current_ = &c;
            const std::string prefix = "script." + std::to_string(c.line) + ".";
            const int boxesBefore = messageBoxCount();
            bool ok = true;
            std::string why;
            try {
                execute(c);
                settle();
            } catch (const ScriptFailure& f) {
                ok = false;
                why = f.why;
            }
            ++ran;
            const int boxesAfter = messageBoxCount();
            if (boxesAfter > boxesBefore)
                result("messagebox", reportGet("messagebox." + std::to_string(boxesAfter) + ".text"));
            if (dialog_ && !IsWindow(dialog_)) {
                result("dialog", "closed");
                dialog_ = nullptr;
            }
            logLine(c, ok ? "ok" : "error: " + why);
            if (!ok) {
                reportSet("script.error", "line " + std::to_string(c.line) + ": " + why);
                result("error", why);
                cancelDialog();
                break;
            }
        }
        reportSet("script.commands", ran);
        reportSet("script.result", reportGet("script.error").empty() ? "ok" : "error");
        if (log_) std::fflush(log_);
    }

    void result(const std::string& key, const std::string& value) {
        reportSet("script." + std::to_string(current_->line) + "." + key, value);
        pending_.emplace_back(key, value);
    }
    void result(const std::string& key, long long value) { result(key, std::to_string(value)); }

    void logLine(const ScriptCommand& c, const std::string& outcome) {
        if (!log_) {
            pending_.clear();
            return;
        }
        std::string words = c.verb;
        for (const auto& a : c.args) words += " " + a;
        for (const auto& o : c.options) words += " " + o.first + "=" + o.second;
        std::fprintf(log_, "line %d: %s -> %s\n", c.line, words.c_str(), outcome.c_str());
        for (const auto& p : pending_) std::fprintf(log_, "  %s=%s\n", p.first.c_str(), p.second.c_str());
        std::fflush(log_);
        pending_.clear();
    }

    [[noreturn]] void fail(const std::string& why) { throw ScriptFailure{why}; }

    bool selectorsOver() const { return WaitForSingleObject(done_, 0) == WAIT_OBJECT_0; }

    // Ends the dialog the way its Cancel button does, so a failed script lets the run finish.
    void cancelDialog() {
        HWND d = dialog_ && IsWindow(dialog_) ? dialog_ : findDialog(waitClass_);
        if (!d) d = findDialog(std::string());  // whatever modal window the plug-in has up
        if (!d) return;
        PostMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDCANCEL)));
    }

    // --- finding windows ----------------------------------------------------------
    struct FindArgs {
        std::string cls;
        HWND found;
    };
    static BOOL CALLBACK enumTop(HWND w, LPARAM lp) {
        auto* f = reinterpret_cast<FindArgs*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        // An empty class asks for any owned window: a modal dialog has the host's window as owner.
        const bool match = f->cls.empty() ? GetWindow(w, GW_OWNER) != nullptr : className(w) == f->cls;
        if (pid == GetCurrentProcessId() && IsWindowVisible(w) && match) {
            f->found = w;
            return FALSE;
        }
        return TRUE;
    }
    static HWND findDialog(const std::string& cls) {
        FindArgs f{cls, nullptr};
        EnumWindows(enumTop, reinterpret_cast<LPARAM>(&f));
        return f.found;
    }

    HWND needDialog() {
        if (!dialog_ || !IsWindow(dialog_)) fail("no dialog (wait-dialog first, or it has closed)");
        return dialog_;
    }

    HWND control(long id) {
        HWND d = needDialog();
        if (id == 0) return d;
        HWND c = GetDlgItem(d, int(id));
        if (!c) fail("no control " + std::to_string(id) + " in the dialog");
        return c;
    }

    LRESULT send(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        DWORD_PTR r = 0;
        if (!SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &r))
            fail("window did not answer message 0x" + std::to_string(msg));
        return LRESULT(r);
    }

    std::string text(HWND w) {
        const int n = int(send(w, WM_GETTEXTLENGTH, 0, 0));
        std::string s(size_t(n) + 1, '\0');
        const int got = int(send(w, WM_GETTEXT, WPARAM(n + 1), reinterpret_cast<LPARAM>(&s[0])));
        s.resize(size_t(got < 0 ? 0 : got));
        return s;
    }

    // --- hooks and waiting --------------------------------------------------------
    void installHooks(DWORD thread) {
        removeHooks();
        hookThread_ = g_hookThread = thread;
        g_getMsgHook = SetWindowsHookExA(WH_GETMESSAGE, getMsgHook, nullptr, thread);
        g_callRetHook = SetWindowsHookExA(WH_CALLWNDPROCRET, callRetHook, nullptr, thread);
        putKeyHookFirst();
    }
    // Ours goes in again before each input, so it is called first and takes the sentinel out.
    void refreshKeyHook() { putKeyHookFirst(); }
    void removeHooks() {
        if (g_getMsgHook) UnhookWindowsHookEx(g_getMsgHook);
        if (g_callRetHook) UnhookWindowsHookEx(g_callRetHook);
        g_getMsgHook = g_callRetHook = nullptr;
        g_hookThread = 0;
        putKeyHookFirst();  // with no thread: removes it
        hookThread_ = 0;
    }

    // Posts a marker and waits until the dialog's thread has taken it (true), the dialog
    // has gone, or the thread stays busy (false).
    bool markerRound() {
        const LONG seq = ++markerSeq_;
        if (!PostThreadMessageA(hookThread_, g_markerMsg, WPARAM(seq), 0)) return false;
        for (DWORD waited = 0; waited < kSendTimeoutMs; waited += 5) {
            if (readLong(g_markerSeen) >= seq) return true;
            if (!IsWindow(dialog_)) return false;
            Sleep(5);
        }
        return false;
    }

    // Waits until the dialog's thread has handled everything queued for it: rounds of a
    // posted marker and a sent WM_NULL until one passes with no other message taken.
    void settle() {
        if (!dialog_ || !IsWindow(dialog_) || !hookThread_) return;
        for (int round = 0; round < 20; ++round) {
            const LONG before = readLong(g_otherSeen);
            if (!markerRound()) {
                if (IsWindow(dialog_)) result("busy", 1);
                return;
            }
            DWORD_PTR r;
            if (!SendMessageTimeoutA(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &r)) return;
            if (round > 0 && readLong(g_otherSeen) == before) return;
            Sleep(5);
        }
    }

    // --- real input ---------------------------------------------------------------
    void sendInputs(std::vector<INPUT>& in) {
        if (in.empty()) return;
        if (SendInput(UINT(in.size()), in.data(), sizeof(INPUT)) != in.size()) fail("SendInput refused the input");
    }

    static INPUT keyInput(int vk, bool up) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = WORD(vk);
        in.ki.wScan = WORD(MapVirtualKeyA(UINT(vk), 0 /* MAPVK_VK_TO_VSC */));
        in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
        return in;
    }

    // Waits until the dialog's thread has taken every input sent so far.
    void syncInput() {
        std::vector<INPUT> s = {keyInput(kSentinelVk, false), keyInput(kSentinelVk, true)};
        const LONG want = ++sentinelSeq_;
        sendInputs(s);
        for (DWORD waited = 0; waited < kSendTimeoutMs; waited += 5) {
            if (readLong(g_sentinelSeen) >= want) return;
            if (!IsWindow(dialog_)) return;
            Sleep(5);
        }
        // Most likely the dialog is not the foreground window, so keys go elsewhere.
        InterlockedExchange(&g_sentinelSeen, want);
        fail("input did not reach the dialog's thread (is it the foreground window?)");
    }

    void keys(std::vector<INPUT>& in) {
        needDialog();
        refreshKeyHook();
        sendInputs(in);
        syncInput();
    }

    INPUT mouseInput(POINT screen, DWORD flags) {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        INPUT in = {};
        in.type = INPUT_MOUSE;
        // Absolute coordinates are 0..65535 over the primary screen, mapped back as
        // (v * size) >> 16: rounding up hits the wanted pixel exactly.
        in.mi.dx = LONG((static_cast<long long>(screen.x) * 65536 + w - 1) / w);
        in.mi.dy = LONG((static_cast<long long>(screen.y) * 65536 + h - 1) / h);
        in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        return in;
    }

    void mouse(POINT screen, DWORD flags) {
        std::vector<INPUT> in = {mouseInput(screen, flags)};
        refreshKeyHook();
        sendInputs(in);
        syncInput();
    }

    POINT toScreen(const ScriptCommand& c, long x, long y) {
        HWND w = control(toLong(c.option("in", "1012")));
        POINT p = {x, y};
        ClientToScreen(w, &p);
        return p;
    }

    // --- commands -----------------------------------------------------------------
    void execute(const ScriptCommand& c) {
        const std::string& v = c.verb;
        const auto& a = c.args;
        if (v == "wait-dialog") return waitDialog(c);
        if (v == "sleep") return Sleep(DWORD(toLong(a[0]) < 0 ? 0 : toLong(a[0])));
        if (v == "idle") return;  // settle() follows every command
        if (v == "answer") {
            const int button = a[0] == "yes" ? IDYES : a[0] == "no" ? IDNO : a[0] == "cancel" ? IDCANCEL : IDOK;
            return queueMessageBoxAnswer(button, a[0].c_str());
        }
        if (v == "expect-messagebox") return expectMessageBox(c);
        if (v == "tablet") return tablet(a[0]);
        if (v == "click") {
            HWND b = control(toLong(a[0]));
            if (!IsWindowEnabled(b)) result("disabled", 1);
            // Posted: a click that opens a modal message box must not hold the driver.
            PostMessageA(b, BM_CLICK, 0, 0);
            return;
        }
        if (v == "select") {
            // A drop-down list's entry chosen as the user would: selected, then the
            // selection-change notice to the dialog (posted, like a click).
            HWND list = control(toLong(a[0]));
            if (send(list, CB_SETCURSEL, WPARAM(toLong(a[1])), 0) == CB_ERR) fail("no entry " + a[1] + " in list " + a[0]);
            PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(toLong(a[0]), CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            return;
        }
        if (v == "settext") {
            HWND e = control(toLong(a[0]));
            const std::string t = a.size() > 1 ? a[1] : std::string();
            send(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(t.c_str()));
            return;
        }
        if (v == "type") return typeText(control(toLong(a[0])), a[1]);
        if (v == "key") return key(a);
        if (v == "mouse") {
            const POINT p = toScreen(c, toLong(a[1]), toLong(a[2]));
            const DWORD flags = a[0] == "down" ? MOUSEEVENTF_LEFTDOWN : a[0] == "up" ? MOUSEEVENTF_LEFTUP : 0;
            mouse(p, flags);
            return cursorResult(p);
        }
        if (v == "drag") return drag(c);
        if (v == "read") return read(control(toLong(a[0])));
        if (v == "trackbar") {
            HWND t = control(toLong(a[0]));
            result("pos", send(t, TBM_GETPOS, 0, 0));
            result("range", std::to_string(send(t, TBM_GETRANGEMIN, 0, 0)) + "," + std::to_string(send(t, TBM_GETRANGEMAX, 0, 0)));
            return;
        }
        if (v == "scroll") {
            HWND s = control(toLong(a[0]));
            SCROLLINFO si = {};
            si.cbSize = sizeof si;
            si.fMask = SIF_ALL;
            if (!GetScrollInfo(s, SB_CTL, &si)) fail("no scroll information for control " + a[0]);
            result("pos", si.nPos);
            result("min", si.nMin);
            result("max", si.nMax);
            result("page", (long long)si.nPage);
            result("enabled", IsWindowEnabled(s) ? 1 : 0);
            return;
        }
        if (v == "preview") return preview(control(a.empty() ? 1012 : toLong(a[0])));
        if (v == "window") {
            HWND d = needDialog();
            RECT r, cr;
            GetWindowRect(d, &r);
            GetClientRect(d, &cr);
            result("rect", rectText(r));
            result("maximized", IsZoomed(d) ? 1 : 0);
            result("minimized", IsIconic(d) ? 1 : 0);
            result("client", sizeText(cr));
            return;
        }
        if (v == "move") {
            const long l = toLong(a[0]), t = toLong(a[1]), r = toLong(a[2]), b = toLong(a[3]);
            if (!SetWindowPos(needDialog(), nullptr, l, t, r - l, b - t, SWP_NOZORDER | SWP_NOACTIVATE))
                fail("SetWindowPos failed");
            return;
        }
        if (v == "maximize" || v == "restore") {
            ShowWindow(needDialog(), v == "maximize" ? SW_MAXIMIZE : SW_RESTORE);
            return;
        }
        if (v == "sysclose") {
            PostMessageA(needDialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
            return;
        }
        if (v == "screenshot") return screenshot(c);
        if (v == "focus") return focus(a.empty() ? 0 : toLong(a[0]));
        fail("command not handled: " + v);
    }

    void waitDialog(const ScriptCommand& c) {
        waitClass_ = c.option("class", "DlgWndClass");
        const long timeout = toLong(c.option("timeout", "5000"));
        const DWORD start = GetTickCount();
        HWND d = nullptr;
        for (;;) {
            d = findDialog(waitClass_);
            if (d) break;
            if (selectorsOver()) fail("the plug-in finished without showing a " + waitClass_ + " window");
            if (long(GetTickCount() - start) >= timeout)
                fail("no visible " + waitClass_ + " window within " + std::to_string(timeout) + " ms");
            Sleep(10);
        }
        dialog_ = d;
        installHooks(GetWindowThreadProcessId(d, nullptr));
        result("waited", static_cast<long long>(GetTickCount() - start));
        settle();
        focus(0);
    }

    void focus(long id) {
        HWND d = needDialog();
        // The host's only thread with windows is the dialog's: let the driver's thread
        // share its input state so foreground and focus changes are allowed from here.
        AttachThreadInput(GetCurrentThreadId(), hookThread_, TRUE);
        SetForegroundWindow(d);
        if (id) send(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(id)), TRUE);
        AttachThreadInput(GetCurrentThreadId(), hookThread_, FALSE);
        settle();
        result("foreground", GetForegroundWindow() == d ? 1 : 0);
    }

    void expectMessageBox(const ScriptCommand& c) {
        const long timeout = toLong(c.option("timeout", "3000"));
        const DWORD start = GetTickCount();
        while (messageBoxCount() <= boxesTaken_) {
            if (long(GetTickCount() - start) >= timeout) fail("no message box within " + std::to_string(timeout) + " ms");
            if (selectorsOver()) fail("the plug-in finished without showing a message box");
            Sleep(10);
        }
        // The newest box: all shown up to now count as expected.
        boxesTaken_ = messageBoxCount();
        const std::string k = "messagebox." + std::to_string(boxesTaken_) + ".";
        result("caption", reportGet(k + "caption"));
        result("text", reportGet(k + "text"));
        result("answer", reportGet(k + "answer"));
    }

    void tablet(const std::string& line) {
        typedef int(WINAPI * CommandProc)(const char*);
        HMODULE m = GetModuleHandleA("wintab32.dll");
        if (!m) m = LoadLibraryA("wintab32.dll");
        CommandProc proc = m ? reinterpret_cast<CommandProc>(reinterpret_cast<void*>(GetProcAddress(m, "KxTabletCommand"))) : nullptr;
        if (!proc) {
            result("ok", 0);
            result("why", m ? "wintab32.dll has no KxTabletCommand" : "no wintab32.dll");
            return;
        }
        result("ok", proc(line.c_str()) ? 1 : 0);
    }

    void key(const std::vector<std::string>& a) {
        const int vk = scriptKeyCode(a[1]);
        std::vector<INPUT> in;
        if (a[0] == "down" || a[0] == "press") in.push_back(keyInput(vk, false));
        if (a[0] == "repeat")
            for (long i = 0; i < toLong(a[2]); ++i) in.push_back(keyInput(vk, false));
        if (a[0] != "down") in.push_back(keyInput(vk, true));
        keys(in);
    }

    void typeText(HWND target, const std::string& t) {
        HWND d = needDialog();
        send(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
        std::vector<INPUT> in;
        for (unsigned char ch : t) {
            const SHORT scan = VkKeyScanA(char(ch));
            if (scan == -1) {  // no key for it on this layout: a Unicode packet
                INPUT u = {};
                u.type = INPUT_KEYBOARD;
                u.ki.wScan = ch;
                u.ki.dwFlags = KEYEVENTF_UNICODE;
                in.push_back(u);
                u.ki.dwFlags |= KEYEVENTF_KEYUP;
                in.push_back(u);
                continue;
            }
            const int vk = scan & 0xFF, shift = (scan >> 8) & 0xFF;
            const int mods[3] = {VK_SHIFT, VK_CONTROL, VK_MENU};
            for (int i = 0; i < 3; ++i)
                if (shift & (1 << i)) in.push_back(keyInput(mods[i], false));
            in.push_back(keyInput(vk, false));
            in.push_back(keyInput(vk, true));
            for (int i = 2; i >= 0; --i)
                if (shift & (1 << i)) in.push_back(keyInput(mods[i], true));
        }
        keys(in);
    }

    void cursorResult(POINT wanted) {
        POINT p;
        GetCursorPos(&p);
        if (p.x != wanted.x || p.y != wanted.y)
            result("cursor", std::to_string(p.x) + "," + std::to_string(p.y));
    }

    void drag(const ScriptCommand& c) {
        const auto& a = c.args;
        const long x1 = toLong(a[0]), y1 = toLong(a[1]), x2 = toLong(a[2]), y2 = toLong(a[3]);
        long steps = toLong(c.option("steps", "8"));
        if (steps < 1) steps = 1;
        mouse(toScreen(c, x1, y1), 0);
        mouse(toScreen(c, x1, y1), MOUSEEVENTF_LEFTDOWN);
        for (long i = 1; i <= steps; ++i)
            mouse(toScreen(c, x1 + (x2 - x1) * i / steps, y1 + (y2 - y1) * i / steps), 0);
        const POINT end = toScreen(c, x2, y2);
        mouse(end, MOUSEEVENTF_LEFTUP);
        cursorResult(end);
    }

    void read(HWND w) {
        result("text", text(w));
        result("class", className(w));
        result("enabled", IsWindowEnabled(w) ? 1 : 0);
        if (_stricmp(className(w).c_str(), "Button") == 0) result("checked", send(w, BM_GETCHECK, 0, 0));
        if (_stricmp(className(w).c_str(), "ComboBox") == 0) {
            const long long n = send(w, CB_GETCOUNT, 0, 0);
            result("items", n);
            result("selected", send(w, CB_GETCURSEL, 0, 0));
            for (long long i = 0; i < n; ++i) {
                // Wide, then UTF-8: the entries read the same whatever the host's code page.
                wchar_t item[256] = L"";
                char utf8[768] = "";
                DWORD_PTR r = 0;
                if (send(w, CB_GETLBTEXTLEN, WPARAM(i), 0) < LRESULT(sizeof item / sizeof item[0]))
                    SendMessageTimeoutW(w, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item), SMTO_NORMAL,
                                        kSendTimeoutMs, &r);
                WideCharToMultiByte(CP_UTF8, 0, item, -1, utf8, sizeof utf8, nullptr, nullptr);
                result("item." + std::to_string(i), utf8);
            }
        }
        result("visible", IsWindowVisible(w) ? 1 : 0);
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        result("rect", rectText(r));
    }

    void preview(HWND p) {
        HANDLE zoom = GetPropA(p, "KestrixZoom");
        result("zoom", zoom ? fixedText(reinterpret_cast<intptr_t>(zoom)) : std::string("none"));
        const int bars[2] = {1015, 1013};
        const char* keys[2] = {"hpos", "vpos"};
        for (int i = 0; i < 2; ++i) {
            HWND s = GetDlgItem(dialog_, bars[i]);
            SCROLLINFO si = {};
            si.cbSize = sizeof si;
            si.fMask = SIF_POS;
            if (s && GetScrollInfo(s, SB_CTL, &si)) result(keys[i], si.nPos);
        }
        RECT cr;
        GetClientRect(p, &cr);
        result("client", sizeText(cr));
    }

    void screenshot(const ScriptCommand& c) {
        const std::string of = c.option("of", "dialog");
        HWND w = of == "dialog" ? needDialog() : control(of == "preview" ? 1012 : toLong(of));
        // redraw=0 keeps what is on screen, such as the marching ants a timer draws
        // straight onto it and a repaint would wipe until the next tick.
        if (c.option("redraw", "1") != "0")
            RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        settle();
        int width, height;
        if (!captureWindowPng(w, true, c.args[0], width, height)) {
            if (width <= 0 || height <= 0) fail("the window has no area");
            fail("cannot write " + c.args[0]);
        }
        result("size", std::to_string(width) + "," + std::to_string(height));
    }

    std::vector<ScriptCommand> commands_;
    std::string logPath_;
    FILE* log_ = nullptr;
    HANDLE done_ = nullptr;
    HANDLE thread_ = nullptr;
    const ScriptCommand* current_ = nullptr;
    std::vector<std::pair<std::string, std::string>> pending_;  // results of the command, for the log
    HWND dialog_ = nullptr;
    std::string waitClass_ = "DlgWndClass";
    DWORD hookThread_ = 0;
    LONG markerSeq_ = 0;
    LONG sentinelSeq_ = 0;
    int boxesTaken_ = 0;
};

DialogDriver* startDialogDriver(const std::vector<ScriptCommand>& commands, const std::string& logPath) {
    auto* d = new DialogDriver(commands, logPath);
    d->start();
    return d;
}

void finishDialogDriver(DialogDriver* driver) {
    if (!driver) return;
    driver->finish();
    delete driver;
}
