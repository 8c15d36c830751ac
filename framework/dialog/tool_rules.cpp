#include "framework/dialog/tool_rules.h"

#include <cstdlib>

#include "framework/host/plugin_globals.h"

namespace {

DragState handOrZoom(Modifiers keys) {
    if (keys.alt) return kDragZoomOut;
    if (keys.ctrl) return kDragZoomIn;
    return kDragHand;
}

}  // namespace

DragState dragForPress(int currentTool, Modifiers keys) {
    if (keys.space || currentTool == kToolHand) return handOrZoom(keys);
    if (currentTool == kToolZoom) return keys.alt ? kDragZoomOut : kDragZoomIn;
    return kDragPaint;
}

ToolCursor cursorFor(int dragState, int currentTool, Modifiers keys) {
    switch (dragState) {
        case kDragHand: return ToolCursor::hand;
        case kDragZoomIn: return ToolCursor::zoomIn;
        case kDragZoomOut: return ToolCursor::zoomOut;
        case kDragPaint: return ToolCursor::brush;
        default: break;
    }
    if (keys.space) {
        if (keys.alt) return ToolCursor::zoomOut;
        if (keys.ctrl) return ToolCursor::zoomIn;
        return ToolCursor::hand;
    }
    if (currentTool == kToolZoom) return keys.alt ? ToolCursor::zoomOut : ToolCursor::zoomIn;
    if (currentTool == kToolHand) {
        // With both keys held the cursor says zoom in while a press zooms out: the
        // press tests Alt first, the cursor Ctrl.
        if (keys.ctrl) return ToolCursor::zoomIn;
        if (keys.alt) return ToolCursor::zoomOut;
        return ToolCursor::hand;
    }
    return ToolCursor::brush;
}

bool isClick(int anchorX, int anchorY, int x, int y) {
    return std::abs(x - anchorX) < kClickSlop || std::abs(y - anchorY) < kClickSlop;
}
