// Binds the framework of the gilder module to its effect and its dialog work.
#include "filters/gilder/gilder_module.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/host/module.h"

extern const DialogHooks kGilderDialogHooks;

const ModuleInfo& currentModule() {
    static const ModuleInfo module = [] {
        ModuleInfo m = kGilderModule;
        m.dialogHooks = &kGilderDialogHooks;
        return m;
    }();
    return module;
}
