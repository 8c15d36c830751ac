// Binds the framework of the grainwash module to its effect.
#include "filters/grainwash/grain_module.h"
#include "framework/host/module.h"

const ModuleInfo& currentModule() { return kGrainwashModule; }
