// Binds the framework of the spotclean module to its effect.
#include "filters/spotclean/spot_params.h"
#include "framework/host/module.h"

const ModuleInfo& currentModule() { return kSpotcleanModule; }
