// Binds the framework of the warper module to its effect.
#include "filters/warper/warp_module.h"
#include "framework/host/module.h"

const ModuleInfo& currentModule() { return kWarperModule; }
