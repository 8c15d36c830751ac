#include "filters/spotclean/dust_dabs.h"

#include <algorithm>
#include <cstdlib>

#include "filters/spotclean/dust_params.h"
#include "filters/spotclean/median_scan.h"
#include "filters/spotclean/speck_core.h"
#include "framework/brush/restore.h"
#include "framework/tablet/device.h"

namespace {

constexpr int kMaxRadius = 16;  // 33 x 33 values fill a 1156-byte block

struct DustRun {
    SpeckView view;
    int k;
    int level;
};

bool prepare(DustRun& run) {
    for (uint8_t* block : gDustBlocks)
        if (!block) return false;
    if (!gDustScratch) return false;
    run.k = 2 * std::clamp<int>(gDustParams.radius, 1, kMaxRadius) + 1;
    run.level = gDustParams.level;
    return viewCurrentImage(run.view, gDustParams.buildup != 0);
}

void dustAt(const DustRun& run, int x, int y) {
    const SpeckView& v = run.view;
    if (!pixelTakesPart(v, x, y)) return;
    uint8_t medians[4];
    neighbourhoodMedians(v, x, y, run.k, gDustBlocks, gDustScratch, medians);
    const uint8_t* own = v.src + intptr_t(y) * v.srcRow + intptr_t(x) * v.srcStride;
    bool speck = false;
    for (int c = 0; c < v.channels; ++c)
        if (std::abs(int(medians[c]) - int(own[c])) > run.level) speck = true;
    if (!speck) return;
    uint8_t* out = v.out + intptr_t(y) * v.outRow + intptr_t(x) * v.planes;
    for (int c = 0; c < v.channels; ++c) out[c] = medians[c];
}

// dustAt's write for the histogram path: all medians where one channel is a speck.
bool threshold(const PixelRule& rule, const uint8_t* medians, const uint8_t* own, int channels,
               uint8_t* result) {
    bool speck = false;
    for (int c = 0; c < channels; ++c)
        if (std::abs(int(medians[c]) - int(own[c])) > rule.level) speck = true;
    if (!speck) return false;
    for (int c = 0; c < channels; ++c) result[c] = medians[c];
    return true;
}

void dustSpan(void* context, int y, int x0, int x1) {
    const DustRun& run = *static_cast<const DustRun*>(context);
    if (y < 0 || y >= run.view.height) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, run.view.width - 1);
    for (int x = x0; x <= x1; ++x) dustAt(run, x, y);
}

}  // namespace

void dustPixel(int x, int y) {
    DustRun run;
    if (prepare(run)) dustAt(run, x, y);
}

void dustCapDab(const Dab& dab) {
    DustRun run;
    if (!prepare(run)) return;
    const PixelRule rule{threshold, run.level};
    if (histogramsFor(run.k, dab.size, true) && histogramCap(run.view, run.k, rule, dab.x, dab.y, dab.size)) return;
    walkCapDisc(dab.x, dab.y, dab.size, dustSpan, &run);
}

void dustStepDab(const Dab& dab, int direction, int spanLength) {
    DustRun run;
    if (!prepare(run)) return;
    const int w = spanLength;
    const PixelRule rule{threshold, run.level};
    const bool fast = histogramsFor(run.k, w, false);
    if (direction == kSpanRow) {
        if (fast && histogramSpan(run.view, run.k, rule, false, dab.y, dab.x - w / 2, dab.x - w / 2 + w)) return;
        dustSpan(&run, dab.y, dab.x - w / 2, dab.x - w / 2 + w);
    } else if (direction == kSpanColumn) {
        if (dab.x < 0 || dab.x >= run.view.width) return;
        const int y0 = std::max(0, dab.y - w / 2);
        const int y1 = std::min(run.view.height - 1, dab.y - w / 2 + w);
        if (fast && histogramSpan(run.view, run.k, rule, true, dab.x, y0, y1)) return;
        for (int y = y0; y <= y1; ++y) dustAt(run, dab.x, y);
    }
}

void dustRestoreDab(const Dab& dab, int /*direction*/, int /*spanLength*/) {
    float strength = 1.0f;  // a tablet without a pressure axis restores fully
    if (const int32_t full = samplePressureMax(gDevice))
        strength = float(dab.pressure) / float(full);
    restoreDisc(dab, std::clamp(strength, 0.0f, 1.0f));  // colour channels only
}
