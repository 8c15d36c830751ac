// What the texture effects' dabs see of the image: the source (the image as at dialog
// start or the last Apply), the result being painted, the selection, and shared pieces of
// their dabs (the clipped square, the 16-point coverage, the eraser).
#pragma once
#include <algorithm>
#include <cstdint>

struct PaintView {
    const uint8_t* source;  // (x, y, c) at source + y * sourceRow + x * sourceStride + c
    int sourceRow, sourceStride;
    uint8_t* result;  // (x, y, c) at result + y * resultRow + x * planes + c
    int resultRow;
    const uint8_t* mask;  // selection, one byte a pixel; null without one
    int maskRow;
    int planes;         // planes of a result pixel (colours, then transparency if any)
    int colours;        // 3 (RGB) or 4 (CMYK)
    int width, height;  // the filter rectangle; (0, 0) is its top-left corner
    bool transparency;  // plane `colours` of the source is transparency; never written
};

inline const uint8_t* sourcePixel(const PaintView& v, int x, int y) {
    return v.source + intptr_t(y) * v.sourceRow + intptr_t(x) * v.sourceStride;
}
inline uint8_t* resultPixel(const PaintView& v, int x, int y) {
    return v.result + intptr_t(y) * v.resultRow + intptr_t(x) * v.planes;
}

// Not masked out and not fully transparent in the source; (x, y) inside the rectangle.
inline bool pixelEligible(const PaintView& v, int x, int y) {
    if (v.mask && v.mask[intptr_t(y) * v.maskRow + x] == 0) return false;
    if (v.transparency && sourcePixel(v, x, y)[v.colours] == 0) return false;
    return true;
}

// The square of rows y - r .. y + r - 1 and columns x - r .. x + r - 1, limited to the
// rectangle; half-open bounds, empty when x1 <= x0 or y1 <= y0.
struct DabSquare {
    int x0, y0, x1, y1;
};
DabSquare dabSquare(const PaintView& v, int x, int y, int r);

// Coverage of a pixel by the disc of radius r: how many of the 16 points (dx + a, dy + b),
// a, b in {0, 1/3, 2/3, 1}, lie strictly inside it (0..16). The squares of dx + a for the
// four a are computed once per column and row of the dab (coverageSquares).
void coverageSquares(int d, float squares[4]);
inline int coverage16(const float* column, const float* row, float r2) {
    // The points of a pixel span [d, d + 1] on each axis, d whole, so their nearest and
    // farthest squares are those of the ends (0 lies inside only at an end). Rounding is
    // monotone: when the farthest sum is inside, every sum is, and likewise outside.
    if (std::max(column[0], column[3]) + std::max(row[0], row[3]) < r2) return 16;
    if (std::min(column[0], column[3]) + std::min(row[0], row[3]) >= r2) return 0;
    int n = 0;
    for (int b = 0; b < 4; ++b)
        for (int a = 0; a < 4; ++a) n += column[a] + row[b] < r2;
    return n;
}

// The repaint area of a dab of `size` at (x, y), half-open and clipped like its square:
// a size-1 dab (r = 1) reaches the pixel to its left and the one above it too.
DabSquare dabRepaintBox(const PaintView& v, int x, int y, int size);

// The eraser: over the disc dx^2 + dy^2 < r^2, r = size / 2, every eligible pixel's colour
// channels become result + (source - result) * w, truncated; w is clamped to [0, 1].
// The transparency plane is left as it is.
void restoreSource(const PaintView& v, int x, int y, int size, float w);
