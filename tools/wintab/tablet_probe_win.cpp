// tablet_probe.exe <wintab32.dll path> <action>...
//
// Drives a wintab32.dll the way the plug-ins do (by ordinal, from a window of its own)
// and prints one line per observation, for tests/system/test_tablet.py. Actions:
//   ordinals          which ordinals resolve ("ordinal 20 ok")
//   info              device, cursor and default-context answers
//   open              WTOpenA with the plug-ins' context, then queue 40, 35, ... 5
//   cmd <line>        KxTabletCommand(line)           (the line is one argument)
//   pump <ms>         dispatch messages for ms, printing WT_PACKET / WT_CSRCHANGE
//   wtpacket <serial> WTPacket and the packet's fields
//   get <n>           WTPacketsGet(n) and each packet's fields
//   qsize             WTQueueSizeGet
//   close             WTClose
// Left-button messages reaching the probe's window are printed too.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/tablet/wintab.h"

namespace {

HMODULE g_dll;
HWND g_window;
HCTX g_context;

WTInfoAProc pInfo;
WTOpenAProc pOpen;
WTCloseProc pClose;
WTPacketsGetProc pPacketsGet;
WTPacketProc pPacket;
WTQueueSizeGetProc pQueueGet;
WTQueueSizeSetProc pQueueSet;
using CommandProc = int(__stdcall*)(const char*);
CommandProc pCommand;

FARPROC ordinal(WORD n) { return GetProcAddress(g_dll, MAKEINTRESOURCEA(n)); }

// FARPROC to the real signature (through void* so -Wcast-function-type stays quiet).
template <class T>
T as(FARPROC p) {
    return reinterpret_cast<T>(reinterpret_cast<void*>(p));
}

void printPacket(const Packet& p) {
    printf("pk cursor=%u buttons=%u x=%d y=%d p=%u w=%u az=%d alt=%d twist=%d\n", p.pkCursor,
           p.pkButtons, p.pkX, p.pkY, p.pkNormalPressure, p.pkTangentPressure, p.orAzimuth,
           p.orAltitude, p.orTwist);
}

LRESULT CALLBACK windowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WT_PACKET || msg == WT_CSRCHANGE) {
        printf("msg %s serial=%u ctx=%s\n", msg == WT_PACKET ? "packet" : "csrchange", unsigned(wp),
               HCTX(lp) == g_context ? "ours" : "other");
        return 0;
    }
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
        printf("msg %s x=%d y=%d\n", msg == WM_LBUTTONDOWN ? "lbuttondown" : "lbuttonup",
               short(LOWORD(lp)), short(HIWORD(lp)));
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

void pump(DWORD ms);

void createWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KxTabletProbe";
    RegisterClassA(&wc);
    g_window = CreateWindowA("KxTabletProbe", "probe", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                             nullptr, wc.hInstance, nullptr);
    // Shown and in front: the system-mouse emulation's clicks must land on it.
    ShowWindow(g_window, SW_SHOW);
    SetForegroundWindow(g_window);
    pump(200);
}

void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG m;
    while (int(end - GetTickCount()) > 0) {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        Sleep(5);
    }
}

void info() {
    printf("info size=%u\n", pInfo(0, 0, nullptr));
    AXIS axes[3];
    unsigned n = pInfo(WTI_DEVICES, DVC_NPRESSURE, axes);
    printf("info npressure=%u %d..%d\n", n, n ? axes[0].axMin : 0, n ? axes[0].axMax : 0);
    n = pInfo(WTI_DEVICES, DVC_TPRESSURE, axes);
    printf("info tpressure=%u %d..%d\n", n, n ? axes[0].axMin : 0, n ? axes[0].axMax : 0);
    unsigned need = pInfo(WTI_DEVICES, DVC_ORIENTATION, nullptr);
    n = pInfo(WTI_DEVICES, DVC_ORIENTATION, axes);
    printf("info orientation=%u need=%u az=%d..%d res=%u alt=%d..%d\n", n, need, n ? axes[0].axMin : 0,
           n ? axes[0].axMax : 0, n ? axes[0].axResolution >> 16 : 0, n ? axes[1].axMin : 0,
           n ? axes[1].axMax : 0);
    for (unsigned i = 0; i < 8; ++i) {
        UINT type = 0;
        char name[64] = "";
        if (!pInfo(WTI_CURSORS + i, CSR_TYPE, &type)) break;
        unsigned len = pInfo(WTI_CURSORS + i, CSR_NAME, nullptr);
        pInfo(WTI_CURSORS + i, CSR_NAME, len <= sizeof name ? name : nullptr);
        printf("info cursor%u type=0x%04x name=%s\n", i, type, name);
    }
    LOGCONTEXTA lc;
    n = pInfo(WTI_DEFSYSCTX, 0, &lc);
    printf("info sysctx=%u name=%s options=0x%x btndn=0x%08x msgbase=0x%x\n", n, n ? lc.lcName : "",
           n ? lc.lcOptions : 0, n ? lc.lcBtnDnMask : 0, n ? lc.lcMsgBase : 0);
    printf("info unknown=%u\n", pInfo(WTI_DEVICES, 99, axes));
}

