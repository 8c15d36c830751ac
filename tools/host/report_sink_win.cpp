#include "report_sink_win.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace {

CRITICAL_SECTION g_lock;
bool g_lockReady = false;
Report g_report;
std::string g_path;
HANDLE g_doneEvent = nullptr;
HANDLE g_watchThread = nullptr;
int g_timeoutMs = 0;

struct Lock {
    Lock() { EnterCriticalSection(&g_lock); }
    ~Lock() { LeaveCriticalSection(&g_lock); }
};

std::string hex(uintptr_t v) {
    char b[24];
    std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(v));
    return b;
}

// "probe.8bf+0x1234" for an address inside a loaded module.
std::string whereIs(const void* address) {
    HMODULE m = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &m) || !m)
        return "unknown module";
    char path[MAX_PATH] = {};
    GetModuleFileNameA(m, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') name = p + 1;
    return std::string(name) + "+" + hex(uintptr_t(address) - uintptr_t(m));
}

std::string describe(const EXCEPTION_RECORD* r) {
    std::string what;
    switch (r->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION: {
        const char* kind = r->ExceptionInformation[0] == 1 ? "writing" : r->ExceptionInformation[0] == 8 ? "executing" : "reading";
        what = std::string("access violation ") + kind + " " + hex(r->ExceptionInformation[1]);
        break;
    }
    case EXCEPTION_STACK_OVERFLOW: what = "stack overflow"; break;
    case EXCEPTION_INT_DIVIDE_BY_ZERO: what = "integer divide by zero"; break;
    case EXCEPTION_ILLEGAL_INSTRUCTION: what = "illegal instruction"; break;
    case EXCEPTION_PRIV_INSTRUCTION: what = "privileged instruction"; break;
    default: what = "exception " + hex(r->ExceptionCode); break;
    }
    return what + " at " + hex(uintptr_t(r->ExceptionAddress)) + " (" + whereIs(r->ExceptionAddress) + ")";
}

LONG WINAPI faultFilter(EXCEPTION_POINTERS* info) {
    reportSet("fault", describe(info->ExceptionRecord));
    writeReport();
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI watchdog(void*) {
    if (WaitForSingleObject(g_doneEvent, DWORD(g_timeoutMs)) == WAIT_TIMEOUT) {
        reportSet("timeout", "1");
        writeReport();
        TerminateProcess(GetCurrentProcess(), 4);
    }
    return 0;
}

}  // namespace

void reportInit(const std::string& path) {
    if (!g_lockReady) {
        InitializeCriticalSection(&g_lock);
        g_lockReady = true;
    }
    g_path = path;
}

void reportSet(const std::string& key, const std::string& value) {
    Lock l;
    g_report.set(key, value);
}

void reportSet(const std::string& key, long long value) { reportSet(key, std::to_string(value)); }

std::string reportGet(const std::string& key) {
    Lock l;
    const std::string* v = g_report.get(key);
    return v ? *v : std::string();
}

void writeReport() {
    Lock l;
    std::string text = g_report.text();
    if (!g_path.empty()) {
        if (FILE* f = std::fopen(g_path.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void startCrashWatch(int timeoutMs) {
    // No "program has crashed" box from the system: our filter answers instead.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(faultFilter);
    g_timeoutMs = timeoutMs;
    g_doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_watchThread = CreateThread(nullptr, 0, watchdog, nullptr, 0, nullptr);
}

void stopCrashWatch() {
    if (g_doneEvent) SetEvent(g_doneEvent);
    if (g_watchThread) {
        WaitForSingleObject(g_watchThread, INFINITE);
        CloseHandle(g_watchThread);
        g_watchThread = nullptr;
    }
}
