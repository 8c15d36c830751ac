// gilder inside the framework: its parameters, its grey texture as the dialog prepared
// it, and the module description.
#pragma once
#include "filters/gilder/gilder_core.h"

struct ModuleInfo;

extern GilderParams gGilderParams;
extern const ModuleInfo kGilderModule;

// Loads the six bitmaps (once; again after gilderRelease).
void gilderLoadBitmaps();
// Prepares the grey texture from the parameters' texture and scale. False when there is
// nothing to prepare from: then the gild dabs paint nothing until a preparation succeeds.
bool gilderPrepare();
bool gilderTextureCurrent();
const GreyTexture& gilderTexture();
void gilderRelease();
