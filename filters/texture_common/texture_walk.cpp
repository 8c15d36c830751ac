#include "filters/texture_common/texture_walk.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/brush/segment_clip.h"

namespace {

int16_t truncated(double v) { return int16_t(std::trunc(v)); }

}  // namespace

bool clipSegment(double& x0, double& y0, double& x1, double& y1, double w, double h) {
    return clipToFrame(x0, y0, x1, y1, w, h);
}

void walkTextureSegment(TextureWalk& walk, const Dab& prev, const Dab& sample, int width,
                        int height, WalkDab place, void* context) {
    const bool carried = walk.carry;
    walk.carry = true;
    double x0 = prev.x, y0 = prev.y, x1 = sample.x, y1 = sample.y;
    if (!clipSegment(x0, y0, x1, y1, width, height)) return;

    const int step = std::max(1, prev.size / 6);
    const int ddx = sample.x - prev.x, ddy = sample.y - prev.y;
    const bool yMajor = ddx == 0 || std::abs(ddy) >= std::abs(ddx);
    // Major axis a, minor axis b; the slope is that of the whole segment.
    const double a0 = yMajor ? y0 : x0, a1 = yMajor ? y1 : x1;
    const double b0 = yMajor ? x0 : y0;
    const double slope = yMajor ? (ddy ? double(ddx) / ddy : 0.0) : double(ddy) / ddx;
    const int dir = (yMajor ? ddy : ddx) < 0 ? -1 : 1;
    const int end = int(std::trunc(a1));
    int a = int(std::trunc(a0));
    double b = b0;
    const double increment = slope * step * dir;
    if (carried) {
        a += dir;
        b += increment * 0.5;
    }
    Dab dab = prev;
    for (; dir > 0 ? a <= end : a >= end; a += dir * step, b += increment) {
        const int16_t minor = int16_t(std::trunc(b + 0.5));
        dab.x = yMajor ? minor : int16_t(a);
        dab.y = yMajor ? int16_t(a) : minor;
        if (dab.x == sample.x && dab.y == sample.y) {
            walk.carry = false;
            return;
        }
        place(context, dab);
    }
}

void walkSteppedSegment(const Dab& p, const Dab& q, int width, int height, WalkDab place,
                        void* context) {
    const Dab& a = p.x < q.x ? p : q;
    const Dab& b = p.x < q.x ? q : p;
    Dab dab = a;
    dab.size = p.size;
    const double step = std::max(1, p.size / 5);
    double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (!clipSegment(ax, ay, bx, by, width, height)) return;

    if (a.x == b.x) {
        const double top = std::min(ay, by), bottom = std::max(ay, by);
        dab.x = truncated(ax);
        for (double y = top; y <= bottom; y += step) {
            dab.y = truncated(y);
            place(context, dab);
        }
        return;
    }
    const double m = double(b.y - a.y) / double(b.x - a.x);
    if (m > -1.0 && m < 1.0) {
        double y = ay;
        for (double x = ax; x <= bx; x += step, y += m * step) {
            dab.x = truncated(x);
            dab.y = truncated(y);
            place(context, dab);
        }
        return;
    }
    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    double x = ax;
    for (double y = ay; y <= by; y += step, x += step / m) {
        dab.x = truncated(x);
        dab.y = truncated(y);
        place(context, dab);
    }
}
