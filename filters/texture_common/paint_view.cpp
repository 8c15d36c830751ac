#include "filters/texture_common/paint_view.h"

#include <algorithm>

DabSquare dabSquare(const PaintView& v, int x, int y, int r) {
    return {std::max(0, x - r), std::max(0, y - r), std::min(v.width, x + r),
            std::min(v.height, y + r)};
}

DabSquare dabRepaintBox(const PaintView& v, int x, int y, int size) {
    return dabSquare(v, x, y, std::max(1, size / 2));
}

void coverageSquares(int d, float squares[4]) {
    // Single precision thirds, as the coverage rule is defined: 0.33333334, 0.6666667.
    static const float kOffsets[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        const float p = float(d) + kOffsets[i];
        squares[i] = p * p;
    }
}

void restoreSource(const PaintView& v, int x, int y, int size, float w) {
    const int r = size / 2;
    if (r <= 0) return;
    // NaN fails both comparisons and becomes 0: nothing restored rather than garbage.
    w = w >= 1.0f ? 1.0f : (w > 0.0f ? w : 0.0f);
    if (w == 0.0f) return;
    const DabSquare sq = dabSquare(v, x, y, r);
    for (int py = sq.y0; py < sq.y1; ++py) {
        const int dy = py - y;
        for (int px = sq.x0; px < sq.x1; ++px) {
            const int dx = px - x;
            if (dx * dx + dy * dy >= r * r || !pixelEligible(v, px, py)) continue;
            const uint8_t* s = sourcePixel(v, px, py);
            uint8_t* o = resultPixel(v, px, py);
            // result + (source - result) * w: weights summing to exactly one, so a pixel
            // equal to its source stays put and w = 1 restores it exactly.
            for (int c = 0; c < v.colours; ++c)
                o[c] = uint8_t(int(float(o[c]) + float(int(s[c]) - int(o[c])) * w));
        }
    }
}
