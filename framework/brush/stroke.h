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

void resetStroke(StrokeState& state);  // frees `previous`

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
