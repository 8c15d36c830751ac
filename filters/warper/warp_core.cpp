#include "filters/warper/warp_core.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "filters/warper/warp_params.h"
#include "framework/brush/segment_clip.h"
#include "framework/host/platform.h"

namespace {

inline uint8_t blendToward(uint8_t result, uint8_t source, double a) {
    return uint8_t(int(result + (source - result) * a));
}

// Copies plane c of the block at (left, top) into `block`; cells outside the image take
// the nearest image pixel, since the warp can carry them into the image near the border.
void gatherPlane(const WarpImage& im, int left, int top, int s, int c, uint8_t* block) {
    const int p = im.planes;
    if (left >= 0 && top >= 0 && left + s <= im.width && top + s <= im.height) {
        for (int j = 0; j < s; ++j) {
            const uint8_t* row = im.result + intptr_t(top + j) * im.resultRow + intptr_t(left) * p + c;
            uint8_t* to = block + j * s;
            for (int i = 0; i < s; ++i) to[i] = row[i * p];
        }
        return;
    }
    for (int j = 0; j < s; ++j) {
        const int yy = std::clamp(top + j, 0, im.height - 1);
        const uint8_t* row = im.result + intptr_t(yy) * im.resultRow + c;
        uint8_t* to = block + j * s;
        for (int i = 0; i < s; ++i) to[i] = row[intptr_t(std::clamp(left + i, 0, im.width - 1)) * p];
    }
}

struct SegmentDabs {
    const WarpImage* image;
    const WarpWork* work;  // null for the eraser
    int size, distortion;
};

void warpAt(void* context, int x, int y) {
    const auto& d = *static_cast<const SegmentDabs*>(context);
    warpDab(*d.image, *d.work, x, y);
}

void restoreAt(void* context, int x, int y) {
    const auto& d = *static_cast<const SegmentDabs*>(context);
    restoreDab(*d.image, x, y, d.size, d.distortion);
}

}  // namespace

int warpBlockSide(int sampleSize) { return std::clamp(sampleSize, 5, kWarpBlockMax); }

CentreShift centreShift(int s, int distortion, int fromX, int fromY, int toX, int toY) {
    const float vx = float(toX - fromX), vy = float(toY - fromY);
    const float length = std::sqrt(vx * vx + vy * vy);
    if (!(length > 0.0f)) return {0, 0};
    const float ux = vx / length, uy = vy / length;
    const float a = float(std::clamp(distortion, 0, int(kWarpDistortionMax)));
    const float magnitude = float(s - 2) * 0.25f * a * 0.01f;
    const int limit = int(float(s - 2) * 0.5f);
    return {std::clamp(int(ux * magnitude), -limit, limit), std::clamp(int(uy * magnitude), -limit, limit)};
}

void shiftedMesh(MeshGrid& mesh, int s, CentreShift shift) {
    regularMesh(mesh, s);
    mesh.x[2][2] = s * 0.5 + shift.dx;
    mesh.y[2][2] = s * 0.5 + shift.dy;
}

bool allocWarpWork(WarpWork& w, int s) {
    const size_t doubles = size_t(2) * mapDoubles(s) + mapScratchDoubles(s);
    const size_t planeBytes = size_t(s) * s;
    w.memory = allocFixed(doubles * sizeof(double) + 3 * planeBytes);
    if (!w.memory) {
        w = WarpWork{};
        return false;
    }
    double* d = static_cast<double*>(w.memory);
    w.maps.side = s;
    w.maps.rowMap = d;
    w.maps.columnMap = d + mapDoubles(s);
    w.maps.scratch = d + 2 * mapDoubles(s);
    w.block = reinterpret_cast<uint8_t*>(d + doubles);
    w.middle = w.block + planeBytes;
    w.warped = w.middle + planeBytes;
    return true;
}

void freeWarpWork(WarpWork& w) {
    if (w.memory) freeFixed(w.memory);
    w = WarpWork{};
}

void warpDab(const WarpImage& im, const WarpWork& work, int x, int y) {
    const int s = work.maps.side;
    const int left = x - s / 2, top = y - s / 2;
    const int x0 = std::max(0, left), x1 = std::min(im.width, left + s);
    const int y0 = std::max(0, top), y1 = std::min(im.height, top + s);
    if (x0 >= x1 || y0 >= y1) return;
    const int p = im.planes;
    for (int c = 0; c < p; ++c) {
        gatherPlane(im, left, top, s, c, work.block);
        warpBlock(work.maps, work.block, work.middle, work.warped);
        for (int yy = y0; yy < y1; ++yy) {
            const uint8_t* from = work.warped + (yy - top) * s - left;
            uint8_t* row = im.result + intptr_t(yy) * im.resultRow + c;
            const uint8_t* mask = im.mask ? im.mask + intptr_t(yy) * im.maskRow : nullptr;
            for (int xx = x0; xx < x1; ++xx)
                if (!mask || mask[xx]) row[intptr_t(xx) * p] = from[xx];
        }
    }
}