// The context the plug-ins open, built the same way.
void open() {
    LOGCONTEXTA lc;
    std::memset(&lc, 0, sizeof lc);
    pInfo(WTI_DEFSYSCTX, 0, &lc);
    std::snprintf(lc.lcName, sizeof lc.lcName, "Kestrix Warper %x", unsigned(uintptr_t(GetModuleHandleA(nullptr))));
    lc.lcOptions |= CXO_SYSTEM | CXO_MESSAGES | CXO_CSRMESSAGES;
    lc.lcPktData = kPacketData;
    lc.lcPktMode = 0;
    lc.lcMoveMask = kPacketData;
    lc.lcBtnUpMask = lc.lcBtnDnMask;
    lc.lcOutOrgX = GetSystemMetrics(SM_XVIRTUALSCREEN);
    lc.lcOutOrgY = GetSystemMetrics(SM_YVIRTUALSCREEN);
    lc.lcOutExtX = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    lc.lcOutExtY = -GetSystemMetrics(SM_CYVIRTUALSCREEN);
    g_context = pOpen(g_window, &lc, TRUE);
    POINT origin = {0, 0};
    ClientToScreen(g_window, &origin);
    printf("open %s client_origin=%ld,%ld\n", g_context ? "ok" : "null", origin.x, origin.y);
    if (!g_context) return;
    for (int n = 40; n >= 5; n -= 5) {
        int r = pQueueSet(g_context, n);
        printf("queue_set %d %d\n", n, r);
        if (r) break;
    }
    printf("queue_size %d\n", pQueueGet(g_context));
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) {
        fprintf(stderr, "usage: tablet_probe <wintab32.dll> <action>...\n");
        return 2;
    }
    g_dll = LoadLibraryA(argv[1]);
    if (!g_dll) {
        printf("load failed %lu\n", GetLastError());
        return 1;
    }
    pInfo = as<WTInfoAProc>(ordinal(kOrdWTInfoA));
    pOpen = as<WTOpenAProc>(ordinal(kOrdWTOpenA));
    pClose = as<WTCloseProc>(ordinal(kOrdWTClose));
    pPacketsGet = as<WTPacketsGetProc>(ordinal(kOrdWTPacketsGet));
    pPacket = as<WTPacketProc>(ordinal(kOrdWTPacket));
    pQueueGet = as<WTQueueSizeGetProc>(ordinal(kOrdWTQueueSizeGet));
    pQueueSet = as<WTQueueSizeSetProc>(ordinal(kOrdWTQueueSizeSet));
    pCommand = as<CommandProc>(GetProcAddress(g_dll, "KxTabletCommand"));
    if (!pInfo || !pOpen || !pClose || !pPacketsGet || !pPacket || !pQueueGet || !pQueueSet || !pCommand) {
        printf("missing entry points\n");
        return 1;
    }
    createWindow();
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "ordinals") {
            const WORD ords[] = {kOrdWTInfoA, kOrdWTOpenA, kOrdWTClose, kOrdWTPacketsGet, kOrdWTPacket,
                                 kOrdWTEnable, kOrdWTOverlap, kOrdWTQueueSizeGet, kOrdWTQueueSizeSet};
            for (WORD o : ords) printf("ordinal %u %s\n", o, ordinal(o) ? "ok" : "missing");
        } else if (a == "names") {
            for (const WintabExport& e : {kWTInfoA, kWTOpenA, kWTClose, kWTPacketsGet, kWTPacket, kWTEnable,
                                          kWTOverlap, kWTQueueSizeGet, kWTQueueSizeSet}) {
                FARPROC byName = GetProcAddress(g_dll, e.name);
                printf("name %s %s\n", e.name, !byName ? "missing" : byName == ordinal(e.ordinal) ? "ok" : "differs");
            }
        } else if (a == "info") {
            info();
        } else if (a == "open") {
            open();
        } else if (a == "cmd") {
            const char* line = next();
            printf("cmd %s -> %d\n", line, pCommand(line));
        } else if (a == "pump") {
            pump(DWORD(std::atoi(next())));
        } else if (a == "wtpacket") {
            unsigned serial = unsigned(std::strtoul(next(), nullptr, 0));
            Packet p = {};
            int r = pPacket(g_context, serial, &p);
            printf("wtpacket %u -> %d\n", serial, r);
            if (r) printPacket(p);
        } else if (a == "get") {
            int n = std::atoi(next());
            Packet buf[64] = {};
            int got = pPacketsGet(g_context, n < 64 ? n : 64, buf);
            printf("get %d -> %d\n", n, got);
            for (int k = 0; k < got; ++k) printPacket(buf[k]);
        } else if (a == "qsize") {
            printf("queue_size %d\n", pQueueGet(g_context));
        } else if (a == "close") {
            printf("close %d\n", pClose(g_context));
            g_context = nullptr;
        } else {
            printf("unknown action %s\n", a.c_str());
            return 2;
        }
    }
    return 0;
}
