// A module's own dialog work: owner-drawn controls, drop-downs, extra buttons, timers of
// its own. The framework stays in charge of the shared controls; the module sees every
// message around it. Window handles travel as void* so the description stays portable.
#pragma once
#include <cstdint>

struct DialogHooks {
    // Before the framework: true when the module handled the message, *result its answer.
    bool (*before)(void* dialog, uint32_t message, uintptr_t w, intptr_t l, intptr_t* result);
    // After the framework handled it; WM_INITDIALOG comes here once the preview, the
    // work image and the tablet context exist, WM_DESTROY before the framework lets go.
    void (*after)(void* dialog, uint32_t message, uintptr_t w, intptr_t l);
    // After the framework put the parameters into its bound controls (open, Alt+Cancel).
    void (*showParams)(void* dialog);
    // A button press, move or release in the preview (client coordinates), before the
    // tools see it: true when the module took it (a pointer state of its own). Null: the
    // tools alone.
    bool (*previewMouse)(void* dialog, uint32_t message, int x, int y) = nullptr;
};
