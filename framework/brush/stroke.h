// Strokes: when they start and end, which samples are too close to matter, and the
// dabs swept along each segment through the effect's hooks.
#pragma once
#include <cstdint>

#include "framework/brush/effect_hooks.h"
#include "framework/dialog/preview_map.h"

// How the walker measures the stroke's width along a span. dustclean truncates the
// half width before doubling it, so its spans are always even.
enum class SpanRule { truncateAfterDoubling, truncateBeforeDoubling };

struct StrokeState {
    TabletSample* previous;  // last accepted sample of the stroke (owned), or null
    int32_t lastPressure;    // a stroke is in progress while this is above 1
    int32_t segmentCounter;  // 0..4: every fifth segment forces a repaint
    bool brushCursor;        // the brush cursor (not the wait cursor) was set last
};

// What the stroke step does to the world outside the effect. The dialog fills it with
// the preview and its controls; the tests with recorders.
struct StrokeSurface {
    void* context;
    PreviewGeometry geometry;  // for mapping the repaint area to the preview
    bool penDown;              // the last packet pressed (tablet input)
    void (*invalidate)(void* context, const Box& client);  // repaint later, no erase
    void (*updateNow)(void* context);                      // repaint at once
    void (*setCursor)(void* context, bool brush);          // brush, or the wait cursor
    void (*enableRevert)(void* context);
};

struct ModuleInfo;

// A module's own stroke rules, in place of strokeStep and its segment walk.
struct StrokeRule {
    // Takes ownership of `sample` (a fixed block of the module's record size), as
    // strokeStep does; ends a segment with finishSegment.
    void (*step)(StrokeState& state, TabletSample* sample, StrokeSurface& surface);
    // The module's own stroke state back to "no stroke" (dialog open and close).
    void (*reset)();
    // A dialog timer (id 1) of this period while the dialog is open; 0: none.
    int timerMs;
    // At each tick: a record to queue like a packet's sample (a fixed block of the
    // record size, which the queue then owns), or null. `painting`: the brush drag is on.
    TabletSample* (*onTimer)(StrokeState& state, bool painting);
};

void resetStroke(StrokeState& state);  // frees `previous`
// resetStroke and the module's own reset.
void resetModuleStroke(StrokeState& state, const ModuleInfo& module);

// The module's stroke step (its own or the shared one) for one sample.
void runStrokeStep(StrokeState& state, TabletSample* sample, const ModuleInfo& module,
                   StrokeSurface& surface);

// After a segment painted: repaint `area` (image pixels relative to the output
// rectangle; clipped here), bring the preview up to date every fifth segment while the pen
// presses, keep the cursor, and mark the session changed (Revert enabled).
void finishSegment(StrokeState& state, StrokeSurface& surface, const Box& area);

// The shared rules of where strokes start and end and which samples are too close to
// matter. `started`: the sample became the first of a stroke; `taken`: it ended one or
// was dropped (and is freed); `segment`: it makes a segment from state.previous, and the
// caller keeps it until advanceStroke.
enum class StrokeGate { started, taken, segment };
StrokeGate strokeGate(StrokeState& state, TabletSample* sample);
// After a segment: `sample` becomes the stroke's previous sample.
void advanceStroke(StrokeState& state, TabletSample* sample);

// One sample: takes ownership of `sample` (a fixed block), which it frees or keeps.
void strokeStep(StrokeState& state, TabletSample* sample, const EffectHooks& hooks,
                SpanRule rule, StrokeSurface& surface);

using DabOperation = void (*)(const Dab& dab, int direction, int spanLength);

struct Span {
    int direction;   // kSpanRow or kSpanColumn
    int spanLength;  // the stroke's width measured along the span, >= 1
};
Span spanFor(const TabletSample& from, const TabletSample& to, SpanRule rule);

// Calls `operation` at every one-pixel step of the segment from `from` to `to`, clipped
// to the image (0..width, 0..height).
void walkSegment(DabOperation operation, const TabletSample& from, const TabletSample& to,
                 int width, int height, SpanRule rule);
