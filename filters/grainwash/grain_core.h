// grainwash's painting: the noise value, the pixel operation, the eraser, the per-sample
// size and amount, and the module's own stroke handler (a filled disc at each sample,
// then disc outlines swept along the line from the previous sample).
#pragma once
#include <cstddef>
#include <cstdint>

#include "filters/grainwash/grain_random.h"

// The host's buffers for one invocation; (x, y) in filter-rectangle pixels.
struct GrainImage {
    const uint8_t* source;  // inData: what non-buildup noise and the eraser start from
    int sourceRow;
    uint8_t* result;  // outData, what the preview shows
    int resultRow;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    int maskRow;
    int planes;  // 3 or 4 (RGB, CMYK), plus one with transparency
    int width, height;
    bool transparency;  // the last plane is transparency
    int sourceStride = 0;  // bytes from one source pixel to the next; 0: planes

    // Noise goes into the colour planes only, at most four; transparency is never written.
    int colourPlanes() const {
        const int n = transparency ? planes - 1 : planes;
        return n > 4 ? 4 : n;
    }
    const uint8_t* sourceAt(int x, int y) const {
        return source + ptrdiff_t(y) * sourceRow + ptrdiff_t(x) * (sourceStride ? sourceStride : planes);
    }
    uint8_t* resultAt(int x, int y) const {
        return result + ptrdiff_t(y) * resultRow + ptrdiff_t(x) * planes;
    }
};

// Where a sample's size or amount comes from.
enum GrainSource : int32_t { kGrainFingerwheel = 0, kGrainPressure = 1, kGrainFixed = 2 };

// What the pixel operation does for the current sample.
struct GrainPaint {
    int amount;        // current amount after the source mapping, 0..99
    bool uniform;      // uniform noise; else Gaussian
    bool monochrome;   // one noise value for all planes of a pixel
    bool buildup;      // add to the result instead of the source
    bool eraser;       // blend the result back toward the source
    float eraseFactor;  // eraser weight 0..1 (grainEraseFactor)
};

// Noise for amount A: uniform truncate((2u - 1)(A + 1)), in -A..A; Gaussian
// truncate(g (A + 1)), a standard deviation of A + 1 before clamping. Single precision.
int grainNoise(GrainRandom& random, bool uniform, int amount);

// One visited pixel. Outside the image, masked out (mask 0) or fully transparent in the
// source: untouched and no noise drawn. Otherwise the colour planes from the highest down
// get clamp(base + n), base the source or with buildup the result; the eraser writes
// result + (source - result) f truncated.
void grainPixel(const GrainImage& image, const GrainPaint& paint, GrainRandom& random, int x,
                int y);

// A slider value after its source: the wheel or pressure fraction of `value`, truncated
// in single precision; the full value when Fixed or when the device reports no range
// (maximum 0 or below). The fraction is held to 0..1 so that a driver reading beyond its
// own maximum cannot paint beyond the slider.
int grainMapped(int32_t source, int value, int pressure, int pressureMax, int wheel,
                int wheelMax);

// The eraser's weight: pressure / maximum in single precision clamped to 0..1, or 1 when
// the amount source is Fixed or the device has no pressure range.
float grainEraseFactor(int32_t amountSource, int pressure, int pressureMax);

// What the dialog holds for painting.
struct GrainBrush {
    int amount;     // slider 1..99
    int brushSize;  // slider 1..99
    int32_t sizeSource, amountSource;  // GrainSource
    bool monochrome, uniform, buildup;
};

// One tablet packet over the image while the Brush tool is active.
struct GrainSample {
    int16_t x, y;  // filter-rectangle pixels
    int16_t pressure, pressureMax;  // normal pressure and the device's maximum
    int16_t wheel, wheelMax;        // tangential (finger wheel) pressure and its maximum
    bool eraser;                    // the pen is turned over
};

struct GrainStroke {
    int lastPressure;  // a stroke is in progress while this is 2 or more
    int lastX, lastY;  // the previous sample of the stroke
};

// Changed pixels of one sample, right and bottom exclusive; empty when nothing was drawn.
struct GrainChange {
    bool drawn;
    int left, top, right, bottom;
};

void resetGrainStroke(GrainStroke& stroke);

// The current size and amount (after the source mapping) and the paint of a sample.
struct GrainCurrent {
    int size, amount;
    GrainPaint paint;
};
GrainCurrent grainCurrent(const GrainBrush& brush, const GrainSample& sample);

// One sample: a stroke starts when the pressure reaches 2 after a sample below 2 and
// stamps a disc; each later sample stamps a disc at its position and then sweeps the
// outline along the line from the previous one (clipped to -r..W x -r..H); the sample
// whose pressure falls below 2 is still drawn and ends the stroke. The eraser takes both.
GrainChange grainSample(GrainStroke& stroke, const GrainSample& sample, const GrainBrush& brush,
                        const GrainImage& image, GrainRandom& random);
