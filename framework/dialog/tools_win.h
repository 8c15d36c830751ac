// Zoom, Hand and Brush tools in the preview, their cursors, and the keyboard hook.
#pragma once
#include <windows.h>

#include "framework/dialog/tool_rules.h"
#include "framework/tablet/tablet_sample.h"

// SampleMessage: a TabletSample travels in lParam; the receiver frees it.
constexpr UINT kSampleMessage = WM_USER + 228;
// SampleQueue::post for the dialog window `dialog` (an HWND): PostMessageA's answer.
bool postSampleMessage(void* dialog, TabletSample* block);

void setToolCursor();
void previewMouse(UINT message, int x, int y);
int currentDragState();
// Space, Ctrl and Alt as the tools see them (Space through the keyboard hook).
Modifiers toolModifiers();

// The dialog class's own procedure: keyboard hook with the dialog's activation, Alt
// over the preview kept out of menu mode; everything else to DefDlgProcA.
LRESULT CALLBACK dialogClassProc(HWND window, UINT message, WPARAM w, LPARAM l);
void removeKeyboardHook();
bool keyboardHookInstalled();
