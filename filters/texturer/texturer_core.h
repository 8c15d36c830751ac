// texturer: a built-in texture, scaled and colour-adjusted, blended into the picture
// where the brush passes, tiled from the filter rectangle's top-left corner.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "filters/texture_common/bitmap_decode.h"
#include "filters/texture_common/paint_view.h"

// The parameters handle's record (24 bytes, as hosts keep it between invocations).
struct TexturerParams {
    int16_t brushSize;      // brush diameter in image pixels, 1..99
    int16_t scale;          // texture scale in per cent, 50..150
    uint8_t textureIndex;   // 0..5, list order of kTexturerTextures
    uint8_t pad0[3];
    int32_t sizeSource;     // 0 finger wheel, 1 pressure, 2 fixed
    int16_t hue;            // rotation in degrees + 180, 0..360 (180: unchanged)
    int16_t intensity;      // value shift + 50, 0..100 (50: unchanged)
    int32_t opacitySource;  // 0 finger wheel, 1 pressure, 2 fixed
    int16_t opacity;        // per cent, 0..100
    uint8_t pad1[2];
};
static_assert(sizeof(TexturerParams) == 24, "the parameters handle holds 24 bytes");
static_assert(offsetof(TexturerParams, textureIndex) == 4 && offsetof(TexturerParams, sizeSource) == 8 &&
                  offsetof(TexturerParams, hue) == 12 && offsetof(TexturerParams, opacitySource) == 16 &&
                  offsetof(TexturerParams, opacity) == 20,
              "field offsets are part of the stored record");

constexpr int kTexturerTextureCount = 6;

struct TextureEntry {
    int resourceId;  // bitmap and name string share it
    const char* file;  // the bitmap under resources/texturer/textures
    int width, height;
};
extern const TextureEntry kTexturerTextures[kTexturerTextureCount];

TexturerParams texturerDefaults();
// Reset differs from the defaults only in the opacity source (fixed).
TexturerParams texturerResetParams();

// W x H texels of blue, green, red, rows top to bottom, each row padded to 4 bytes.
struct PreparedTexture {
    int width = 0, height = 0, rowBytes = 0;
    std::vector<uint8_t> texels;
    bool ready() const { return width > 0 && height > 0; }
    const uint8_t* texel(int x, int y) const {
        return texels.data() + size_t(y) * size_t(rowBytes) + size_t(x) * 3;
    }
};

// Scales `bitmap` by `scale` per cent (nearest texel by the centre rule) and adjusts
// every texel's hue and value. Leaves `out` empty when there is nothing to prepare.
bool prepareTexture(const DecodedBitmap& bitmap, int scale, int hue, int intensity,
                    PreparedTexture& out);

// One texel through the HSV adjustment (red, green, blue in and out).
void adjustTexel(int hue, int intensity, uint8_t rgb[3]);

// The pen tip's dab: blends towards the tiled texture with weight coverage x opacity / 100,
// opacity being the dab opacity (0..25). An empty texture paints nothing.
void stampTexture(const PaintView& v, const PreparedTexture& texture, int x, int y, int size,
                  int opacity);

// The eraser's dab: the source back with weight opacity / 100.
void restoreTexture(const PaintView& v, int x, int y, int size, int opacity);
