// What spotclean and dustclean share: a view of the working image for one dab, the
// per-channel neighbourhood median and the midpoint disc of capDab. (The eraser's blend
// is the framework's, framework/brush/restore.h.)
#pragma once
#include <cstdint>

#include "framework/brush/effect_hooks.h"

// The host's buffers as the effects address them, taken from gPlugin.record at the
// start of every dab (undo swaps outData between dabs).
struct SpeckView {
    const uint8_t* in;  // source: (x, y, c) at in + y * inRow + x * inStride + c
    int inRow, inStride;
    uint8_t* out;  // result: (x, y, c) at out + y * outRow + x * planes + c
    int outRow, planes;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    int maskRow;
    const uint8_t* src;  // what the median reads: the result with buildup, else the source
    int srcRow, srcStride;
    int width, height;  // the filter rectangle
    int channels;       // processed channels, 1..4
    int alpha;          // channel of the transparency plane, or -1 without one
};

// Fills `view` from the current record; false when there is no image to work on.
bool viewCurrentImage(SpeckView& view, bool readResult);

// Inside the image, not fully transparent in the source and not masked out.
inline bool pixelTakesPart(const SpeckView& v, int x, int y) {
    if (x < 0 || y < 0 || x >= v.width || y >= v.height) return false;
    if (v.alpha >= 0 && v.in[intptr_t(y) * v.inRow + intptr_t(x) * v.inStride + v.alpha] == 0)
        return false;
    if (v.mask && v.mask[intptr_t(y) * v.maskRow + x] == 0) return false;
    return true;
}

// The median (rank (k*k + 1) / 2) of each processed channel over the k x k square whose
// top-left corner is (x - k/2, y - k/2), read from `view.src` with the border pixels
// repeated outside the image. Block c receives channel c's k*k values; every block and
// `scratch` must hold k*k bytes.
void neighbourhoodMedians(const SpeckView& view, int x, int y, int k, uint8_t* const* blocks,
                          uint8_t* scratch, uint8_t* medians);

// The filled disc of capDab, as row spans: called with (row, first column, last column),
// both columns inclusive, in the order the midpoint circle emits them. Rows repeat
// (the centre row comes twice, and so may others); spans are clipped to the dab's box
// but not to the image.
using DiscSpan = void (*)(void* context, int y, int x0, int x1);
void walkCapDisc(int cx, int cy, int size, DiscSpan span, void* context);
