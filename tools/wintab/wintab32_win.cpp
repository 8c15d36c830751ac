// wintab32.dll: a virtual pen tablet for tests, demos and scripted runs of the plug-ins.
//
// The Wintab calls (by ordinal, see wintab32.def) answer from the KX_TABLET_CONFIG file;
// pen events come from KxTabletCommand (exported by name), from a script replayed on a
// thread (KX_TABLET_SCRIPT) or from the system mouse ("mouse on"). Each event is queued
// on the top context and announced with WT_PACKET / WT_CSRCHANGE posted to its window,
// as a hardware driver does from its interrupt side. All state is behind one lock: the
// replay and mouse threads enqueue while the owner's thread reads packets.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/wintab/tablet_core.h"

using namespace kxtab;

namespace {

struct Context {
    HWND window;
    LOGCONTEXTA lc;
    bool enabled;
    PacketQueue queue;
};

// Where command coordinates are measured from.
enum class Origin { Screen, Client, Control };

CRITICAL_SECTION g_lock;
bool g_loaded = false;
Config g_config;
FILE* g_log = nullptr;
std::vector<Context*> g_contexts;  // open contexts, the last is on top
PenState g_pen;
Origin g_origin = Origin::Screen;
int g_originControl = 0;
bool g_leftDown = false;           // the left button our system-mouse emulation holds
HANDLE g_scriptThread = nullptr;
HANDLE g_mouseThread = nullptr;
volatile LONG g_mouseOn = 0;

struct Lock {
    Lock() { EnterCriticalSection(&g_lock); }
    ~Lock() { LeaveCriticalSection(&g_lock); }
};

void logLine(const char* fmt, ...) {
    if (!g_log) return;
    va_list args;
    va_start(args, fmt);
    vfprintf(g_log, fmt, args);
    va_end(args);
    fputc('\n', g_log);
    fflush(g_log);
}

std::string readFile(const char* path, bool* ok) {
    std::string text;
    FILE* f = fopen(path, "rb");
    *ok = f != nullptr;
    if (!f) return text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    return text;
}

std::string envVar(const char* name) {
    char buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
}

// Called with the lock held by every entry point: the configuration is read once per
// process, on first use (not in DllMain, where file I/O is unsafe).
void ensureLoaded() {
    if (g_loaded) return;
    g_loaded = true;
    std::vector<std::string> errors;
    std::string path = envVar("KX_TABLET_CONFIG");
    if (!path.empty()) {
        bool ok = false;
        std::string text = readFile(path.c_str(), &ok);
        if (ok)
            g_config = parseConfig(text, &errors);
        else
            errors.push_back("cannot read " + path);
    }
    if (!g_config.log.empty()) g_log = fopen(g_config.log.c_str(), "a");
    logLine("load config=\"%s\" pressure_max=%d wheel_max=%d orientation=%d cursors=%u queue=%d",
            path.c_str(), g_config.pressureMax, g_config.wheelMax, int(g_config.orientation),
            unsigned(g_config.cursors.size()), g_config.defaultQueue);
    for (const auto& e : errors) logLine("config error: %s", e.c_str());
}

Context* findContext(HCTX h) {
    for (Context* c : g_contexts)
        if (c == h) return c;
    return nullptr;
}

RECT virtualScreen() {
    RECT r;
    r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (w <= 0 || h <= 0) {  // no multiple-monitor metrics
        r.left = r.top = 0;
        w = GetSystemMetrics(SM_CXSCREEN);
        h = GetSystemMetrics(SM_CYSCREEN);
    }
    r.right = r.left + w;
    r.bottom = r.top + h;
    return r;
}

LOGCONTEXTA defaultSystemContext() {
    LOGCONTEXTA lc;
    std::memset(&lc, 0, sizeof lc);
    std::strcpy(lc.lcName, "System");
    RECT vs = virtualScreen();
    int w = vs.right - vs.left, h = vs.bottom - vs.top;
    lc.lcOptions = CXO_SYSTEM;
    lc.lcMsgBase = WT_DEFBASE;
    lc.lcPktRate = 100;  // packets per second
    lc.lcPktData = PK_CONTEXT | PK_STATUS | PK_TIME | PK_CHANGED | PK_SERIAL_NUMBER | PK_CURSOR |
                   PK_BUTTONS | PK_X | PK_Y;
    lc.lcMoveMask = lc.lcPktData;
    lc.lcBtnDnMask = 0xFFFFFFFF;
    lc.lcBtnUpMask = 0xFFFFFFFF;
    // The virtual tablet's surface is the virtual screen, one count per pixel.
    lc.lcInExtX = w;
    lc.lcInExtY = h;
    lc.lcOutOrgX = vs.left;
    lc.lcOutOrgY = vs.top;
    lc.lcOutExtX = w;
    lc.lcOutExtY = h;
    lc.lcSensX = lc.lcSensY = lc.lcSensZ = 0x10000;
    lc.lcSysOrgX = vs.left;
    lc.lcSysOrgY = vs.top;
    lc.lcSysExtX = w;
    lc.lcSysExtY = h;
    lc.lcSysSensX = lc.lcSysSensY = 0x10000;
    return lc;
}

// Screen point to the context's output space. A positive vertical extent puts the origin
// at the bottom (y grows upwards); a negative one keeps screen orientation. Plug-ins that
// set origin = virtual-screen origin and extent (cx, -cy) get screen coordinates back.
void mapToContext(const LOGCONTEXTA& lc, int sx, int sy, int32_t* ox, int32_t* oy) {
    RECT vs = virtualScreen();
    int w = vs.right - vs.left, h = vs.bottom - vs.top;
    int tx = sx - vs.left, ty = sy - vs.top;
    if (lc.lcOutExtX >= 0)
        *ox = lc.lcOutOrgX + MulDiv(tx, lc.lcOutExtX, w);
    else
        *ox = lc.lcOutOrgX + MulDiv(w - 1 - tx, -lc.lcOutExtX, w);
    if (lc.lcOutExtY >= 0)
        *oy = lc.lcOutOrgY + MulDiv(h - 1 - ty, lc.lcOutExtY, h);
    else
        *oy = lc.lcOutOrgY + MulDiv(ty, -lc.lcOutExtY, h);
}

CursorKind cursorKind(uint32_t index) {
    return index < g_config.cursors.size() ? g_config.cursors[index] : CursorKind::Pen;
}

Context* topContext() {
    for (auto it = g_contexts.rbegin(); it != g_contexts.rend(); ++it)
        if ((*it)->enabled) return *it;
    return nullptr;
}

UINT messageBase(const Context* c) { return c->lc.lcMsgBase ? c->lc.lcMsgBase : WT_DEFBASE; }

// Command coordinates to screen coordinates under the current origin.
bool toScreen(int x, int y, POINT* out, std::string* error) {
    out->x = x;
    out->y = y;
    if (g_origin == Origin::Screen) return true;
    Context* c = topContext();
    HWND w = c ? c->window : nullptr;
    if (w && g_origin == Origin::Control) w = GetDlgItem(w, g_originControl);
    if (!w) {
        *error = "no window for the origin";
        return false;
    }
    ClientToScreen(w, out);
    return true;
}

// The tip switch is the left mouse button of a system context: as a driver does, move the
// pointer and press or release the button, so the owner sees ordinary mouse input too.
void emulateSystemMouse(const Context* c, POINT screen) {
    if (!g_config.systemMouse || !(c->lc.lcOptions & CXO_SYSTEM) || g_mouseOn) return;
    SetCursorPos(screen.x, screen.y);
    bool tip = (g_pen.buttons & 1) != 0;
    if (tip != g_leftDown) {
        mouse_event(tip ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        g_leftDown = tip;
    }
}

// Queues the pen's current state on the top context; posts WT_PACKET when `post`.
bool enqueuePen(bool post, bool csrChange, std::string* error) {
    Context* c = topContext();
    if (!c) {
        *error = "no enabled context";
        return false;
    }
    POINT screen;
    if (!toScreen(g_pen.x, g_pen.y, &screen, error)) return false;
    QueuedPacket p;
    p.time = GetTickCount();
    p.pen = g_pen;
    if (cursorKind(g_pen.cursor) == CursorKind::Eraser) p.status |= TPS_INVERT;
    mapToContext(c->lc, screen.x, screen.y, &p.pen.x, &p.pen.y);
    uint32_t serial = c->queue.push(p);
    if (!csrChange) emulateSystemMouse(c, screen);
    UINT msg = messageBase(c) + (csrChange ? 7 : 0);  // WT_CSRCHANGE / WT_PACKET
    bool wanted = csrChange ? (c->lc.lcOptions & CXO_CSRMESSAGES) : (c->lc.lcOptions & CXO_MESSAGES);
    if (post && wanted) PostMessageA(c->window, msg, serial, LPARAM(c));
    return true;
}

DWORD WINAPI mouseThread(void*);
DWORD WINAPI scriptThread(void*);

bool runCommand(const std::string& line, std::string* error) {
    std::vector<std::string> t = splitWords(line);
    if (t.empty() || t[0][0] == '#') return true;
    long n = 0;
    const std::string& verb = t[0];
    if (verb == "cursor") {
        if (t.size() != 2 || !parseInt(t[1], &n) || n < 0) {
            *error = "usage: cursor <index>";
            return false;
        }
        g_pen.cursor = uint32_t(n);
        // The eraser end reports a negative altitude, the tip a positive one.
        bool eraser = cursorKind(g_pen.cursor) == CursorKind::Eraser;
        int32_t alt = g_pen.altitude < 0 ? -g_pen.altitude : g_pen.altitude;
        g_pen.altitude = eraser ? -alt : alt;
        return enqueuePen(true, true, error);
    }
    if (verb == "packet") {
        bool post = true;
        if (!applyPacketFields(t, 1, &g_pen, &post, error)) return false;
        return enqueuePen(post, false, error);
    }
    if (verb == "burst") {
        if (t.size() < 2 || !parseInt(t[1], &n) || n < 1) {
            *error = "usage: burst <count> [fields]";
            return false;
        }
        bool post = true;
        if (!applyPacketFields(t, 2, &g_pen, &post, error)) return false;
        for (long i = 0; i < n; ++i)
            if (!enqueuePen(i == n - 1 && post, false, error)) return false;
        return true;
    }
    if (verb == "origin") {
        if (t.size() == 2 && t[1] == "screen") {
            g_origin = Origin::Screen;
        } else if (t.size() == 2 && t[1] == "client") {
            g_origin = Origin::Client;
        } else if (t.size() == 3 && t[1] == "control" && parseInt(t[2], &n)) {
            g_origin = Origin::Control;
            g_originControl = int(n);
        } else {
            *error = "usage: origin screen|client|control <id>";
            return false;
        }
        return true;
    }
    if (verb == "mouse") {
        if (t.size() == 2 && t[1] == "on") {
            InterlockedExchange(&g_mouseOn, 1);
            if (!g_mouseThread) g_mouseThread = CreateThread(nullptr, 0, mouseThread, nullptr, 0, nullptr);
            return g_mouseThread != nullptr;
        }
        if (t.size() == 2 && t[1] == "off") {
            InterlockedExchange(&g_mouseOn, 0);
            return true;
        }
        *error = "usage: mouse on|off";
        return false;
    }
    *error = "unknown command \"" + verb + "\"";
    return false;
}

int command(const char* line) {
    Lock lock;
    ensureLoaded();
    std::string error;
    bool ok = line && runCommand(line, &error);
    logLine("command %s -> %d%s%s", line ? line : "(null)", int(ok), ok ? "" : " ", error.c_str());
    return ok ? 1 : 0;
}

// "mouse on": the pointer is the pen. Polls every 10 ms and queues a packet when the
// position or the left button changes; pressure is 70 % of the maximum while it is held.
DWORD WINAPI mouseThread(void*) {
    POINT last = {-1, -1};
    bool lastDown = false;
    for (;;) {
        Sleep(10);
        if (!g_mouseOn) {
            last.x = -1;
            continue;
        }
        POINT pt;
        GetCursorPos(&pt);
        bool down = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
        if (pt.x == last.x && pt.y == last.y && down == lastDown) continue;
        last = pt;
        lastDown = down;
        Lock lock;
        Origin saved = g_origin;
        g_origin = Origin::Screen;
        g_pen.x = pt.x;
        g_pen.y = pt.y;
        g_pen.buttons = down ? 1 : 0;
        g_pen.pressure = down ? uint32_t(g_config.pressureMax * 7 / 10) : 0;
        std::string error;
        enqueuePen(true, false, &error);
        g_origin = saved;
    }
}

// KX_TABLET_SCRIPT: "delay <ms>" (first line) and "wait <ms>" pace the other lines,
// which run as KxTabletCommand lines.
DWORD WINAPI scriptThread(void* param) {
    std::string* text = static_cast<std::string*>(param);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text->size()) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        lines.push_back(text->substr(start, end - start));
        start = end + 1;
    }
    delete text;
    for (const auto& line : lines) {
        std::vector<std::string> t = splitWords(line);
        long ms = 0;
        if (t.size() == 2 && (t[0] == "delay" || t[0] == "wait") && parseInt(t[1], &ms) && ms >= 0) {
            Sleep(DWORD(ms));
            continue;
        }
        if (!t.empty()) command(line.c_str());
    }
    Lock lock;
    logLine("script done");
    return 0;
}

