// Running-histogram medians for the dabs of spotclean and dustclean: the same results as
// gathering each pixel's k x k neighbourhood and selecting its median (neighbourhoodMedians,
// the reference), at a cost per pixel that does not grow with k * k.
//
// A dab is a sequence of spans, each a run of pixels along one image row (or, for a
// column step, one image column), processed in the reference's order. For a span on row
// y the scan keeps one histogram per image column over the window rows y - k/2 ..
// y - k/2 + k - 1 ("column histograms", fine bins of single values and coarse bins of 16
// values), and the window's histogram as the sum of the k column histograms under it:
// stepping one pixel right subtracts the column that leaves and adds the one that enters
// (16 coarse bins; the fine bins of a coarse bin are brought up to date only when the
// median falls in it: the constant-time median filter of Perreault and Hebert, as in
// OpenCV's medianBlur). The median is found by walking the coarse bins, then the 16 fine
// bins of the one that holds the rank; each walk is one 16-lane running total compared
// with the rank (SSE2), without a branch per bin. A step's span takes its column
// histograms afresh (k pixels each, for k - 1 + the span's length columns); those of a
// cap move from one disc row to the next by the pixel rows that leave and enter them,
// and a cap keeps four sets of them, as the midpoint circle visits four runs of
// consecutive rows (near the centre and near the edge, below and above it).
//
// With buildup the dab reads the result it writes: every pixel written is followed into
// every column histogram whose rows hold it and into the window sums, so that later
// pixels of the same dab see exactly what the reference reads.
#pragma once
#include <cstdint>

#include "filters/spotclean/speck_core.h"

// Which median code the dabs run: automatic takes the histograms where they pay and the
// straightforward gather-and-select elsewhere; the other two force one of them (the
// tests compare them, the benchmark times them).
enum class MedianPath { automatic, reference, histogram };
extern MedianPath gMedianPath;

// The largest side the histograms take (dustclean's radius 16).
constexpr int kHistogramMaxSide = 33;

// Whether a dab of side k and the given size (brush diameter, or a dustclean step's span
// length) should use the histogram functions below. As measured (bench_dabs
// spotSmallSides), they pay for every dab from side 7 on, from side 5 on for sizes of 9
// and more, and at side 3 for caps of size 40 and more; the reference keeps the rest.
bool histogramsFor(int k, int size, bool cap);

// What a dab does with one pixel that takes part, given the medians and the pixel's own
// values in the buffer the medians read (both for the processed channels): fills
// `result` and returns true to write it into the result buffer, false to leave the pixel.
struct PixelRule {
    bool (*decide)(const PixelRule& rule, const uint8_t* medians, const uint8_t* own, int channels,
                   uint8_t* result);
    int level;  // dustclean's threshold; unused by spotclean
};

// One span: the pixels from..to (inclusive, clipped to the image) of image row `line`,
// or of image column `line` when `column`, in increasing order, with side k
// (1..kHistogramMaxSide). False, with nothing done, when the buffers overlap in a way
// the histograms cannot follow; the caller then runs the reference.
bool histogramSpan(const SpeckView& view, int k, const PixelRule& rule, bool column, int line,
                   int from, int to);

// The filled disc of capDab (walkCapDisc's spans, in its order). False, with nothing
// done, when the disc is wider than the work area or the buffers cannot be followed.
bool histogramCap(const SpeckView& view, int k, const PixelRule& rule, int cx, int cy, int size);
