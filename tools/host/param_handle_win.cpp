#include "param_handle_win.h"

#include <windows.h>

#include <map>
#include <memory>

#include "guard_buffer_win.h"
#include "report_sink_win.h"

namespace {

struct HostHandle {
    size_t size = 0;
    std::unique_ptr<GuardBuffer> guard;  // the data, for guarded handles
};

std::map<Handle, HostHandle>& hostHandles() {
    static std::map<Handle, HostHandle> handles;
    return handles;
}

void* lockedBlock(size_t size) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
    return g ? GlobalLock(g) : nullptr;
}

size_t globalBlockSize(const void* data) {
    HGLOBAL g = data ? GlobalHandle(data) : nullptr;
    return g ? GlobalSize(g) : 0;
}

int g_sizeQueries = 0;

Handle KX_CDECL procNew(int32_t size) {
    return size < 0 ? nullptr : makeHostHandle(std::vector<uint8_t>(size_t(size)));
}
void KX_CDECL procDispose(Handle) {}  // the host's handles live as long as the host
int32_t KX_CDECL procGetSize(Handle h) {
    reportSet("handleProcs.getSize.calls", ++g_sizeQueries);
    if (!h) return 0;
    auto it = hostHandles().find(h);
    if (it != hostHandles().end()) return int32_t(it->second.size);
    return h->tag == kHandleTag ? int32_t(globalBlockSize(h->data)) : 0;
}
OSErr KX_CDECL procSetSize(Handle, int32_t) { return memFullErr; }
void* KX_CDECL procLock(Handle h, Boolean) { return h ? h->data : nullptr; }
void KX_CDECL procUnlock(Handle) {}
void KX_CDECL procRecoverSpace(int32_t) {}
void KX_CDECL procDisposeRegular(Handle) {}

}  // namespace

Handle makeHostHandle(const std::vector<uint8_t>& bytes, const HostHandleShape& shape) {
    auto* cell = static_cast<HandleCell*>(lockedBlock(sizeof(HandleCell)));
    if (!cell) return nullptr;
    HostHandle record;
    record.size = bytes.size();
    void* data;
    if (shape.guarded) {
        record.guard.reset(new GuardBuffer);
        if (!record.guard->allocate(bytes.size() ? bytes.size() : 1, false)) return nullptr;
        data = record.guard->data();
    } else {
        data = lockedBlock(bytes.size());
    }
    if (!data) return nullptr;
    if (!bytes.empty()) CopyMemory(data, bytes.data(), bytes.size());
    cell->data = data;
    cell->tag = shape.tag;
    hostHandles()[cell] = std::move(record);
    return cell;
}

bool isHostHandle(Handle h) { return hostHandles().count(h) != 0; }

HandleKind handleKind(Handle h) {
    if (!h) return HandleKind::None;
    if (isHostHandle(h)) return HandleKind::Host;
    return h->tag == kHandleTag ? HandleKind::Plugin : HandleKind::Unknown;
}

bool handleBytes(Handle h, std::vector<uint8_t>& out) {
    out.clear();
    size_t size = 0;
    switch (handleKind(h)) {
    case HandleKind::Host: size = hostHandles()[h].size; break;
    case HandleKind::Plugin: {
        if (!h->data) return true;
        HGLOBAL g = GlobalHandle(h->data);
        if (!g) return false;
        size = GlobalSize(g);
        break;
    }
    default: return false;
    }
    const auto* p = static_cast<const uint8_t*>(h->data);
    if (size && p) out.assign(p, p + size);
    return true;
}

const char* handleKindName(HandleKind k) {
    switch (k) {
    case HandleKind::None: return "none";
    case HandleKind::Host: return "host";
    case HandleKind::Plugin: return "FOTO";
    default: return "unknown";
    }
}

HandleProcs* hostHandleProcs() {
    static HandleProcs procs = {
        kCurrentHandleProcsVersion, 8, procNew, procDispose, procGetSize, procSetSize,
        procLock, procUnlock, procRecoverSpace, procDisposeRegular,
    };
    return &procs;
}
