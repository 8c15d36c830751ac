#include "filters/grainwash/grain_core.h"

#include "filters/grainwash/grain_shapes.h"

int grainNoise(GrainRandom& random, bool uniform, int amount) {
    const float w = float(amount + 1);
    if (uniform) return int((2.0f * grainUniform(random) - 1.0f) * w);
    return int(grainGaussian(random) * w);
}

namespace {

uint8_t clampByte(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void grainPixel(const GrainImage& image, const GrainPaint& paint, GrainRandom& random, int x,
                int y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return;
    if (image.mask && image.mask[ptrdiff_t(y) * image.maskRow + x] == 0) return;
    const uint8_t* source = image.sourceAt(x, y);
    if (image.transparency && source[image.planes - 1] == 0) return;
    uint8_t* result = image.resultAt(x, y);
    const int channels = image.colourPlanes();
    if (paint.eraser) {
        for (int c = channels - 1; c >= 0; --c) {
            const int r = result[c];
            result[c] = uint8_t(int(float(r) + float(source[c] - r) * paint.eraseFactor));
        }
        return;
    }
    const uint8_t* base = paint.buildup ? result : source;
    if (paint.monochrome) {
        const int n = grainNoise(random, paint.uniform, paint.amount);
        for (int c = channels - 1; c >= 0; --c) result[c] = clampByte(base[c] + n);
    } else {
        for (int c = channels - 1; c >= 0; --c)
            result[c] = clampByte(base[c] + grainNoise(random, paint.uniform, paint.amount));
    }
}

namespace {

float fraction(int value, int maximum) {
    const float f = float(value) / float(maximum);
    return f < 0.0f ? 0.0f : f > 1.0f ? 1.0f : f;
}

}  // namespace

int grainMapped(int32_t source, int value, int pressure, int pressureMax, int wheel,
                int wheelMax) {
    if (source == kGrainFingerwheel && wheelMax > 0) return int(fraction(wheel, wheelMax) * float(value));
    if (source == kGrainPressure && pressureMax > 0)
        return int(fraction(pressure, pressureMax) * float(value));
    return value;
}

float grainEraseFactor(int32_t amountSource, int pressure, int pressureMax) {
    if (amountSource == kGrainFixed || pressureMax <= 0) return 1.0f;
    return fraction(pressure, pressureMax);
}

void resetGrainStroke(GrainStroke& stroke) { stroke = GrainStroke{}; }

GrainCurrent grainCurrent(const GrainBrush& brush, const GrainSample& s) {
    GrainCurrent current;
    current.size = grainMapped(brush.sizeSource, brush.brushSize, s.pressure, s.pressureMax,
                               s.wheel, s.wheelMax);
    current.amount = grainMapped(brush.amountSource, brush.amount, s.pressure, s.pressureMax,
                                 s.wheel, s.wheelMax);
    GrainPaint& paint = current.paint;
    paint.amount = current.amount;
    paint.uniform = brush.uniform;
    paint.monochrome = brush.monochrome;
    paint.buildup = brush.buildup;
    paint.eraser = s.eraser;
    paint.eraseFactor = grainEraseFactor(brush.amountSource, s.pressure, s.pressureMax);
    // The eraser keeps its pressure where the amount would be (the restore ignores it).
    if (s.eraser) current.amount = s.pressure;
    return current;
}

namespace {

void grow(GrainChange& change, int left, int top, int right, int bottom) {
    if (!change.drawn) {
        change = GrainChange{true, left, top, right, bottom};
        return;
    }
    if (left < change.left) change.left = left;
    if (top < change.top) change.top = top;
    if (right > change.right) change.right = right;
    if (bottom > change.bottom) change.bottom = bottom;
}

void clipToImage(GrainChange& change, const GrainImage& image) {
    if (!change.drawn) return;
    if (change.left < 0) change.left = 0;
    if (change.top < 0) change.top = 0;
    if (change.right > image.width) change.right = image.width;
    if (change.bottom > image.height) change.bottom = image.height;
    if (change.left >= change.right || change.top >= change.bottom) change = GrainChange{};
}

}  // namespace

GrainChange grainSample(GrainStroke& stroke, const GrainSample& sample, const GrainBrush& brush,
                        const GrainImage& image, GrainRandom& random) {
    GrainChange change{};
    const bool continuing = stroke.lastPressure >= 2;
    if (continuing || sample.pressure >= 2) {
        const GrainCurrent current = grainCurrent(brush, sample);
        const int size = current.size, r = size / 2;
        auto pixel = [&](int x, int y) { grainPixel(image, current.paint, random, x, y); };
        walkGrainDisc(sample.x, sample.y, size, pixel);
        grow(change, sample.x - r, sample.y - r, sample.x + r + 1, sample.y + r + 1);
        if (continuing) {
            int x0 = stroke.lastX, y0 = stroke.lastY, x1 = sample.x, y1 = sample.y;
            if (clipGrainLine(x0, y0, x1, y1, -r, -r, image.width, image.height)) {
                walkGrainLine(x0, y0, x1, y1, [&](int x, int y) {
                    walkGrainOutline(x, y, size, pixel);
                });
                grow(change, (x0 < x1 ? x0 : x1) - r, (y0 < y1 ? y0 : y1) - r,
                     (x0 > x1 ? x0 : x1) + r + 1, (y0 > y1 ? y0 : y1) + r + 1);
            }
        }
        clipToImage(change, image);
    }
    stroke.lastPressure = sample.pressure;
    stroke.lastX = sample.x;
    stroke.lastY = sample.y;
    return change;
}

namespace {

enum : int { kInside = 0, kLeft = 1, kRight = 2, kTop = 4, kBottom = 8 };

int outcode(int x, int y, int left, int top, int right, int bottom) {
    int code = kInside;
    if (x < left) code |= kLeft; else if (x > right) code |= kRight;
    if (y < top) code |= kTop; else if (y > bottom) code |= kBottom;
    return code;
}

}  // namespace

bool clipGrainLine(int& x0, int& y0, int& x1, int& y1, int left, int top, int right,
                   int bottom) {
    int code0 = outcode(x0, y0, left, top, right, bottom);
    int code1 = outcode(x1, y1, left, top, right, bottom);
    for (;;) {
        if ((code0 | code1) == 0) return true;
        if (code0 & code1) return false;
        const int code = code0 ? code0 : code1;
        const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
        int64_t x, y;
        if (code & kTop) {
            y = top;
            x = x0 + dx * (top - y0) / dy;
        } else if (code & kBottom) {
            y = bottom;
            x = x0 + dx * (bottom - y0) / dy;
        } else if (code & kRight) {
            x = right;
            y = y0 + dy * (right - x0) / dx;
        } else {
            x = left;
            y = y0 + dy * (left - x0) / dx;
        }
        if (code == code0) {
            x0 = int(x);
            y0 = int(y);
            code0 = outcode(x0, y0, left, top, right, bottom);
        } else {
            x1 = int(x);
            y1 = int(y);
            code1 = outcode(x1, y1, left, top, right, bottom);
        }
    }
}