void startScriptOnce() {
    if (g_scriptThread) return;
    std::string path = envVar("KX_TABLET_SCRIPT");
    if (path.empty()) return;
    bool ok = false;
    std::string* text = new std::string(readFile(path.c_str(), &ok));
    if (!ok) {
        logLine("script error: cannot read %s", path.c_str());
        delete text;
        g_scriptThread = INVALID_HANDLE_VALUE;
        return;
    }
    g_scriptThread = CreateThread(nullptr, 0, scriptThread, text, 0, nullptr);
    logLine("script %s", path.c_str());
}

UINT copyOut(void* out, const void* data, UINT size) {
    if (out) std::memcpy(out, data, size);
    return size;
}

UINT info(UINT category, UINT index, void* out) {
    if (category == 0) return sizeof(LOGCONTEXTA);  // the largest answer we give
    if ((category == WTI_DEFSYSCTX || category == WTI_DEFCONTEXT) && index == 0) {
        LOGCONTEXTA lc = defaultSystemContext();
        if (category == WTI_DEFCONTEXT) {
            std::strcpy(lc.lcName, "Digitizing");
            lc.lcOptions = 0;
        }
        return copyOut(out, &lc, sizeof lc);
    }
    if (category == WTI_INTERFACE && index == 1) {  // IFC_WINTABID
        static const char id[] = "Kestrix virtual tablet";
        return copyOut(out, id, sizeof id);
    }
    if (category == WTI_DEVICES) {
        RECT vs = virtualScreen();
        AXIS axes[3];
        std::memset(axes, 0, sizeof axes);
        switch (index) {
        case DVC_X:
        case DVC_Y:
            axes[0].axMax = index == DVC_X ? vs.right - vs.left - 1 : vs.bottom - vs.top - 1;
            axes[0].axUnits = 1;                // inches
            axes[0].axResolution = 96u << 16;   // counts per inch: one per pixel
            return copyOut(out, axes, sizeof(AXIS));
        case DVC_NPRESSURE:
            axes[0].axMax = g_config.pressureMax;
            return copyOut(out, axes, sizeof(AXIS));
        case DVC_TPRESSURE:
            if (g_config.wheelMax == 0) return 0;
            axes[0].axMax = g_config.wheelMax;
            return copyOut(out, axes, sizeof(AXIS));
        case DVC_ORIENTATION:
            if (!g_config.orientation) return 0;
            // Tenths of a degree: azimuth and twist 0..3599, altitude -900..900
            // (negative with the eraser end down).
            axes[0] = {0, 3599, 3, uint32_t(g_config.azimuthResolution) << 16};
            axes[1] = {-900, 900, 3, uint32_t(g_config.azimuthResolution) << 16};
            axes[2] = {0, 3599, 3, uint32_t(g_config.azimuthResolution) << 16};
            return copyOut(out, axes, sizeof axes);
        }
        return 0;
    }
    if (category >= WTI_CURSORS && category < WTI_CURSORS + g_config.cursors.size()) {
        CursorKind kind = g_config.cursors[category - WTI_CURSORS];
        if (index == CSR_TYPE) {
            UINT type = cursorType(kind);
            return copyOut(out, &type, sizeof type);
        }
        if (index == CSR_NAME) {
            const char* name = cursorName(kind);
            return copyOut(out, name, UINT(std::strlen(name) + 1));
        }
    }
    return 0;
}

}  // namespace

