#include "filters/airbrush/spray_stroke.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct DabTarget {
    SprayCanvas* canvas;
    SprayOperation operation;
};

void dabAt(void* context, const AirbrushSample& dab) {
    DabTarget& t = *static_cast<DabTarget*>(context);
    switch (t.operation) {
    case SprayOperation::soft: softSprayDab(*t.canvas, dab); break;
    case SprayOperation::splatter: splatterDab(*t.canvas, dab); break;
    case SprayOperation::restore: restoreDab(*t.canvas, dab); break;
    }
}

// Around both ends, size * elongation of each, held to the image.
Box repaintArea(const AirbrushSample& a, const AirbrushSample& b, int width, int height) {
    const int ea = int(float(a.size) * a.elongation) + 1, eb = int(float(b.size) * b.elongation) + 1;
    Box box;
    box.left = std::max(0, std::min(a.x - ea, b.x - eb));
    box.top = std::max(0, std::min(a.y - ea, b.y - eb));
    box.right = std::min(width, std::max(a.x + ea, b.x + eb) + 1);
    box.bottom = std::min(height, std::max(a.y + ea, b.y + eb) + 1);
    if (box.right < box.left) box.right = box.left;
    if (box.bottom < box.top) box.bottom = box.top;
    return box;
}

}  // namespace

void resetSprayStroke(SprayStroke& stroke) { stroke = SprayStroke{}; }

SprayOperation operationFor(const AirbrushSample& prev, const AirbrushParams& params) {
    if (prev.inverted) return SprayOperation::restore;
    return params.softSpray ? SprayOperation::soft : SprayOperation::splatter;
}

int stepFor(SprayOperation operation, int size) {
    switch (operation) {
    case SprayOperation::restore: return std::max(1, size / 10);
    case SprayOperation::splatter: return std::max(1, size / 2);
    case SprayOperation::soft: break;
    }
    return size <= 22 ? 1 : 2;
}

int walkSpraySegment(const AirbrushSample& from, const AirbrushSample& to, int step, bool& carry,
                     int width, int height, SprayDabAt dab, void* context) {
    const int dx = to.x - from.x, dy = to.y - from.y;
    if (dx == 0 && dy == 0) return 0;
    const bool alongX = std::abs(dx) >= std::abs(dy);
    const int major0 = alongX ? from.x : from.y, major1 = alongX ? to.x : to.y;
    const int minor0 = alongX ? from.y : from.x;
    const int run = alongX ? dx : dy;
    const double slope = double(alongX ? dy : dx) / double(run);
    const int direction = run > 0 ? 1 : -1;

    int dabs = 0;
    AirbrushSample d = from;
    int t = major0 + (carry ? direction : 0);
    carry = true;
    for (; (major1 - t) * direction >= 0; t += step * direction) {
        // Rounded to the nearest pixel, also left of or above the image.
        const int minor = int(std::floor(double(minor0) + double(t - major0) * slope + 0.5));
        const int x = alongX ? t : minor, y = alongX ? minor : t;
        if (x == to.x && y == to.y) {
            carry = false;  // the next walk starts on it
            break;
        }
        if (x < 0 || y < 0 || x > width || y > height) continue;
        d.x = int16_t(x);
        d.y = int16_t(y);
        dab(context, d);
        ++dabs;
    }
    return dabs;
}

bool sprayTimerTick(SprayStroke& stroke, bool painting, AirbrushSample& repeat) {
    const bool rested = !stroke.busy;
    stroke.busy = false;
    if (!painting || stroke.lastPressure <= 1 || !rested) return false;
    repeat = stroke.prev;
    repeat.repeat = 1;
    return true;
}

SprayStepResult sprayStep(SprayStroke& stroke, const AirbrushSample& s, SprayCanvas& canvas) {
    SprayStepResult result{false, 0, Box{0, 0, 0, 0}, false};
    if (stroke.lastPressure <= 1) {
        // Only a pressing sample starts a stroke, and it paints nothing yet.
        stroke.lastPressure = s.pressure > 1 ? s.pressure : 0;
        if (stroke.lastPressure) stroke.prev = s;
        stroke.carry = false;
        stroke.busy = stroke.busy || stroke.lastPressure != 0;
        return result;
    }
    if (s.pressure < 0) {  // end of stroke: the button was released
        stroke.lastPressure = 0;
        return result;
    }
    const AirbrushSample& prev = stroke.prev;
    const SprayOperation operation = operationFor(prev, *canvas.params);
    DabTarget target{&canvas, operation};
    const int width = canvas.image.width, height = canvas.image.height;

    if (s.repeat) {
        // The timer's copy of prev while the pen rests: one more dab there, so the
        // spray builds up; the eraser does not.
        if (operation != SprayOperation::restore && s.x >= 0 && s.y >= 0 && s.x <= width && s.y <= height) {
            AirbrushSample d = prev;
            d.x = s.x;
            d.y = s.y;
            if (operation == SprayOperation::soft) buildSoftFootprint(canvas, prev);
            dabAt(&target, d);
            result.dabs = 1;
            stroke.carry = true;  // the resting position has had its dab
        }
    } else {
        if (std::abs(s.x - prev.x) <= 1 && std::abs(s.y - prev.y) <= 1) {
            // Too close to matter; but a pen lifted here (or leaving the image) ends the
            // stroke, or the next entry would be joined to this point by a straight bridge.
            if (s.pressure <= 1) stroke.lastPressure = 0;
            return result;
        }
        if (operation == SprayOperation::soft) {
            buildSoftFootprint(canvas, prev);
            if (prev.size <= 22) stroke.carry = false;
        }
        stroke.busy = true;
        result.dabs = walkSpraySegment(prev, s, stepFor(operation, prev.size), stroke.carry, width, height,
                                       dabAt, &target);
    }

    result.painted = true;
    result.invalid = repaintArea(prev, s, width, height);
    result.updateNow = stroke.segmentCounter == 2;
    stroke.segmentCounter = (stroke.segmentCounter + 1) % 3;
    stroke.prev = s;
    stroke.lastPressure = s.pressure;
    return result;
}
