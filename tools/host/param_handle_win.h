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

// A host handle holding a copy of bytes (tag 0 in the cell).
Handle makeHostHandle(const std::vector<uint8_t>& bytes);
bool isHostHandle(Handle h);
HandleKind handleKind(Handle h);
// The handle's bytes; false for None/Unknown.
bool handleBytes(Handle h, std::vector<uint8_t>& out);
const char* handleKindName(HandleKind k);
