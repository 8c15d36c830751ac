// warper's pixels: the warp dab, the restore dab, a stroke segment walked into dabs and
// the stroke step that decides which samples make segments. Written against a plain
// view of the image so that it runs (and is tested) without the host.
#pragma once
#include <cstdint>

#include "filters/warper/mesh_warp.h"
#include "framework/tablet/tablet_sample.h"

// The whole filter rectangle, channels interleaved one byte each.
struct WarpImage {
    const uint8_t* source;  // (x, y, c) at source + y * sourceRow + x * sourcePixel + c
    int sourceRow, sourcePixel;
    uint8_t* result;        // (x, y, c) at result + y * resultRow + x * planes + c
    int resultRow;
    const uint8_t* mask;    // selection, one byte a pixel, 0 = not selected; null: none
    int maskRow;
    int planes;             // 1..5, all warped (transparency moves with the colour)
    int width, height;      // W, H
    bool transparency;      // the last plane is transparency
};

// How far a segment's dabs move the block centre, whole pixels.
struct CentreShift {
    int dx, dy;
};

// Block side of a sample size, kept to 5..kWarpBlockMax so that the mesh lines stay
// apart and no block grows without bound.
int warpBlockSide(int sampleSize);

// The shift for block side s, distortion in percent (clamped to 0..100) and the stroke
// from (fromX, fromY) to (toX, toY), which must differ: a quarter of s - 2 at 100 %,
// along the stroke, truncated toward zero.
CentreShift centreShift(int side, int distortion, int fromX, int fromY, int toX, int toY);

// The destination mesh: the regular grid with its centre node at s/2 + shift.
void shiftedMesh(MeshGrid& mesh, int side, CentreShift shift);

// Everything a segment's warp dabs need, in one block allocated per segment.
struct WarpWork {
    WarpMaps maps;
    uint8_t* block;   // one plane of the block before the warp, s x s
    uint8_t* middle;  // after the first (horizontal) pass
    uint8_t* warped;  // after the second (vertical) pass
    void* memory;     // the allocation, null when there is none
};

// Allocates for block side s (fixed heap, zero-filled); false, with nothing held, when
// the memory cannot be had.
bool allocWarpWork(WarpWork& work, int side);
void freeWarpWork(WarpWork& work);

// Warps the s x s block whose top-left corner is (x - s/2, y - s/2) in the result, every
// plane through the maps in `work`. Cells outside the image take the nearest image
// pixel; only image pixels with a non-zero mask are written.
void warpDab(const WarpImage& image, const WarpWork& work, int x, int y);

// The eraser: blends the source back into the result over the disc of radius s/2 round
// (x, y), as result + (source - result) * a with a = distortion / 100 clamped to 0..1.
// Where the source is fully transparent only the transparency blends (toward 0).
void restoreDab(const WarpImage& image, int x, int y, int size, int distortion);

// The dab positions of the segment from `from` to `to`, clipped to [0, W] x [0, H] and
// walked from `from` toward `to`, `step` pixels apart along the longer axis.
using WarpDabVisit = void (*)(void* context, int x, int y);
void walkWarpSegment(int fromX, int fromY, int toX, int toY, int width, int height, int step,
                     WarpDabVisit visit, void* context);

enum class SegmentResult { drawn, nothingToDraw, outOfMemory };

// One segment from the last sample to the new one: warp dabs, or restore dabs when the
// last sample has the eraser flag; every dab with the last sample's size and distortion.
// Nothing is drawn when the work buffers cannot be had (the caller reports -108).
SegmentResult warpSegment(const WarpImage& image, const TabletSample& last, const TabletSample& next);

struct WarpStroke {
    TabletSample last;     // last accepted sample, valid while a stroke is in progress
    int32_t lastPressure;  // a stroke is in progress while this is above 1
};

struct WarpStepOutcome {
    bool segment;      // a segment was walked (the dialog is changed)
    bool outOfMemory;  // ... but its work buffers could not be had
    int left, top, right, bottom;  // image area to repaint, empty without a segment
};

// One pen sample. Starting a stroke draws nothing (no cap dab); a sample closer than
// size/8 to the last one on both axes is dropped unless it lifts the pen; a segment is
// walked only between samples at different positions.
WarpStepOutcome warpStrokeStep(WarpStroke& stroke, const TabletSample& sample, const WarpImage& image);