void restoreDab(const WarpImage& im, int x, int y, int size, int distortion) {
    const int r = size / 2;
    if (r <= 0) return;
    const double a = std::clamp(distortion * 0.01, 0.0, 1.0);
    const int x0 = std::max(0, x - r), x1 = std::min(im.width - 1, x + r);
    const int y0 = std::max(0, y - r), y1 = std::min(im.height - 1, y + r);
    const int p = im.planes, alpha = p - 1;
    for (int yy = y0; yy <= y1; ++yy) {
        const uint8_t* src = im.source + intptr_t(yy) * im.sourceRow;
        uint8_t* out = im.result + intptr_t(yy) * im.resultRow;
        const uint8_t* mask = im.mask ? im.mask + intptr_t(yy) * im.maskRow : nullptr;
        for (int xx = x0; xx <= x1; ++xx) {
            if ((yy - y) * (yy - y) + (xx - x) * (xx - x) >= r * r) continue;
            if (mask && !mask[xx]) continue;
            const uint8_t* s = src + intptr_t(xx) * im.sourcePixel;
            uint8_t* o = out + intptr_t(xx) * p;
            // A pixel the source hides keeps its colour; its transparency goes back
            // toward the source's 0, hiding it again.
            if (im.transparency && s[alpha] == 0) {
                o[alpha] = blendToward(o[alpha], 0, a);
                continue;
            }
            for (int c = 0; c < p; ++c) o[c] = blendToward(o[c], s[c], a);
        }
    }
}

void walkWarpSegment(int fromX, int fromY, int toX, int toY, int width, int height, int step,
                     WarpDabVisit visit, void* context) {
    float x0 = float(fromX), y0 = float(fromY), x1 = float(toX), y1 = float(toY);
    if (!clipToFrame(x0, y0, x1, y1, float(width), float(height))) return;
    step = std::max(1, step);
    if (x1 == x0) {
        const float dir = y1 >= y0 ? 1.0f : -1.0f;
        for (float y = y0; (y1 - y) * dir >= 0.0f; y += dir * float(step)) visit(context, int(x0), int(y));
        return;
    }
    const float m = (y1 - y0) / (x1 - x0);
    if (std::fabs(m) >= 1.0f) {
        const float dir = y1 >= y0 ? 1.0f : -1.0f;
        float x = x0;
        for (float y = y0; (y1 - y) * dir >= 0.0f; y += dir * float(step), x += dir * float(step) / m)
            visit(context, int(x), int(y));
        return;
    }
    const int dir = x1 >= x0 ? 1 : -1;
    float y = y0;
    for (int x = int(x0); (x1 - float(x)) * float(dir) >= 0.0f; x += dir * step, y += float(dir * step) * m)
        visit(context, x, int(y));
}

SegmentResult warpSegment(const WarpImage& im, const TabletSample& last, const TabletSample& next) {
    if (last.x == next.x && last.y == next.y) return SegmentResult::nothingToDraw;
    float x0 = last.x, y0 = last.y, x1 = next.x, y1 = next.y;
    if (!clipToFrame(x0, y0, x1, y1, float(im.width), float(im.height))) return SegmentResult::nothingToDraw;
    const int s = warpBlockSide(last.size);
    SegmentDabs dabs{&im, nullptr, s, last.amount};
    WarpWork work{};
    if (!last.inverted) {
        if (!allocWarpWork(work, s)) return SegmentResult::outOfMemory;
        MeshGrid from, to;
        regularMesh(from, s);
        shiftedMesh(to, s, centreShift(s, last.amount, last.x, last.y, next.x, next.y));
        buildWarpMaps(work.maps, from, to);
        dabs.work = &work;
    }
    walkWarpSegment(last.x, last.y, next.x, next.y, im.width, im.height, s / 4,
                    last.inverted ? restoreAt : warpAt, &dabs);
    freeWarpWork(work);
    return SegmentResult::drawn;
}

WarpStepOutcome warpStrokeStep(WarpStroke& stroke, const TabletSample& sample, const WarpImage& im) {
    WarpStepOutcome out{false, false, 0, 0, 0, 0};
    // Only the button release's notice ends a stroke; every other value is a pressure,
    // read unsigned as the shared stroke step reads it.
    const bool endNotice = sample.pressure == kEndOfStroke;
    const int pressure = endNotice ? 0 : int(sample.pressure);
    if (stroke.lastPressure <= 1) {
        if (pressure > 1) stroke.last = sample;
        stroke.lastPressure = pressure > 1 ? pressure : 0;
        return out;
    }
    if (endNotice) {
        stroke.lastPressure = 0;
        return out;
    }
    const TabletSample& last = stroke.last;
    const int near = std::max(1, last.size / 8);
    if (std::abs(last.x - sample.x) < near && std::abs(last.y - sample.y) < near && sample.pressure != 0)
        return out;

    if (last.x != sample.x || last.y != sample.y) {
        out.segment = true;
        out.outOfMemory = warpSegment(im, last, sample) == SegmentResult::outOfMemory;
        // Half the largest dab plus one round the segment: a block reaches s/2 past its
        // centre on every side.
        const int grow = std::max(warpBlockSide(last.size), int(sample.size)) / 2 + 1;
        out.left = std::clamp(std::min(last.x, sample.x) - grow, 0, im.width);
        out.top = std::clamp(std::min(last.y, sample.y) - grow, 0, im.height);
        out.right = std::clamp(std::max(last.x, sample.x) + grow, 0, im.width);
        out.bottom = std::clamp(std::max(last.y, sample.y) + grow, 0, im.height);
    }
    stroke.last = sample;
    stroke.lastPressure = pressure;
    return out;
}
