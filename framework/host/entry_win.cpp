// The module's one export. Nothing may escape into the host: no C++ exception
// crosses this function.
#include <windows.h>

#include <new>

#include "framework/host/edition.h"
#include "framework/host/entry.h"
#include "framework/host/module.h"
#include "framework/host/module_instance_win.h"
#include "framework/host/plugin_globals.h"

HINSTANCE moduleInstance() {
    static HINSTANCE instance;
    if (!instance) {
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&moduleInstance), &instance);
    }
    return instance;
}

extern "C" void __cdecl ENTRYPOINT(int16_t selector, void* record, intptr_t* data,
                                   int16_t* result) {
    try {
        const ModuleInfo& module = currentModule();
        if (!enterEdition(module, data)) {
            if (result) *result = memFullErr;
            return;
        }
        pluginMain(selector, record, result);
        leaveEdition(module, data, selector, result ? *result : gPlugin.result);
    } catch (...) {
        if (result) *result = memFullErr;
    }
}
