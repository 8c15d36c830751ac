#include "param_handle_win.h"

#include <windows.h>

#include <map>

namespace {

std::map<Handle, size_t>& hostHandles() {
    static std::map<Handle, size_t> handles;
    return handles;
}

void* lockedBlock(size_t size) {
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size ? size : 1);
    return g ? GlobalLock(g) : nullptr;
}

}  // namespace

Handle makeHostHandle(const std::vector<uint8_t>& bytes) {
    auto* cell = static_cast<HandleCell*>(lockedBlock(sizeof(HandleCell)));
    void* data = lockedBlock(bytes.size());
    if (!cell || !data) return nullptr;
    if (!bytes.empty()) CopyMemory(data, bytes.data(), bytes.size());
    cell->data = data;
    cell->tag = 0;
    hostHandles()[cell] = bytes.size();
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
    case HandleKind::Host: size = hostHandles()[h]; break;
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
