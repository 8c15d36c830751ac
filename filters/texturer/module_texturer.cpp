// Binds the framework of the texturer module to its effect and its dialog work.
#include "filters/texturer/texturer_module.h"
#include "framework/dialog/dialog_hooks.h"
#include "framework/host/module.h"

extern const DialogHooks kTexturerDialogHooks;

const ModuleInfo& currentModule() {
    static const ModuleInfo module = [] {
        ModuleInfo m = kTexturerModule;
        m.dialogHooks = &kTexturerDialogHooks;
        return m;
    }();
    return module;
}
