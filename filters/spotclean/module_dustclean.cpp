// Binds the framework of the dustclean module to its effect.
#include "filters/spotclean/dust_params.h"
#include "framework/host/module.h"

const ModuleInfo& currentModule() { return kDustcleanModule; }
