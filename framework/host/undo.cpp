#include "framework/host/undo.h"

#include <cstring>

#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

namespace {

size_t undoBytes(const FilterRecord& r) {
    int rows = r.filterRect.bottom - r.filterRect.top;
    if (rows <= 0 || r.outRowBytes <= 0) return 0;
    return size_t(rows) * size_t(r.outRowBytes);
}

}  // namespace

void createUndo(FilterRecord& record) {
    gPlugin.undoBuffer = nullptr;
    gPlugin.undoOwn = nullptr;
    auto* block = record.outData ? static_cast<uint8_t*>(allocFixed(undoBytes(record))) : nullptr;
    if (!block) {
        char text[1024];
        loadModuleString(kUndoMemoryMessage, text, sizeof text);
        showMessage(0, text, "VORLA Kestrix", MessageKind::stop);
        return;
    }
    std::memcpy(block, record.outData, undoBytes(record));
    gPlugin.undoBuffer = block;
    gPlugin.undoOwn = block;
}

void snapshotUndo(FilterRecord& record) {
    if (!gPlugin.undoBuffer || !record.outData) return;
    std::memcpy(gPlugin.undoBuffer, record.outData, undoBytes(record));
}

void swapUndo(FilterRecord& record) {
    if (!gPlugin.undoBuffer) return;
    auto* shown = static_cast<uint8_t*>(record.outData);
    record.outData = gPlugin.undoBuffer;
    gPlugin.undoBuffer = shown;
}

void releaseUndo(FilterRecord& record) {
    if (!gPlugin.undoBuffer) return;
    if (gPlugin.undoBuffer != gPlugin.undoOwn) {
        // outData is our block and undoBuffer the host's: the host must get its own
        // buffer back, holding the image that is on screen.
        std::memcpy(gPlugin.undoBuffer, record.outData, undoBytes(record));
        record.outData = gPlugin.undoBuffer;
    }
    freeFixed(gPlugin.undoOwn);
    gPlugin.undoBuffer = nullptr;
    gPlugin.undoOwn = nullptr;
}
