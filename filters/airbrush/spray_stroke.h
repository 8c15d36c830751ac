// airbrush's own stroke step and segment walk: which samples start, continue and end a
// stroke, and where along each segment the dabs fall.
#pragma once
#include <cstdint>

#include "filters/airbrush/spray_core.h"
#include "framework/dialog/preview_map.h"

struct SprayStroke {
    AirbrushSample prev;   // the stroke's previous sample, valid while lastPressure > 1
    int lastPressure;      // a stroke is in progress while this is above 1
    bool carry;            // the last walk stopped short of its end: start one pixel beyond prev
    int segmentCounter;    // 0..2: every third segment asks for an immediate repaint
    bool busy;             // a stroke start or a segment since the repeat timer's last tick
};

void resetSprayStroke(SprayStroke& stroke);

// Dab spacing along the major axis for the operation prev selects, pixels.
enum class SprayOperation { soft, splatter, restore };
SprayOperation operationFor(const AirbrushSample& prev, const AirbrushParams& params);
int stepFor(SprayOperation operation, int size);

// Places dabs from `from` towards `to` every `step` pixels along the major axis, the minor
// coordinate interpolated at each dab's major position and rounded; only positions within
// the image's closed rectangle (0..width, 0..height) are dabbed. `carry` (in and out): the
// walk starts one pixel beyond `from`; it is set at the end of every walk, and cleared
// instead when a dab position falls on `to`, which is left for the next walk's start.
// Each dab is a copy of `from` moved to its position. Returns the number of dabs.
using SprayDabAt = void (*)(void* context, const AirbrushSample& dab);
int walkSpraySegment(const AirbrushSample& from, const AirbrushSample& to, int step, bool& carry,
                     int width, int height, SprayDabAt dab, void* context);

struct SprayStepResult {
    bool painted;    // a segment or a repeat was processed: the modified and unapplied marks
    int dabs;        // dabs placed
    Box invalid;     // image area to repaint (filter-rectangle coordinates), when painted
    bool updateNow;  // every third segment: repaint at once while the pen presses
};

// The repeat timer's tick: true, with `repeat` a copy of prev marked as a repeat, when the
// brush is painting, a stroke is under way and the pen has moved nothing since the last
// tick (a resting pen). Every tick clears the mark the stroke step sets.
bool sprayTimerTick(SprayStroke& stroke, bool painting, AirbrushSample& repeat);

// One sample of the pen, in the order they were queued.
SprayStepResult sprayStep(SprayStroke& stroke, const AirbrushSample& sample, SprayCanvas& canvas);
