// The editing dialog's procedure, for a module that exports one of its own which hands
// every message on to it.
#pragma once
#include <windows.h>

INT_PTR CALLBACK editingDialogProc(HWND dialog, UINT message, WPARAM w, LPARAM l);
