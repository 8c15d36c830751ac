// Win32 side of the core's operating-system services.
#include <windows.h>

#include <cstdio>

#include "framework/host/module_instance_win.h"
#include "framework/host/platform.h"

void* allocFixed(size_t bytes) {
    // A fixed block's handle is its address.
    return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, bytes));
}

void freeFixed(void* block) {
    if (block) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

Handle newHostHandle(size_t bytes) {
    HGLOBAL cellMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(HandleCell));
    HGLOBAL dataMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* cell = cellMemory ? static_cast<HandleCell*>(GlobalLock(cellMemory)) : nullptr;
    void* data = dataMemory ? GlobalLock(dataMemory) : nullptr;
    if (!cell || !data) {
        // The host never sees these, so they are ours to free.
        if (cell) GlobalUnlock(cellMemory);
        if (data) GlobalUnlock(dataMemory);
        if (cellMemory) GlobalFree(cellMemory);
        if (dataMemory) GlobalFree(dataMemory);
        return nullptr;
    }
    cell->data = data;
    cell->tag = kHandleTag;
    return cell;
}

size_t systemHandleSize(Handle handle) {
    if (!handle || !handle->data) return 0;
    // The data pointer of a locked moveable block leads back to its block; a pointer
    // the heap does not know gives no handle (the call guards its own reads).
    HGLOBAL block = GlobalHandle(handle->data);
    return block ? size_t(GlobalSize(block)) : 0;
}

MessageAnswer showMessage(intptr_t owner, const char* text, const char* caption,
                          MessageKind kind) {
    UINT style = MB_OK;
    switch (kind) {
        case MessageKind::information: style = MB_OK | MB_ICONINFORMATION; break;
        case MessageKind::stop: style = MB_OK | MB_ICONSTOP; break;
        case MessageKind::question: style = MB_YESNO | MB_ICONQUESTION; break;
        case MessageKind::warning: style = MB_YESNO | MB_ICONEXCLAMATION; break;
    }
    switch (MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, style)) {
        case IDYES: return MessageAnswer::yes;
        case IDNO: return MessageAnswer::no;
        case IDCANCEL: return MessageAnswer::cancel;
        default: return MessageAnswer::ok;
    }
}

int loadModuleString(int id, char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    return LoadStringA(moduleInstance(), UINT(id), buffer, size);
}

int profileGetInt(const char* section, const char* key, int fallback, const char* file) {
    return int(GetPrivateProfileIntA(section, key, fallback, file));
}

int profileGetString(const char* section, const char* key, const char* fallback,
                     char* buffer, int size, const char* file) {
    return int(GetPrivateProfileStringA(section, key, fallback, buffer, DWORD(size), file));
}

void profileWriteString(const char* section, const char* key, const char* value,
                        const char* file) {
    WritePrivateProfileStringA(section, key, value, file);
}
