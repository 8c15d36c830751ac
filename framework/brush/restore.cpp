#include "framework/brush/restore.h"

#include <algorithm>

#include "framework/host/image_access.h"
#include "framework/host/plugin_globals.h"

bool viewWorkImage(WorkView& v) {
    const FilterRecord* r = gPlugin.record;
    if (!r || !r->outData || r->planes <= 0) return false;
    const SourcePlanes source = sourcePlanes(*r);
    if (!source.data) return false;
    v.in = source.data;
    v.inRow = source.rowBytes;
    v.inStride = source.stride;
    v.out = static_cast<uint8_t*>(r->outData);
    v.outRow = r->outRowBytes;
    v.planes = r->planes;
    v.mask = r->haveMask ? static_cast<const uint8_t*>(r->maskData) : nullptr;
    v.maskRow = r->maskRowBytes;
    v.width = r->filterRect.right - r->filterRect.left;
    v.height = r->filterRect.bottom - r->filterRect.top;
    v.colours = processedChannels(*r);
    v.alpha = hasTransparencyPlane(r->imageMode, r->planes) ? r->planes - 1 : -1;
    return v.width > 0 && v.height > 0 && v.inStride >= v.planes;
}

void restoreDisc(const WorkView& v, const Dab& dab, float strength) {
    const int r = dab.size / 2;
    if (r <= 0) return;
    // Blended as result + (source - result) * f: weights that sum to exactly one, so a
    // pixel that already equals its source stays as it is. (Weights f and 1 - f rounded
    // apart would pull such a pixel down by one level at every dab passing over it.)
    const double f = std::clamp(strength, 0.0f, 1.0f);
    const int cx = dab.x, cy = dab.y;
    const int x0 = std::max(0, cx - r), x1 = std::min(cx + r, v.width);
    const int y0 = std::max(0, cy - r), y1 = std::min(cy + r, v.height);
    for (int y = y0; y < y1; ++y) {
        const int dy = y - cy;
        for (int x = x0; x < x1; ++x) {
            const int dx = x - cx;
            if (dx * dx + dy * dy >= r * r) continue;
            if (!workPixelTakesPart(v, x, y)) continue;
            const uint8_t* s = v.in + y * v.inRow + intptr_t(x) * v.inStride;
            uint8_t* o = v.out + y * v.outRow + intptr_t(x) * v.planes;
            for (int c = v.colours - 1; c >= 0; --c) o[c] = uint8_t(int(o[c] + (s[c] - o[c]) * f));
        }
    }
}

void restoreDisc(const Dab& dab, float strength) {
    WorkView v;
    if (viewWorkImage(v)) restoreDisc(v, dab, strength);
}
