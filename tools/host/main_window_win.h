// The host's main window: shows the current image scaled to fit, and carries the menu
// of interactive use. Command-line runs create it too, as the owner of plug-in windows.
#pragma once
#include <windows.h>

#include "image_file.h"

HWND createMainWindow(bool withMenu);
// Image shown by the window (not owned; null for none).
void setShownImage(HWND window, const Image* image);

// Interactive host: message loop until the window closes. Returns the exit code.
int runInteractive(HWND window);
