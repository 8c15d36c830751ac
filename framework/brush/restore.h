// The eraser every effect shares: the source (the image as opened, or as last applied)
// blended back into the result over a disc. Only the colour channels are blended; the
// transparency plane is never written by any dab, so the layer's transparency reaches
// the host exactly as it came (the rule every effect dab keeps holds here too).
#pragma once
#include <cstdint>

#include "framework/brush/effect_hooks.h"

// The working image as the dab operations address it, from the current record.
struct WorkView {
    const uint8_t* in;  // source: (x, y, c) at in + y * inRow + x * inStride + c
    intptr_t inRow;
    int inStride;
    uint8_t* out;  // result: (x, y, c) at out + y * outRow + x * planes + c
    intptr_t outRow;
    int planes;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    intptr_t maskRow;
    int width, height;  // the filter rectangle
    int colours;        // colour channels: planes, less the transparency plane
    int alpha;          // channel of the transparency plane, or -1 without one
};

// Fills `view` from gPlugin.record; false when there is no image to work on.
bool viewWorkImage(WorkView& view);

// Inside the image, not fully transparent in the source and not masked out.
inline bool workPixelTakesPart(const WorkView& v, int x, int y) {
    if (x < 0 || y < 0 || x >= v.width || y >= v.height) return false;
    if (v.alpha >= 0 && v.in[y * v.inRow + intptr_t(x) * v.inStride + v.alpha] == 0) return false;
    if (v.mask && v.mask[y * v.maskRow + x] == 0) return false;
    return true;
}

// For every pixel of the disc of radius r = size / 2 around the dab ((x - cx)^2 +
// (y - cy)^2 < r^2, inside the image) that takes part:
// each colour channel := result + (source - result) * strength, truncated toward zero.
// strength is clamped to 0..1; 1 restores the source exactly.
void restoreDisc(const WorkView& view, const Dab& dab, float strength);
// The same on the current record.
void restoreDisc(const Dab& dab, float strength);
