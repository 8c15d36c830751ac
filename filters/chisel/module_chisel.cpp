// Binds the framework of the chisel module to its effect and its dialog's pickers.
#include "filters/chisel/chisel_dialog_win.h"
#include "filters/chisel/chisel_module.h"

const ModuleInfo& currentModule() {
    static const ModuleInfo module = [] {
        ModuleInfo m = kChiselModule;
        m.dialogHooks = &kChiselDialogHooks;
        return m;
    }();
    return module;
}
