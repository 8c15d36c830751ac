// gilder: gold or silver leaf whose shade follows the source's brightness and a grey
// texture's, between a dark and a light end of the metal's colours, through a tone curve.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/texture_common/bitmap_decode.h"
#include "filters/texture_common/paint_view.h"

// The parameters handle's record (20 bytes, as hosts keep it between invocations).
struct GilderParams {
    int16_t brushSize;     // brush diameter in image pixels, 1..99
    int16_t scale;         // texture scale in per cent, 50..150
    int32_t metal;         // 0 gold, 1 silver
    uint8_t textureIndex;  // 0..5, list order of kGilderTextures
    uint8_t pad0;
    int16_t lightLevel;    // 0..255: where in the metal's range the light end lies
    int16_t darkLevel;     // 0..255: likewise the dark end
    uint8_t pad1[2];
    int32_t sizeSource;    // 1 pressure; 3 (or anything but 1) fixed; there is no wheel
};
static_assert(sizeof(GilderParams) == 20, "the parameters handle holds 20 bytes");
static_assert(offsetof(GilderParams, metal) == 4 && offsetof(GilderParams, textureIndex) == 8 &&
                  offsetof(GilderParams, lightLevel) == 10 && offsetof(GilderParams, darkLevel) == 12 &&
                  offsetof(GilderParams, sizeSource) == 16,
              "field offsets are part of the stored record");

constexpr int kGilderTextureCount = 6;
constexpr int32_t kGilderSizePressure = 1, kGilderSizeFixed = 3;

struct GilderTextureEntry {
    int resourceId;    // bitmap and name string share it
    const char* file;  // the bitmap under resources/gilder/textures
    int width, height;
};
extern const GilderTextureEntry kGilderTextures[kGilderTextureCount];

// Tone curves: channel value in, value written out. RGB shares one; CMYK has one a plane
// (magenta and yellow share theirs).
extern const uint8_t kToneRgb[256];
extern const uint8_t kToneC[256];
extern const uint8_t kToneMY[256];
extern const uint8_t kToneK[256];

GilderParams gilderDefaults();  // also the Reset values

// The metal's two ends, T1 (dark) and T2 (light), in the host's channel order.
struct MetalEnds {
    uint8_t dark[4], light[4];
};
MetalEnds metalEnds(int metal, bool cmyk);

// What one dab needs besides the image: the end colours L and D for the levels, the
// curves of the channels.
struct GildColours {
    int light[4], dark[4];
    const uint8_t* curve[4];
    int channels;
};
GildColours gildColours(int metal, bool cmyk, int lightLevel, int darkLevel);

// W x H grey levels, rows top to bottom, each row padded to 4 bytes.
struct GreyTexture {
    int width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> texels;
    bool ready() const { return width > 0 && height > 0; }
    uint8_t at(int x, int y) const { return texels[size_t(y) * size_t(rowBytes) + size_t(x)]; }
};
// Scaled by `scale` per cent (nearest texel by the centre rule), each texel the grey level
// nearest to its colour (the mean of its components). False and empty when nothing to do.
bool prepareGreyTexture(const DecodedBitmap& bitmap, int scale, GreyTexture& out);

// The tip's dab: each covered pixel moves towards its gilded colour by its coverage. The
// gilded colour depends on the source and texture only, so dabs converge instead of
// compounding. An empty texture paints nothing.
void gildDab(const PaintView& v, const GreyTexture& texture, const GildColours& colours, int x,
             int y, int size);

// The eraser's dab: the source back with weight pressure / pMax (1 without a range).
void restoreGild(const PaintView& v, int x, int y, int size, int pressure, int pMax);
