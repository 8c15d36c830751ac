#pragma once
#include <windows.h>

// The plug-in module's own instance: its resources, the window classes it registers.
HINSTANCE moduleInstance();
