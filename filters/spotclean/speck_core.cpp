#include "filters/spotclean/speck_core.h"

#include <algorithm>

#include "filters/spotclean/median.h"
#include "framework/brush/restore.h"

bool viewCurrentImage(SpeckView& v, bool readResult) {
    // The framework's view of the work image (the source is the last applied image once
    // Apply was pressed), narrowed to what the median code indexes with.
    WorkView w;
    if (!viewWorkImage(w)) return false;
    v.in = w.in;
    v.inRow = int(w.inRow);
    v.inStride = w.inStride;
    v.out = w.out;
    v.outRow = int(w.outRow);
    v.planes = w.planes;
    v.mask = w.mask;
    v.maskRow = int(w.maskRow);
    v.width = w.width;
    v.height = w.height;
    v.channels = std::min(w.colours, 4);
    v.alpha = w.alpha;
    if (readResult) {
        v.src = v.out;
        v.srcRow = v.outRow;
        v.srcStride = v.planes;
    } else {
        v.src = v.in;
        v.srcRow = v.inRow;
        v.srcStride = v.inStride;
    }
    return true;
}

namespace {

// Appends one neighbourhood row of `count` pixels starting at `p` to the blocks.
inline void gatherRow(const uint8_t* p, int count, int stride, int channels,
                      uint8_t* const* blocks, int at) {
    switch (channels) {
    case 1:
        for (int i = 0; i < count; ++i, p += stride) blocks[0][at + i] = p[0];
        break;
    case 3:
        for (int i = 0; i < count; ++i, p += stride) {
            blocks[0][at + i] = p[0];
            blocks[1][at + i] = p[1];
            blocks[2][at + i] = p[2];
        }
        break;
    default:
        for (int i = 0; i < count; ++i, p += stride)
            for (int c = 0; c < channels; ++c) blocks[c][at + i] = p[c];
    }
}

}  // namespace

void neighbourhoodMedians(const SpeckView& v, int x, int y, int k, uint8_t* const* blocks,
                          uint8_t* scratch, uint8_t* medians) {
    const int left = x - k / 2, top = y - k / 2;
    const int channels = v.channels;
    int at = 0;
    if (left >= 0 && top >= 0 && left + k <= v.width && top + k <= v.height) {
        const uint8_t* row = v.src + intptr_t(top) * v.srcRow + intptr_t(left) * v.srcStride;
        for (int j = 0; j < k; ++j, row += v.srcRow, at += k)
            gatherRow(row, k, v.srcStride, channels, blocks, at);
    } else {
        for (int j = 0; j < k; ++j) {
            const int yy = std::clamp(top + j, 0, v.height - 1);
            const uint8_t* row = v.src + intptr_t(yy) * v.srcRow;
            for (int i = 0; i < k; ++i, ++at) {
                const int xx = std::clamp(left + i, 0, v.width - 1);
                const uint8_t* p = row + intptr_t(xx) * v.srcStride;
                for (int c = 0; c < channels; ++c) blocks[c][at] = p[c];
            }
        }
    }
    const int n = k * k;
    for (int c = 0; c < channels; ++c) medians[c] = selectRank(blocks[c], n, (n + 1) / 2, scratch);
}

void walkCapDisc(int cx, int cy, int size, DiscSpan span, void* context) {
    const int r = std::max(1, size / 2);
    const int boxLeft = cx - r, boxRight = cx - r + size;
    const int boxTop = cy - r, boxBottom = cy - r + size;
    // A mirrored pair: the row below the centre, then the one above.
    auto emit = [&](int offset, int half) {
        const int x0 = std::max(boxLeft, cx - half), x1 = std::min(boxRight, cx + half);
        for (int row : {cy + offset, cy - offset})
            if (row >= boxTop && row <= boxBottom) span(context, row, x0, x1);
    };
    emit(0, r);
    int d = 1 - r, e = 3, s = 5 - 2 * r, a = 0, b = r;
    do {
        if (d < 0) {
            d += e;
            s += 2;
            e += 2;
            ++a;
        } else {
            e += 2;
            d += s;
            s += 4;
            emit(b, a);
            ++a;
            --b;
        }
        emit(a, b);
    } while (b > a);
}
