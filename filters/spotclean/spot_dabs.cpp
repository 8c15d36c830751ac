#include "filters/spotclean/spot_dabs.h"

#include <algorithm>

#include "filters/spotclean/median_scan.h"
#include "filters/spotclean/speck_core.h"
#include "framework/brush/restore.h"
#include "filters/spotclean/spot_params.h"

namespace {

// Scratch of the median selection, for up to 31 x 31 values.
uint8_t sScratch[1024];

bool buffersReady() {
    for (uint8_t* block : gSpotBlocks)
        if (!block) return false;
    return true;
}

// (median >> 1) + (current >> 1): both halves truncated, so at most 254.
void cleanAt(const SpeckView& v, int x, int y, int k) {
    if (!pixelTakesPart(v, x, y)) return;
    uint8_t medians[4];
    neighbourhoodMedians(v, x, y, k, gSpotBlocks, sScratch, medians);
    const uint8_t* cur = v.src + intptr_t(y) * v.srcRow + intptr_t(x) * v.srcStride;
    uint8_t* out = v.out + intptr_t(y) * v.outRow + intptr_t(x) * v.planes;
    for (int c = 0; c < v.channels; ++c) out[c] = uint8_t((medians[c] >> 1) + (cur[c] >> 1));
}

// cleanAt's write for the histogram path: the same halves.
bool halfway(const PixelRule&, const uint8_t* medians, const uint8_t* own, int channels, uint8_t* result) {
    for (int c = 0; c < channels; ++c) result[c] = uint8_t((medians[c] >> 1) + (own[c] >> 1));
    return true;
}
const PixelRule kHalfway{halfway, 0};

int sideOf(const Dab& dab) { return std::min<int>(dab.amount, kSpotMaxSide); }

bool prepare(SpeckView& v) {
    return buffersReady() && viewCurrentImage(v, gSpotParams.buildup != 0);
}

struct DiscRun {
    const SpeckView* view;
    int k;
};

void cleanSpan(void* context, int y, int x0, int x1) {
    const DiscRun& run = *static_cast<const DiscRun*>(context);
    if (y < 0 || y >= run.view->height) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, run.view->width - 1);
    for (int x = x0; x <= x1; ++x) cleanAt(*run.view, x, y, run.k);
}

}  // namespace

void cleanPixel(int x, int y, int k) {
    SpeckView v;
    if (k <= 0 || !prepare(v)) return;
    cleanAt(v, x, y, std::min(k, kSpotMaxSide));
}

void spotCapDab(const Dab& dab) {
    SpeckView v;
    const int k = sideOf(dab);
    if (k <= 0 || !prepare(v)) return;
    if (histogramsFor(k, dab.size, true) && histogramCap(v, k, kHalfway, dab.x, dab.y, dab.size)) return;
    DiscRun run{&v, k};
    walkCapDisc(dab.x, dab.y, dab.size, cleanSpan, &run);
}

void spotStepDab(const Dab& dab, int direction, int /*spanLength*/) {
    SpeckView v;
    const int k = sideOf(dab);
    if (k <= 0 || !prepare(v)) return;
    const int r = std::max(1, dab.size / 2);
    const bool fast = histogramsFor(k, dab.size, false);
    if (direction == kSpanRow) {
        if (fast && histogramSpan(v, k, kHalfway, false, dab.y, dab.x - r, dab.x - r + dab.size)) return;
        DiscRun run{&v, k};
        cleanSpan(&run, dab.y, dab.x - r, dab.x - r + dab.size);
    } else if (direction == kSpanColumn) {
        if (dab.x < 0 || dab.x >= v.width) return;
        const int y0 = std::max(dab.y - r, 0), y1 = std::min(dab.y - r + dab.size, v.height - 1);
        if (fast && histogramSpan(v, k, kHalfway, true, dab.x, y0, y1)) return;
        for (int y = y0; y <= y1; ++y) cleanAt(v, dab.x, y, k);
    }
}

void spotRestoreDab(const Dab& dab, int /*direction*/, int /*spanLength*/) {
    // amount / 15 as the product with the decimal constant, rounded to single precision:
    // 15 gives exactly 1.0, so a full-strength eraser restores the source exactly. The
    // framework's blend touches the colour channels only, never transparency.
    const float strength = float(dab.amount * 0.06666667);
    restoreDisc(dab, std::clamp(strength, 0.0f, 1.0f));
}
