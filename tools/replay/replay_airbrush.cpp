// airbrush for kx_replay: its description without the dialog's hooks (nothing here draws
// a swatch). Its own file: the airbrush's parameter names are its own.
#include "filters/airbrush/airbrush_module.h"

const ModuleInfo& airbrushReplayModule() {
    static const ModuleInfo module = airbrushModule(nullptr);
    return module;
}
