// Resizing the dialog and its saved placement.
#pragma once
#include <windows.h>

#include "framework/dialog/controls_logic.h"

struct ModuleInfo;

// The virtual screen (all monitors), in screen coordinates.
ScreenBox virtualScreen();

void rememberLayout(HWND dialog);  // the first "last client rectangle"
void layoutDialog(HWND dialog, int applyId, int newClientHeight);
void loadPlacement(HWND dialog, const ModuleInfo& module, const RECT& initial);
void savePlacement(HWND dialog, const ModuleInfo& module);
