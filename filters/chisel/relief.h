// The carved relief: the per-pixel height and normal field, and the shading that lights
// it from one of eight directions into the result image.
#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/dialog/preview_map.h"

// The host's buffers over the filter rectangle: interleaved 8-bit planes, (x, y, c) at
// row y * rowBytes + x * planes + c. The transparency plane, when there is one, is last.
struct ChiselImage {
    const uint8_t* source;  // inData
    int sourceRow;
    uint8_t* result;  // outData, what the preview shows
    int resultRow;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    int maskRow;
    int planes;  // 3 or 4 (RGB, CMYK), plus one with transparency
    int width, height;
    bool transparency;  // the last plane is transparency

    int colourPlanes() const { return transparency ? planes - 1 : planes; }
    const uint8_t* sourceAt(int x, int y) const {
        return source + ptrdiff_t(y) * sourceRow + ptrdiff_t(x) * planes;
    }
    uint8_t* resultAt(int x, int y) const {
        return result + ptrdiff_t(y) * resultRow + ptrdiff_t(x) * planes;
    }
    // Fully transparent in the source: never carved, shown white, handed back as it was.
    bool clear(int x, int y) const { return transparency && sourceAt(x, y)[planes - 1] == 0; }
};

// One pixel of the field in 8 bytes. The shading reads only the truncated in-plane
// normals, and the write test compares single-precision heights, so this gives the same
// pixels as keeping (height, nx, ny, nz) as four floats; nz is never read.
struct ReliefPixel {
    float height;   // 0 flat, negative in a groove, positive on a ridge
    int16_t nx, ny;  // truncated in-plane normal, scaled by 255.9: -256..256
};
static_assert(sizeof(ReliefPixel) == 8, "field bytes per pixel");

struct ReliefField {
    ReliefPixel* pixels = nullptr;  // row-major, width * height
    int width = 0, height = 0;

    ReliefField() = default;
    ReliefField(const ReliefField&) = delete;
    ReliefField& operator=(const ReliefField&) = delete;
    ~ReliefField() { release(); }

    // false when width * height pixels do not fit in memory (or in size_t at all):
    // the caller returns -108 and opens no dialog.
    bool allocate(int w, int h);
    void release();
    void clear();  // every pixel flat
    ReliefPixel& at(int x, int y) { return pixels[ptrdiff_t(y) * width + x]; }
};

// Bytes the field needs for a w x h image, in 64 bits so that no product wraps.
uint64_t reliefFieldBytes(int w, int h);

// Lookups for one light direction and intensity: the brightness M of every normal and,
// per brightness, what it makes of every input byte. Built when the light or the
// intensity changes, not per stroke.
struct ShadeTables {
    static constexpr int kNormalLimit = 256;  // |nx|, |ny| stored in the field
    static constexpr int kSide = 2 * kNormalLimit + 1;
    int light = -1, intensity = 0;
    int flatBrightness = 0;  // K: 212 for edge-centre lights, 186 for corner lights
    uint8_t brightness[kSide * kSide];  // M at (nx + 256) * kSide + ny + 256
    uint8_t scale[256][256];            // [M][input byte] -> output byte
};

// Builds `tables` for the light direction (0..7) and intensity (1..10), unless they
// already hold them.
void prepareShading(ShadeTables& tables, int light, int intensity);

// Shades `area` (filter-rectangle coordinates, right and bottom exclusive) from the field
// into the result: its outer ring and the outermost row and column of the image are left.
void shadeArea(const ChiselImage& image, const ReliefField& field, const ShadeTables& tables,
               const Box& area);

// The result set from the source for editing: transparent pixels show white.
void displayCopy(const ChiselImage& image);

// What the host takes on Done and what Apply bakes: the result with the source's
// transparency plane, and transparent pixels back as their whole source pixel.
void restoreTransparency(const ChiselImage& image);
