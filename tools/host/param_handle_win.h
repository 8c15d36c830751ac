// The FilterRecord.parameters handle. The host makes its own handles the way plug-ins
// do (cell and data from GlobalAlloc + GlobalLock) so code that asks GlobalSize of the
// data works on either kind; it tells them apart by remembering its own cells, and knows
// a plug-in's by the 'FOTO' tag in the cell.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "filter_api.h"

enum class HandleKind { None, Host, Plugin, Unknown };

// How the host makes a handle for --params-in.
struct HostHandleShape {
    OSType tag = 0;        // the cell's second field: 0 (the host's own), or 'FOTO'
    bool guarded = false;  // data ends where a PAGE_NOACCESS page begins (VirtualAlloc,
                           // so the global heap does not know the block's size)
};

// A host handle holding a copy of bytes.
Handle makeHostHandle(const std::vector<uint8_t>& bytes, const HostHandleShape& shape = {});
bool isHostHandle(Handle h);
HandleKind handleKind(Handle h);
// The handle's bytes; false for None/Unknown.
bool handleBytes(Handle h, std::vector<uint8_t>& out);
const char* handleKindName(HandleKind k);

// The host's handle suite for FilterRecord.handleProcs. Handles it makes (newProc) are
// host handles; getSizeProc answers for host handles and for the global-heap blocks of
// 'FOTO' handles, 0 for anything else. Calls are counted in the report
// (handleProcs.getSize.calls).
HandleProcs* hostHandleProcs();
