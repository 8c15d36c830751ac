#include "filters/texture_common/texture_stroke.h"

#include <algorithm>
#include <cstdlib>

#include "framework/brush/restore.h"
#include "framework/host/platform.h"

namespace {

struct SegmentRun {
    const TextureStrokeOps* ops;
    const PaintView* view;
    bool eraser;
    bool paints;  // false: the walk runs (its state moves on) but places nothing
    Box area;  // union of the dabs' repaint boxes; empty while right <= left
};

void placeDab(void* context, const Dab& dab) {
    auto& run = *static_cast<SegmentRun*>(context);
    if (!run.paints) return;
    if (run.eraser)
        run.ops->eraser(*run.view, dab);
    else
        run.ops->tip(*run.view, dab);
    const DabSquare b = dabRepaintBox(*run.view, dab.x, dab.y, dab.size);
    if (b.x1 <= b.x0 || b.y1 <= b.y0) return;
    if (run.area.right <= run.area.left) {
        run.area = Box{b.x0, b.y0, b.x1, b.y1};
        return;
    }
    run.area.left = std::min(run.area.left, b.x0);
    run.area.top = std::min(run.area.top, b.y0);
    run.area.right = std::max(run.area.right, b.x1);
    run.area.bottom = std::max(run.area.bottom, b.y1);
}

}  // namespace

bool workPaintView(PaintView& p) {
    WorkView w;
    if (!viewWorkImage(w) || w.colours < 3) return false;
    p.source = w.in;
    p.sourceRow = int(w.inRow);
    p.sourceStride = w.inStride;
    p.result = w.out;
    p.resultRow = int(w.outRow);
    p.mask = w.mask;
    p.maskRow = int(w.maskRow);
    p.planes = w.planes;
    p.colours = std::min(w.colours, 4);
    p.width = w.width;
    p.height = w.height;
    p.transparency = w.alpha >= 0;
    return true;
}

void textureStrokeStep(StrokeState& state, TabletSample* s, StrokeSurface& surface,
                       const TextureStrokeOps& ops) {
    // No disc where a stroke starts: only segments paint.
    if (strokeGate(state, s) != StrokeGate::segment) return;
    const TabletSample& prev = *state.previous;

    PaintView view;
    SegmentRun run{&ops, &view, prev.inverted != 0, true, Box{0, 0, 0, 0}};
    if (workPaintView(view)) {
        // The eraser needs nothing of the effect's; the tip may have nothing to paint with.
        run.paints = run.eraser || !ops.beginSegment || ops.beginSegment(view);
        ops.walk(prev, *s, view.width, view.height, placeDab, &run);
    }
    finishSegment(state, surface, run.area);

    advanceStroke(state, s);
}
