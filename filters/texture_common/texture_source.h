// Where the texture effects get their bitmaps: the module's own resources in the plug-in,
// the files under resources/<module>/textures natively (kx_replay, tests, benchmarks).
// Both hold the same bytes, so preparation gives the same texture either way.
#pragma once
#include "filters/texture_common/bitmap_decode.h"

// The bitmap with this resource id (or, from files, this file name) of `module`; false
// and `out` empty when it cannot be had.
using BitmapLoader = bool (*)(const char* module, int resourceId, const char* file, DecodedBitmap& out);

void setBitmapLoader(BitmapLoader loader);
// Through the loader set; false without one.
bool loadTextureBitmap(const char* module, int resourceId, const char* file, DecodedBitmap& out);

// Loads from <root>/resources/<module>/textures/<file>.
void useTextureFiles(const char* root);
bool readBitmapFile(const char* path, DecodedBitmap& out);
