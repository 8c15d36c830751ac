// The shapes grainwash paints, as visit orders: the filled disc stamped at each pen
// sample and the disc outline swept along the line between two samples. The noise comes
// from one random stream in visit order, so the order (repeats included) is part of the
// result: a session replays bit for bit only if every build visits alike.
#pragma once

// Filled disc of `size` pixels (radius size / 2) around (cx, cy), by the midpoint rule.
// At each step that lowers y it emits the row at +y (dx -i..i), the row at -y, the column
// at dx = +y (dy -i..i) and the column at dx = -y; then the rectangle dx -i..i,
// dy -y..y row by row. Pixels near the diagonals come twice. Size 1 is its centre.
template <typename Visit>
void walkGrainDisc(int cx, int cy, int size, Visit&& visit) {
    int y = size / 2;
    int g = 1 - y, e = 3, d = 5 - size;
    int i = 0;
    for (; i < y; ++i) {
        if (g < 0) {
            g += e;
            d += 2;
        } else {
            for (int dx = -i; dx <= i; ++dx) visit(cx + dx, cy + y);
            for (int dx = -i; dx <= i; ++dx) visit(cx + dx, cy - y);
            for (int dy = -i; dy <= i; ++dy) visit(cx + y, cy + dy);
            for (int dy = -i; dy <= i; ++dy) visit(cx - y, cy + dy);
            --y;
            g += d;
            d += 4;
        }
        e += 2;
    }
    for (int dy = -y; dy <= y; ++dy)
        for (int dx = -i; dx <= i; ++dx) visit(cx + dx, cy + dy);
}

// The disc's outline: the same decision, eight points a step in the order
// (x,y) (-x,y) (x,-y) (-x,-y) (y,x) (-y,x) (y,-x) (-y,-x), repeated points as often as
// listed. It runs while x <= y, so the diagonal points are drawn and a stroke along an
// axis leaves no clean line between its samples; size 1 visits its centre (eight times).
template <typename Visit>
void walkGrainOutline(int cx, int cy, int size, Visit&& visit) {
    int y = size / 2;
    int g = 1 - y, e = 3, d = 5 - size;
    for (int x = 0; x <= y; ++x) {
        visit(cx + x, cy + y);
        visit(cx - x, cy + y);
        visit(cx + x, cy - y);
        visit(cx - x, cy - y);
        visit(cx + y, cy + x);
        visit(cx - y, cy + x);
        visit(cx + y, cy - x);
        visit(cx - y, cy - x);
        if (g < 0) {
            g += e;
            d += 2;
        } else {
            --y;
            g += d;
            d += 4;
        }
        e += 2;
    }
}

// Clips the segment to the rectangle left..right x top..bottom (all inclusive) by
// Cohen-Sutherland outcodes, intersections in 64-bit integers truncated toward zero.
// False when nothing is left.
bool clipGrainLine(int& x0, int& y0, int& x1, int& y1, int left, int top, int right,
                   int bottom);

// Bresenham's line from (x0, y0) to (x1, y1), both ends included: x-major when
// |dx| >= |dy|, walked toward increasing x (or y); d = 2 minor - major, the minor
// coordinate steps when d > 0.
template <typename Visit>
void walkGrainLine(int x0, int y0, int x1, int y1, Visit&& visit) {
    const int adx = x1 > x0 ? x1 - x0 : x0 - x1;
    const int ady = y1 > y0 ? y1 - y0 : y0 - y1;
    const bool xMajor = adx >= ady;
    if ((xMajor && x1 < x0) || (!xMajor && y1 < y0)) {
        int t = x0; x0 = x1; x1 = t;
        t = y0; y0 = y1; y1 = t;
    }
    const int major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    // The minor axis may run either way once the major one increases.
    const int minorStep = xMajor ? (y1 >= y0 ? 1 : -1) : (x1 >= x0 ? 1 : -1);
    int d = 2 * minor - major;
    int x = x0, y = y0;
    for (int k = 0; k <= major; ++k) {
        visit(x, y);
        if (d > 0) {
            if (xMajor) y += minorStep; else x += minorStep;
            d -= 2 * major;
        }
        d += 2 * minor;
        if (xMajor) ++x; else ++y;
    }
}
