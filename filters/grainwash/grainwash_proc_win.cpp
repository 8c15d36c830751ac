// The dialog procedure grainwash exports by name beside ENTRYPOINT: the editing dialog
// runs with this export, which hands every message to the framework.
#include <windows.h>

#include "framework/dialog/editing_dialog_win.h"

extern "C" INT_PTR CALLBACK GrainwashProc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    return editingDialogProc(dialog, message, w, l);
}