extern "C" {

UINT WINAPI WTInfoA(UINT category, UINT index, void* out) {
    Lock lock;
    ensureLoaded();
    UINT r = info(category, index, out);
    logLine("WTInfoA %u %u%s -> %u", category, index, out ? "" : " null", r);
    return r;
}

HCTX WINAPI WTOpenA(HWND window, LOGCONTEXTA* lc, BOOL enable) {
    Lock lock;
    ensureLoaded();
    Context* c = nullptr;
    if (!g_config.refuseOpen && lc && window && IsWindow(window)) {
        c = new Context{window, *lc, enable != 0, PacketQueue(g_config.defaultQueue)};
        g_contexts.push_back(c);
    }
    char name[sizeof lc->lcName + 1] = "";
    if (lc) {
        std::memcpy(name, lc->lcName, sizeof lc->lcName);
        name[sizeof lc->lcName] = '\0';
    }
    logLine("WTOpenA name=\"%s\" options=0x%04x pktdata=0x%04x pktmode=0x%x movemask=0x%04x "
            "btnup=0x%08x out=%d,%d,%d,%d enable=%d -> %s",
            name, lc ? lc->lcOptions : 0, lc ? lc->lcPktData : 0, lc ? lc->lcPktMode : 0,
            lc ? lc->lcMoveMask : 0, lc ? lc->lcBtnUpMask : 0, lc ? lc->lcOutOrgX : 0,
            lc ? lc->lcOutOrgY : 0, lc ? lc->lcOutExtX : 0, lc ? lc->lcOutExtY : 0, int(enable),
            c ? "ok" : "null");
    if (c) startScriptOnce();
    return c;
}

// Takes a context out of the overlap order (the top is the back of the list).
static void unlinkContext(Context* c) {
    for (auto it = g_contexts.begin(); it != g_contexts.end(); ++it) {
        if (*it == c) {
            g_contexts.erase(it);
            return;
        }
    }
}

BOOL WINAPI WTClose(HCTX h) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    if (c) {
        unlinkContext(c);
        delete c;
    }
    logLine("WTClose -> %d", int(c != nullptr));
    return c != nullptr;
}

