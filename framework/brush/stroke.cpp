#include "framework/brush/stroke.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "framework/brush/segment_clip.h"
#include "framework/host/module.h"
#include "framework/host/platform.h"
#include "framework/host/plugin_globals.h"

namespace {

// The button release's notice is the one pressure that ends a stroke without a segment.
// Every other value is a pressure, read unsigned: a sample of 32768 or more (a device
// counting that high, a log from before samples were scaled) paints like any other.
bool endOfStroke(const TabletSample& s) { return s.pressure == kEndOfStroke; }
int pressureOf(const TabletSample& s) { return endOfStroke(s) ? 0 : int(s.pressure); }

void release(TabletSample*& sample) {
    if (sample) freeFixed(sample);
    sample = nullptr;
}

int16_t truncated(double v) { return int16_t(std::trunc(v)); }

}  // namespace

void resetStroke(StrokeState& state) {
    release(state.previous);
    state = StrokeState{nullptr, 0, 0, true};
}

Span spanFor(const TabletSample& p, const TabletSample& q, SpanRule rule) {
    const double half = p.size * 0.5;
    if (q.x == p.x) return {kSpanRow, std::max(1, std::abs(int(p.size)))};
    const double m = double(q.y - p.y) / double(q.x - p.x);
    int direction;
    double t;
    if (m >= -1.0 && m <= 1.0) {
        direction = kSpanColumn;
        t = m;
    } else {
        direction = kSpanRow;
        t = -1.0 / m;
    }
    const double stretch = std::sqrt(1.0 + t * t);
    int length = rule == SpanRule::truncateBeforeDoubling ? 2 * int(half * stretch)
                                                          : int(2.0 * half * stretch);
    return {direction, std::max(1, std::abs(length))};
}

void walkSegment(DabOperation operation, const TabletSample& p, const TabletSample& q,
                 int width, int height, SpanRule rule) {
    const Span span = spanFor(p, q, rule);
    const TabletSample& a = p.x < q.x ? p : q;
    const TabletSample& b = p.x < q.x ? q : p;
    // The dab carries the left end's amount, pressure and eraser flag, the first
    // sample's size; only its position moves.
    Dab dab = a;
    dab.size = p.size;

    double ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (!clipToFrame(ax, ay, bx, by, double(width), double(height))) return;

    if (a.x == b.x) {
        double y0 = std::min(ay, by), y1 = std::max(ay, by);
        dab.x = truncated(ax);
        for (double y = y0; y <= y1; y += 1.0) {
            dab.y = truncated(y);
            operation(dab, span.direction, span.spanLength);
        }
        return;
    }
    const double m = double(b.y - a.y) / double(b.x - a.x);
    if (m > -1.0 && m < 1.0) {
        double y = ay;
        for (double x = ax; x <= bx; x += 1.0, y += m) {
            dab.x = truncated(x);
            dab.y = truncated(y);
            operation(dab, span.direction, span.spanLength);
        }
        return;
    }
    if (ay > by) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    double x = ax;
    for (double y = ay; y <= by; y += 1.0, x += 1.0 / m) {
        dab.x = truncated(x);
        dab.y = truncated(y);
        operation(dab, span.direction, span.spanLength);
    }
}

StrokeGate strokeGate(StrokeState& state, TabletSample* s) {
    if (state.lastPressure <= 1) {
        release(state.previous);
        if (pressureOf(*s) > 1) {
            state.lastPressure = pressureOf(*s);
            state.previous = s;
            return StrokeGate::started;
        }
        state.lastPressure = 0;
        freeFixed(s);
        return StrokeGate::taken;
    }
    const TabletSample& prev = *state.previous;
    if (endOfStroke(*s)) {
        state.lastPressure = 0;
        release(state.previous);
        freeFixed(s);
        return StrokeGate::taken;
    }
    const int spacing = std::max(1, prev.size / 2);
    if (std::abs(prev.x - s->x) < spacing && std::abs(prev.y - s->y) < spacing && s->pressure != 0) {
        freeFixed(s);
        return StrokeGate::taken;
    }
    return StrokeGate::segment;
}

void advanceStroke(StrokeState& state, TabletSample* s) {
    release(state.previous);
    state.previous = s;
    state.lastPressure = pressureOf(*s);
}

void strokeStep(StrokeState& state, TabletSample* s, const EffectHooks& hooks, SpanRule rule,
                StrokeSurface& surface) {
    const StrokeGate gate = strokeGate(state, s);
    if (gate == StrokeGate::started && !s->inverted && hooks.capDab) hooks.capDab(*s);
    if (gate != StrokeGate::segment) return;

    TabletSample& prev = *state.previous;
    const Box& out = surface.geometry.outRect;
    DabOperation op = prev.inverted ? hooks.restoreDab : hooks.stepDab;
    if (op) walkSegment(op, prev, *s, out.width(), out.height(), rule);
    if (!prev.inverted && hooks.capDab) hooks.capDab(*s);

    // The two samples' squares; one pixel more on the right and bottom, where a dab
    // reaches past the half size.
    Box area;
    area.left = std::min(prev.x - prev.size / 2, s->x - s->size / 2);
    area.top = std::min(prev.y - prev.size / 2, s->y - s->size / 2);
    area.right = std::max(prev.x + prev.size / 2, s->x + s->size / 2) + 1;
    area.bottom = std::max(prev.y + prev.size / 2, s->y + s->size / 2) + 1;
    finishSegment(state, surface, area);
    advanceStroke(state, s);
}

void finishSegment(StrokeState& state, StrokeSurface& surface, const Box& area) {
    const Box& out = surface.geometry.outRect;
    Box relative;
    relative.left = std::max(0, area.left);
    relative.top = std::max(0, area.top);
    relative.right = std::min(out.width(), area.right);
    relative.bottom = std::min(out.height(), area.bottom);
    surface.invalidate(surface.context, imageToClient(surface.geometry, relative));

    if (state.segmentCounter == 4 && surface.penDown) surface.updateNow(surface.context);
    state.segmentCounter = (state.segmentCounter + 1) % 5;

    if (surface.penDown != state.brushCursor) {
        surface.setCursor(surface.context, surface.penDown);
        state.brushCursor = surface.penDown;
    }
    gPlugin.modified = 1;
    if (!gPlugin.unappliedStroke) {
        gPlugin.unappliedStroke = 1;
        surface.enableRevert(surface.context);
    }
}

void resetModuleStroke(StrokeState& state, const ModuleInfo& module) {
    resetStroke(state);
    if (module.strokeRule && module.strokeRule->reset) module.strokeRule->reset();
}

void runStrokeStep(StrokeState& state, TabletSample* sample, const ModuleInfo& module,
                   StrokeSurface& surface) {
    if (module.strokeRule && module.strokeRule->step) {
        module.strokeRule->step(state, sample, surface);
        return;
    }
    strokeStep(state, sample, *module.hooks,
               module.evenSpans ? SpanRule::truncateBeforeDoubling : SpanRule::truncateAfterDoubling,
               surface);
}
