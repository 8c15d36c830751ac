// Cohen-Sutherland clipping of a stroke segment to the frame [0, w] x [0, h], in the
// precision of T: double for the shared walk, float where an effect walks in single
// precision. Every walk clips with this one rule, so segments end at the same points
// whichever effect paints them.
#pragma once

namespace segment_clip_detail {

enum : int { kLeft = 1, kRight = 2, kBottom = 4, kTop = 8 };

template <typename T>
int outcode(T x, T y, T w, T h) {
    int c = 0;
    if (x < T(0)) c |= kLeft;
    else if (x > w) c |= kRight;
    if (y < T(0)) c |= kTop;
    else if (y > h) c |= kBottom;
    return c;
}

}  // namespace segment_clip_detail

// False when nothing of the segment lies in the frame; otherwise the ends are moved
// onto it.
template <typename T>
bool clipToFrame(T& x0, T& y0, T& x1, T& y1, T w, T h) {
    using namespace segment_clip_detail;
    int c0 = outcode(x0, y0, w, h), c1 = outcode(x1, y1, w, h);
    for (;;) {
        if (!(c0 | c1)) return true;
        if (c0 & c1) return false;
        const int c = c0 ? c0 : c1;
        T x, y;
        if (c & kBottom) {
            x = x0 + (x1 - x0) * (h - y0) / (y1 - y0);
            y = h;
        } else if (c & kTop) {
            x = x0 + (x1 - x0) * (T(0) - y0) / (y1 - y0);
            y = T(0);
        } else if (c & kRight) {
            y = y0 + (y1 - y0) * (w - x0) / (x1 - x0);
            x = w;
        } else {
            y = y0 + (y1 - y0) * (T(0) - x0) / (x1 - x0);
            x = T(0);
        }
        if (c == c0) {
            x0 = x;
            y0 = y;
            c0 = outcode(x0, y0, w, h);
        } else {
            x1 = x;
            y1 = y;
            c1 = outcode(x1, y1, w, h);
        }
    }
}
