// Binds the framework of the airbrush module to its effect and its dialog.
#include "filters/airbrush/airbrush_module.h"

extern const DialogHooks kAirbrushDialogHooks;

namespace {
const ModuleInfo kModule = airbrushModule(&kAirbrushDialogHooks);
}

const ModuleInfo& currentModule() { return kModule; }
