#include "framework/host/undo.h"

#include <cstdint>
#include <cstring>

#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

namespace {

// The result's bytes: rows x outRowBytes. 0 when there is nothing an undo could hold,
// and for an image whose rows are shorter than their pixels (outRowBytes below width x
// planes, or not positive): its buffer cannot be what the record says, and a copy of a
// size guessed from it would be wrong either way.
size_t undoBytes(const FilterRecord& r) {
    const int rows = r.filterRect.bottom - r.filterRect.top;
    const int width = r.filterRect.right - r.filterRect.left;
    const int planes = r.outHiPlane - r.outLoPlane + 1;
    if (rows <= 0 || width <= 0 || planes <= 0 || r.outRowBytes <= 0) return 0;
    if (int64_t(r.outRowBytes) < int64_t(width) * planes) return 0;
    return size_t(rows) * size_t(r.outRowBytes);
}

}  // namespace

void createUndo(FilterRecord& record) {
    gPlugin.undoBuffer = nullptr;
    gPlugin.undoOwn = nullptr;
    // Without a size there is no undo, and no message: memory is not what is missing.
    // (A block of 0 bytes would be swapped in as the output buffer by Z.)
    const size_t bytes = record.outData ? undoBytes(record) : 0;
    if (bytes == 0) return;
    auto* block = static_cast<uint8_t*>(allocFixed(bytes));
    if (!block) {
        char text[1024];
        loadModuleString(kUndoMemoryMessage, text, sizeof text);
        showMessage(0, text, "VORLA Kestrix", MessageKind::stop);
        return;
    }
    std::memcpy(block, record.outData, bytes);
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