int WINAPI WTPacketsGet(HCTX h, int maxPackets, void* buffer) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    if (!c || maxPackets <= 0) return 0;
    std::vector<QueuedPacket> taken;
    int n = c->queue.takeOldest(maxPackets, buffer ? &taken : nullptr);
    unsigned char* dst = static_cast<unsigned char*>(buffer);
    for (const auto& p : taken)
        dst += writePacket(c->lc.lcPktData, p, uint32_t(uintptr_t(c)), dst);
    logLine("WTPacketsGet %d -> %d", maxPackets, n);
    return n;
}

BOOL WINAPI WTPacket(HCTX h, UINT serial, void* packet) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    QueuedPacket p;
    bool found = c && c->queue.take(serial, &p);
    if (found && packet) writePacket(c->lc.lcPktData, p, uint32_t(uintptr_t(c)), packet);
    logLine("WTPacket %u -> %d", serial, int(found));
    return found;
}

BOOL WINAPI WTEnable(HCTX h, BOOL enable) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    if (c) c->enabled = enable != 0;
    logLine("WTEnable %d -> %d", int(enable), int(c != nullptr));
    return c != nullptr;
}

BOOL WINAPI WTOverlap(HCTX h, BOOL toTop) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    if (c) {
        unlinkContext(c);
        if (toTop)
            g_contexts.push_back(c);
        else
            g_contexts.insert(g_contexts.begin(), c);
    }
    logLine("WTOverlap %d -> %d", int(toTop), int(c != nullptr));
    return c != nullptr;
}

int WINAPI WTQueueSizeGet(HCTX h) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    int n = c ? c->queue.capacity() : 0;
    logLine("WTQueueSizeGet -> %d", n);
    return n;
}

BOOL WINAPI WTQueueSizeSet(HCTX h, int packets) {
    Lock lock;
    ensureLoaded();
    Context* c = findContext(h);
    bool ok = c && packets > 0 && !g_config.refusesQueueSize(packets);
    if (ok) c->queue.setCapacity(packets);
    // Drivers that delete the old queue before making the new one have none left when
    // the new size is refused: WTQueueSizeGet then answers 0.
    if (c && !ok && g_config.refusalDropsQueue) c->queue.setCapacity(0);
    logLine("WTQueueSizeSet %d -> %d", packets, int(ok));
    return ok;
}

// One command line (syntax in tools/wintab/README.md): 1 on success, 0 on error (logged).
int WINAPI KxTabletCommand(const char* line) { return command(line); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
    // No clean-up at detach: the replay and mouse threads may still hold the lock, and
    // the process is going away.
    return TRUE;
}

}  // extern "C"
