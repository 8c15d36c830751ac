// texturer inside the framework: its parameters, its textures as the dialog prepared
// them, and the module description.
#pragma once
#include "filters/texturer/texturer_core.h"

struct ModuleInfo;

extern TexturerParams gTexturerParams;
extern const ModuleInfo kTexturerModule;

// Loads the six bitmaps (once; again after texturerRelease).
void texturerLoadBitmaps();
// Prepares the texture from the parameters' texture, scale, hue and intensity. False when
// there is nothing to prepare from (a bitmap that could not be had): then dabs paint
// nothing until a preparation succeeds.
bool texturerPrepare();
// Whether the prepared texture was made from the current parameters.
bool texturerTextureCurrent();
const PreparedTexture& texturerTexture();
// The bitmaps and the prepared texture go (dialog end, clean-up).
void texturerRelease();
