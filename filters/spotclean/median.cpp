#include "filters/spotclean/median.h"

#include <utility>

namespace {

// The middle one of three by size.
uint8_t middleOf(uint8_t a, uint8_t b, uint8_t c) {
    if (a > b) std::swap(a, b);  // a <= b
    if (c <= a) return a;
    if (c >= b) return b;
    return c;
}

}  // namespace

uint8_t selectRank(uint8_t* values, int n, int rank, uint8_t* scratch) {
    // `rank` counts within the current values; the values already known to be smaller
    // have been taken off it.
    for (;;) {
        const uint8_t pivot = middleOf(values[0], values[n - 1], values[(n - 1) / 2]);
        int below = 0;
        int top = n;  // the values above the pivot fill scratch[top .. n - 1]
        for (int i = 0; i < n; ++i) {
            const uint8_t v = values[i];
            if (v < pivot)
                scratch[below++] = v;
            else if (v > pivot)
                scratch[--top] = v;
        }
        const int above = n - top;
        if (rank <= below) {
            n = below;
            std::swap(values, scratch);
            continue;
        }
        if (rank <= n - above) return pivot;
        rank -= n - above;
        uint8_t* upper = scratch + top;
        scratch = values;  // the old value area is free now
        values = upper;
        n = above;
    }
}
