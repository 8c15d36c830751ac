#include "guard_buffer_win.h"

#include <windows.h>

bool GuardBuffer::allocate(size_t size, bool front) {
    release();
    if (size == 0) return true;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const size_t page = si.dwPageSize;
    const size_t dataPages = (size + page - 1) / page;
    const size_t total = (dataPages + 1) * page;
    auto* base = static_cast<uint8_t*>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base) return false;
    DWORD old;
    uint8_t* guard = front ? base : base + dataPages * page;
    if (!VirtualProtect(guard, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base, 0, MEM_RELEASE);
        return false;
    }
    base_ = base;
    data_ = front ? base + page : base + dataPages * page - size;
    size_ = size;
    return true;
}

void GuardBuffer::release() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
    base_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}
