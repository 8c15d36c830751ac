// Which drag a left-button press starts and which cursor the preview shows, from the
// current tool and the modifier keys.
#pragma once

enum DragState : int { kDragNone = 0, kDragHand = 1, kDragZoomIn = 2, kDragZoomOut = 3, kDragPaint = 4 };
enum class ToolCursor { hand, zoomIn, zoomOut, brush };

struct Modifiers {
    bool space, ctrl, alt;
};

DragState dragForPress(int currentTool, Modifiers keys);
ToolCursor cursorFor(int dragState, int currentTool, Modifiers keys);

// A release closer than this to the anchor in either axis is a click, not a drag.
constexpr int kClickSlop = 5;
bool isClick(int anchorX, int anchorY, int x, int y);
